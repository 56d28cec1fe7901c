// Queueing a million-event song into the output, as every Play does.
#include "songs.h"
#include "midi/midi_output.h"
#include "midi/midifile.h"
#include "midi/recording_device.h"
#include "midi/song_queue.h"

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace lumarel;

int main()
{
    QTemporaryDir dir;
    const QString path = bench::writeMillionEventSong(dir.path());
    if (path.isEmpty())
        return 1;
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
