#pragma once
// The songs the MIDI benchmarks read, queue and play: a million events in 16 tracks, and a dense
// song of 10,000 notes a second.

#include <QFile>
#include <QString>
#include <vector>

#include "support/midi_builder.h"

namespace lumarel::bench {

inline QString writeSong(const QString& path, const QByteArray& song)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(song) < 0)
        return {};
    return path;
}

inline QByteArray millionEventSong()
{
    std::vector<test::TrackBuilder> tracks(16);
    for (int t = 0; t < 16; ++t) {
        test::TrackBuilder& track = tracks[std::size_t(t)];
        track.tempo(0, 500000);
        track.event(0, {0x90 | t, 36, 90});
        for (int e = 2; e < 62499; ++e)
            track.event(e % 2 ? 60 : 0, {36 + e % 48, e % 2 ? 0 : 90});
        track.end();
    }
    return test::smf(1, 480, tracks);
}

// The path of the written file, or empty when it could not be written.
inline QString writeMillionEventSong(const QString& dir)
{
    return writeSong(dir + QStringLiteral("/million.mid"), millionEventSong());
}

// 16 tracks of 625 notes a second each, 10,000 notes a second in all, for `seconds` seconds. A tick
// is 100 µs (division 1000, a quarter note of 100 ms); track t plays on channel t a note 0.8 ms
// long every 1.6 ms, starting t ticks in, so the tracks' notes interleave.
inline QByteArray denseNoteSong(int seconds)
{
    constexpr int kTicksPerNote = 16;
    const int notes = seconds * 10'000 / 16;
    std::vector<test::TrackBuilder> tracks(16);
    for (int t = 0; t < 16; ++t) {
        test::TrackBuilder& track = tracks[std::size_t(t)];
        if (t == 0)
            track.tempo(0, 100'000);
        track.meta(0, 0x03, QByteArray("Dense ") + QByteArray::number(t + 1));
        for (int n = 0; n < notes; ++n) {
            const int key = 36 + (n * 5 + t * 7) % 60;
            track.event(n == 0 ? std::uint32_t(t) : kTicksPerNote / 2, {0x90 | t, key, 64 + (n + t) % 64});
            track.event(kTicksPerNote / 2, {0x80 | t, key, 0});
        }
        track.end();
    }
    return test::smf(1, 1000, tracks);
}

}  // namespace lumarel::bench
