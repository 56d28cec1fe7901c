// What sample-exact note onsets cost: a dense 16-track song (about 60 notes a second) of 60 s
// rendered by one plain FluidSynth (notes on its 64-frame block edges, up to 63 samples late)
// and by the export's renderer (every onset on its own sample, one synth per block phase used,
// the synths shared out to a thread per core).
// Prints: export_audio seconds=60 notes=.. phases=.. plain_s=.. plain_cpu_s=.. exact_s=..
//         exact_cpu_s=.. cost_x=.. (wall and CPU seconds; cost_x: exact wall / plain wall)

#include <QElapsedTimer>
#include <cstdio>
#include <set>

#include "bench_support.h"
#include "export_material.h"
#include "export/audio_render.h"
#include "midi/fluid_synth_device.h"

int main()
{
    using namespace lumarel;
    const int seconds = 60, rate = 48000;
    const auto song = bench::denseSong(seconds);
    std::vector<QueuedMessage> queued;
    std::set<std::int64_t> phases = {0};
    int notes = 0;
    for (const SynthMessage& m : song) {
        queued.push_back({m.timeUs, 0, m.status, m.data1, m.data2});
        if ((m.status & 0xF0) == 0x90 && m.data2 > 0) {
            ++notes;
            phases.insert((m.timeUs * rate + 500000) / 1000000 % 64);
        }
    }
    QString error;
    QElapsedTimer timer;
    double cpu = bench::cpuSeconds();
    timer.start();
    const auto plain = FluidSynthDevice::renderOffline(queued, std::int64_t(seconds) * 1000000, rate, &error);
    const double plainSeconds = double(timer.nsecsElapsed()) / 1e9;
    const double plainCpu = bench::cpuSeconds() - cpu;
    cpu = bench::cpuSeconds();
    timer.start();
    const auto exact = renderSongAudio(song, std::int64_t(seconds) * 1000000, FluidSynthDevice::findSoundFont(), rate,
                                       nullptr, &error);
    const double exactSeconds = double(timer.nsecsElapsed()) / 1e9;
    const double exactCpu = bench::cpuSeconds() - cpu;
    if (plain.empty() || !exact) {
        std::fprintf(stderr, "export_audio: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("export_audio seconds=%d notes=%d phases=%zu plain_s=%.2f plain_cpu_s=%.2f exact_s=%.2f exact_cpu_s=%.2f "
                "cost_x=%.2f\n",
                seconds, notes, phases.size(), plainSeconds, plainCpu, exactSeconds, exactCpu, exactSeconds / plainSeconds);
    return 0;
}
