// Midifile: the reader the player drives through its members, over MidiSong.
#include "midi/midifile.h"

#include <QFileInfo>

#include "model/regular_file.h"
#include "model/visible_name.h"

namespace lumarel {

float msPerTickOf(std::int32_t tempoUs, int division)
{
    if (division <= 0)
        return 0.0f;
    return float((double(tempoUs) / 1000.0) / double(division));
}

float Midifile::msPerTick() const
{
    if (song_.isSmpte()) {
        const double fps = song_.smpteFrameRate() == 29 ? 30000.0 / 1001.0 : song_.smpteFrameRate();
        return float(1000.0 / (fps * song_.ticksPerFrame()));
    }
    return msPerTickOf(tempo(), song_.ticksPerQuarter());
}

void Midifile::setAction(int code)
{
    if (code == Close)
        close();
    else if (code == Open)
        open();
}

void Midifile::close()
{
    song_ = MidiSong();
    open_ = false;
    track_ = 0;
    eventIndex_ = 0;
}

void Midifile::open()
{
    close();
    error_.clear();
    if (fileName_.isEmpty()) {
        error_ = QStringLiteral("no file name given");
        return;
    }
    // Only a regular file is read, and no bigger than a song the player can hold.
    RegularFile opened = openRegularFile(fileName_, QStringLiteral("a MIDI file"), kMaxMidiFileBytes);
    const std::optional<QByteArray> bytes = readWholeFile(opened, &error_);
    if (!bytes)
        return;
    MidiParseResult result = MidiSong::parse(*bytes);
    if (auto* refusal = std::get_if<MidiParseError>(&result)) {
        error_ = QStringLiteral("Cannot open the MIDI file \"%1\": %2.").arg(visibleName(QFileInfo(fileName_).fileName()), refusal->text);
        return;
    }
    song_ = std::move(std::get<MidiSong>(result));
    open_ = true;
}

void Midifile::setTrack(int track)
{
    track_ = track >= 1 && track <= trackCount() ? track : 0;
    eventIndex_ = 0;
}

std::int64_t Midifile::eventCount() const
{
    return track_ == 0 ? 0 : song_.tracks[std::size_t(track_ - 1)].count;
}

void Midifile::setEventIndex(std::int64_t index)
{
    eventIndex_ = index >= 1 && index <= eventCount() ? index : 0;
}

const MidiEvent& Midifile::event() const
{
    static const MidiEvent none;
    if (track_ == 0 || eventIndex_ == 0)
        return none;
    return song_.events[song_.tracks[std::size_t(track_ - 1)].first + std::size_t(eventIndex_ - 1)];
}

QString Midifile::eventText() const
{
    return song_.textOf(event());
}

}  // namespace lumarel
