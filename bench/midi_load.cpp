// Reading a million-event file from disk through Midifile.
#include "songs.h"
#include "midi/midifile.h"

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
