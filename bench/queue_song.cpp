// Queueing a million-event song into the output, as every Play does.
#include "../tests/player/midi_builder.h"
#include "player/midi_output.h"
#include "player/midifile.h"
#include "player/recording_device.h"
#include "player/song_queue.h"

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
    Midifile file;
    file.setFileName(path);
    file.setAction(Midifile::Open);
    auto clock = std::make_shared<SteadyClock>();
    MIDIOutput output(std::make_unique<RecordingDeviceProvider>(std::make_shared<RecordingLog>(), clock), clock);
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        int last = -1;
        const auto t0 = std::chrono::steady_clock::now();
        queueSong(file, output, [&](int percent) { last = percent; });
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
        if (last < 0)
            return 1;
    }
    std::printf("queue_song events=%zu queue_ms=%.1f\n", output.queue().size(), best);
    return output.queue().size() == 1000000 ? 0 : 1;
}
