// MidiSong: reading a standard MIDI file's bytes into tracks, events and a tempo map.
#include "midi/midifile.h"

#include <QStringDecoder>
#include <algorithm>
#include <limits>
#include <optional>

namespace lumarel {

namespace {

std::uint32_t be32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (std::uint32_t(u[0]) << 24) | (std::uint32_t(u[1]) << 16) | (std::uint32_t(u[2]) << 8) | u[3];
}

std::uint16_t be16(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint16_t((u[0] << 8) | u[1]);
}

std::uint32_t le32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (std::uint32_t(u[3]) << 24) | (std::uint32_t(u[2]) << 16) | (std::uint32_t(u[1]) << 8) | u[0];
}

// The standard MIDI file inside a RIFF RMID wrapper, or the bytes themselves.
QByteArrayView unwrapRiff(QByteArrayView bytes)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.sliced(8, 4) != "RMID")
        return bytes;
    qsizetype pos = 12;
    while (bytes.size() - pos >= 8) {
        const QByteArrayView id = bytes.sliced(pos, 4);
        const qsizetype size = le32(bytes.data() + pos + 4);
        pos += 8;
        const qsizetype available = std::min<qsizetype>(size, bytes.size() - pos);
        if (id == "data")
            return bytes.sliced(pos, available);
        pos += available + (size & 1);  // chunks are padded to even sizes
    }
    return bytes;
}

}  // namespace

// Reads one song; every read is checked against the end of the bytes.
class MidiParser {
public:
    explicit MidiParser(MidiSong& song) : song_(song) {}

    std::optional<QString> run()
    {
        const QByteArray& b = song_.bytes;
        if (b.size() < 4 || !b.startsWith("MThd"))
            return QStringLiteral("it is not a MIDI file (no MThd header)");
        if (b.size() < 14)
            return QStringLiteral("it is not a MIDI file (header too short)");
        const std::uint32_t headerSize = be32(b.data() + 4);
        if (headerSize < 6)
            return QStringLiteral("it is not a MIDI file (header too short)");
        song_.format = be16(b.data() + 8);
        const int declaredTracks = be16(b.data() + 10);
        song_.divisionWord = std::int16_t(be16(b.data() + 12));
        if (song_.divisionWord == 0)
            return QStringLiteral("it is not a playable MIDI file (division 0)");
        if (song_.isSmpte() && song_.ticksPerFrame() == 0)
            return QStringLiteral("it is not a playable MIDI file (0 ticks per SMPTE frame)");
        if (song_.format > 2)
            song_.damage << QStringLiteral("unknown format %1, read as format 1").arg(song_.format);

        std::uint64_t pos = 8 + std::uint64_t(headerSize);
        const std::uint64_t end = std::uint64_t(b.size());
        if (pos > end) {
            song_.damage << QStringLiteral("header is cut short");
            pos = end;
        }
        while (pos < end) {
            if (end - pos < 8) {
                song_.damage << QStringLiteral("stray bytes after the last track");
                break;
            }
            const QByteArrayView id(b.data() + pos, 4);
            const std::uint64_t size = be32(b.data() + pos + 4);
            pos += 8;
            const std::uint64_t available = std::min(size, end - pos);
            if (id == "MTrk") {
                const int number = int(song_.tracks.size()) + 1;
                if (available < size)
                    song_.damage << QStringLiteral("track %1 runs past the end of the file").arg(number);
                readTrack(number, pos, pos + available, available < size);
            } else if (available < size) {
                song_.damage << (song_.tracks.empty()
                                     ? QStringLiteral("a chunk before the first track is cut short")
                                     : QStringLiteral("a chunk after track %1 is cut short").arg(song_.tracks.size()));
            }
            pos += available;
        }
        if (int(song_.tracks.size()) < declaredTracks)
            song_.damage << QStringLiteral("the header names %1 tracks, the file holds %2")
                                .arg(declaredTracks)
                                .arg(song_.tracks.size());
        if (song_.events.size() > std::numeric_limits<std::uint32_t>::max())
            return QStringLiteral("it has too many events");
        std::stable_sort(song_.tempoMap.begin(), song_.tempoMap.end(),
                         [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        song_.buildTempoSums();
        return std::nullopt;
    }

private:
    // A variable-length quantity of at most 4 bytes; false when cut short or too long.
    bool readVarLen(std::uint64_t& pos, std::uint64_t end, std::uint32_t& value)
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (pos >= end)
                return false;
            const std::uint8_t byte = data_[pos++];
            value = (value << 7) | (byte & 0x7F);
            if (!(byte & 0x80))
                return true;
        }
        return false;
    }

