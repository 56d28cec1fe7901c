#include "music/timeline.h"

#include <QString>

#include "music/note_colouring.h"
#include "music/track_rows.h"

namespace lumarel {

namespace {

// The picture of a song in song time: each step's palette becomes a change at the current time.
class RecordingPicture final : public PaletteSurface {
public:
    explicit RecordingPicture(std::vector<PaletteChange>& changes) : changes_(changes) {}
    bool loadPicture(const QString&, QString*) override { return true; }
    void realizePalette(const LogPalette& palette) override { changes_.push_back({nowUs, palette.entries}); }
    void animatePalette(int first, int count, const PaletteEntry* entries) override
    {
        if (changes_.empty())
            return;
        for (int i = std::max(first, 0); i < std::min(first + count, 256); ++i)
            changes_.back().palette[std::size_t(i)] = entries[i - first];
    }
    std::int64_t nowUs = 0;

private:
    std::vector<PaletteChange>& changes_;
};

// No window takes part: a step's one message is there at once.
class NoMessages final : public MessageSource {
public:
    WindowMessage get() override { return {}; }
};

// Notes that generated a map: the handler got as far as the generator with enough keys.
class GeneratorWatch final : public NoteView {
public:
    void showGeneratedMap(const GeneratedPalette&) override { generated = true; }
    bool generated = false;
};

}  // namespace

SongTimeline colourTimeline(const std::vector<QueuedMessage>& played, int readerTrackCount)
{
    SongTimeline timeline;
    const NoteNames names = definizione_note();
    RecordingPicture picture(timeline.changes);
    NoMessages messages;
    NoteColouring colouring(names, picture, messages);
    const int firstTrack = firstTrackFor(readerTrackCount);
    const std::int16_t trackCount = cappedTrackCount(readerTrackCount);
    colouring.setRows(firstTrack, wantedRowCount(trackCount, firstTrack));

    KeyColorTable keys;
    CyclingControl control;
    GeneratorWatch view;
    const std::int64_t decayUs = std::int64_t(kMeterDecayIntervalMs) * 1000;
    std::int64_t nextDecayUs = decayUs;
    for (const QueuedMessage& message : played) {
        // The meter timer ticks between the notes before its time and those at or after it.
        for (; nextDecayUs <= message.timeUs; nextDecayUs += decayUs)
            colouring.decayMeters(kMeterDecayStep);
        if (message.tag == 0)
            continue;
        picture.nowUs = message.timeUs;
        colouring.play(message.tag, view, {keys, timeline.lastMap, trackCount}, QStringLiteral("picture"), control);
    }
    timeline.generated = view.generated;
    return timeline;
}

}  // namespace lumarel
