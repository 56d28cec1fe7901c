#pragma once
// The song the MIDI benchmarks read and queue: 16 tracks of 62,500 events (end of track
// included), notes on and off under running status, written to a file in `dir`.

#include <QFile>
#include <QString>
#include <vector>

#include "support/midi_builder.h"

namespace lumarel::bench {

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
    const QString path = dir + QStringLiteral("/million.mid");
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(millionEventSong()) < 0)
        return {};
    return path;
}

}  // namespace lumarel::bench
