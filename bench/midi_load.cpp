// Reading a million-event file from disk through Midifile.
#include "../tests/player/midi_builder.h"
#include "player/midifile.h"

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace lumarel;

namespace {

// 16 tracks of 62,500 events (end of track included): notes on and off under running status.
QByteArray millionEventSong()
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
}  // namespace

int main()
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/million.mid");
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(millionEventSong()) < 0)
        return 1;
    out.close();
    double best = 1e9;
    std::int64_t events = 0;
    for (int run = 0; run < 5; ++run) {
        Midifile file;
        file.setFileName(path);
        const auto t0 = std::chrono::steady_clock::now();
        file.setAction(Midifile::Open);
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
        events = std::int64_t(file.song().events.size());
    }
    std::printf("midi_load events=%lld load_ms=%.1f\n", static_cast<long long>(events), best);
    return events == 1000000 ? 0 : 1;
}