    void readTrack(int number, std::uint64_t pos, std::uint64_t end, bool chunkCut)
    {
        MidiTrackSpan span;
        span.first = std::uint32_t(song_.events.size());
        const std::uint8_t* b = data_;
        std::uint8_t running = 0;
        std::uint64_t tick = 0;
        bool ended = false;
        bool strayNoted = false;
        std::uint64_t carried = 0;  // delta of skipped messages, owed to the next event
        QString problem;
        while (pos < end) {
            MidiEvent ev;
            if (!readVarLen(pos, end, ev.delta)) {
                problem = pos >= end ? QStringLiteral("track %1 is cut short").arg(number)
                                     : QStringLiteral("track %1 has a bad delta time").arg(number);
                break;
            }
            if (pos >= end) {
                problem = QStringLiteral("track %1 is cut short").arg(number);
                break;
            }
            std::uint8_t byte = b[pos];
            if (byte >= 0x80) {
                ++pos;
            } else if (running == 0) {
                problem = QStringLiteral("track %1 has a data byte without a status at byte %2").arg(number).arg(pos);
                break;
            } else {
                byte = running;
            }
            ev.status = byte;
            if (byte == 0xFF || byte == 0xF0 || byte == 0xF7) {
                if (byte == 0xFF) {
                    if (pos >= end) {
                        problem = QStringLiteral("track %1 is cut short").arg(number);
                        break;
                    }
                    ev.data1 = b[pos++];
                }
                std::uint32_t size = 0;
                if (!readVarLen(pos, end, size) || end - pos < size) {
                    problem = QStringLiteral("track %1 is cut short").arg(number);
                    break;
                }
                ev.payloadOffset = std::uint32_t(pos);
                ev.payloadSize = size;
                pos += size;
            } else if (byte >= 0xF0) {
                // System common and real-time messages do not belong in a file: each is skipped
                // with its data bytes (none for the real-time and the undefined F4, F5, F9, FD),
                // its delta carried to the next event, and the damage noted once.
                const int skip = byte == 0xF2 ? 2 : (byte == 0xF1 || byte == 0xF3) ? 1 : 0;
                const QString what = QStringLiteral("track %1 has the stray status 0x%2 at byte %3")
                                         .arg(number)
                                         .arg(byte, 2, 16, QLatin1Char('0'))
                                         .arg(pos - 1);
                if (end - pos < std::uint64_t(skip)) {
                    problem = what;
                    break;
                }
                if (!strayNoted) {
                    song_.damage << what;
                    strayNoted = true;
                }
                pos += std::uint64_t(skip);
                carried += ev.delta;
                continue;
            } else {
                running = byte;
                const int dataBytes = (byte & 0xE0) == 0xC0 ? 1 : 2;  // program change, channel pressure
                if (end - pos < std::uint64_t(dataBytes)) {
                    problem = QStringLiteral("track %1 is cut short").arg(number);
                    break;
                }
                ev.data1 = b[pos];
                ev.data2 = dataBytes == 2 ? b[pos + 1] : 0;
                if ((ev.data1 | ev.data2) & 0x80) {
                    problem = QStringLiteral("track %1 has a status byte where data was due at byte %2")
                                  .arg(number)
                                  .arg(pos);
                    break;
                }
                pos += std::uint64_t(dataBytes);
            }
            if (carried) {
                const std::uint64_t delta = carried + ev.delta;
                ev.delta = std::uint32_t(std::min<std::uint64_t>(delta, std::numeric_limits<std::uint32_t>::max()));
                carried = 0;
            }
            tick += ev.delta;
            if (ev.status == 0xFF && ev.data1 == 0x51 && ev.payloadSize >= 3) {
                const std::uint8_t* p = b + ev.payloadOffset;
                const std::int32_t us = (p[0] << 16) | (p[1] << 8) | p[2];
                if (us > 0)
                    song_.tempoMap.push_back({tick, us});
            }
            song_.events.push_back(ev);
            if (ev.status == 0xFF && ev.data1 == 0x2F) {
                ended = true;
                break;
            }
        }
        if (!problem.isEmpty())
            song_.damage << problem;
        else if (ended && pos < end)
            song_.damage << QStringLiteral("track %1 has bytes after its end").arg(number);
        else if (!ended && !chunkCut)
            song_.damage << QStringLiteral("track %1 has no end-of-track event").arg(number);
        span.count = std::uint32_t(song_.events.size() - span.first);
        song_.tracks.push_back(span);
    }

    MidiSong& song_;
    const std::uint8_t* data_ = reinterpret_cast<const std::uint8_t*>(song_.bytes.constData());
};

MidiParseResult MidiSong::parse(QByteArrayView bytes)
{
    const QByteArrayView smf = unwrapRiff(bytes);
    if (std::uint64_t(smf.size()) > std::numeric_limits<std::uint32_t>::max())
        return MidiParseError{QStringLiteral("it is too large (over 4 GB)")};
    MidiSong song;
    song.bytes = smf.toByteArray();
    // A rough guess that avoids most regrowth: events take 3 bytes or more each.
    song.events.reserve(std::size_t(smf.size() / 3));
    MidiParser parser(song);
    if (auto refusal = parser.run())
        return MidiParseError{*refusal};
    if (song.events.capacity() > song.events.size() + song.events.size() / 4)
        song.events.shrink_to_fit();
    return song;
}

void MidiSong::buildTempoSums()
{
    tempoSums_.clear();
    tempoSums_.reserve(tempoMap.size());
    __int128 sum = 0;
    std::uint64_t tick = 0;
    std::int32_t tempo = defaultTempoUs;
    for (const TempoChange& change : tempoMap) {
        sum += __int128(change.tick - tick) * tempo;
        tempoSums_.push_back(sum);
        tick = change.tick;
        tempo = change.usPerQuarter;
    }
}

int MidiSong::smpteFrameRate() const
{
    return isSmpte() ? -std::int8_t(std::uint16_t(divisionWord) >> 8) : 0;
}

std::int32_t MidiSong::firstTempo() const
{
    return tempoMap.empty() ? defaultTempoUs : tempoMap.front().usPerQuarter;
}

std::int64_t MidiSong::tickToMicroseconds(std::uint64_t tick) const
{
    if (isSmpte()) {
        // µs per tick = 1e6 / (frames per second × ticks per frame); 29 means 29.97 (30000/1001).
        const int fps = smpteFrameRate();
        __int128 num = __int128(tick) * 1000000;
        __int128 den = __int128(fps) * ticksPerFrame();
        if (fps == 29) {
            num *= 1001;
            den = __int128(30000) * ticksPerFrame();
        }
        return std::int64_t(num / den);
    }
    // The last tempo change at or before the tick.
    const auto after = std::upper_bound(tempoMap.begin(), tempoMap.end(), tick,
                                        [](std::uint64_t t, const TempoChange& c) { return t < c.tick; });
    __int128 sum = 0;
    std::uint64_t from = 0;
    std::int32_t tempo = defaultTempoUs;
    if (after != tempoMap.begin()) {
        const auto i = std::size_t(after - tempoMap.begin()) - 1;
        sum = tempoSums_[i];
        from = tempoMap[i].tick;
        tempo = tempoMap[i].usPerQuarter;
    }
    sum += __int128(tick - from) * tempo;
    const __int128 us = sum / divisionWord;
    return us > std::numeric_limits<std::int64_t>::max() ? std::numeric_limits<std::int64_t>::max()
                                                          : std::int64_t(us);
}

QString MidiSong::textOf(const MidiEvent& event) const
{
    if (event.status != 0xFF || event.payloadSize == 0)
        return {};
    const QByteArrayView raw(bytes.constData() + event.payloadOffset, event.payloadSize);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(raw);
    if (utf8.hasError())
        return QString::fromLatin1(raw);
    return text;
}

}  // namespace lumarel
