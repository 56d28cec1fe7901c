#include "player/song_queue.h"

#include "player/midi_output.h"
#include "player/midifile.h"
#include "player/note_tag.h"

#include <cmath>
#include <vector>

namespace lumarel {

void queueSong(Midifile& file, MIDIOutput& output, const std::function<void(int percent)>& progress)
{
    const int tracks = file.trackCount();
    output.setAction(MIDIOutput::Clear);
    if (file.fileName().isEmpty() || tracks == 0)
        return;

    // Per track, index 0 unused: absolute tick of the latest queued event, next event, done.
    std::vector<std::uint64_t> tick(std::size_t(tracks) + 1, 0);
    std::vector<std::int64_t> next(std::size_t(tracks) + 1, 1);
    std::vector<bool> done(std::size_t(tracks) + 1, false);
    std::int64_t total = 0;
    for (int t = 1; t <= tracks; ++t) {
        file.setTrack(t);
        total += file.eventCount();
    }

    int finished = 0;
    std::int64_t queued = 0;
    while (finished < tracks) {
        if (total != 0 && progress)
            progress(int(std::floor(double(queued) * 100.0 / double(total))));
        for (int t = 1; t <= tracks; ++t) {
            if (done[std::size_t(t)])
                continue;
            file.setTrack(t);
            const std::int64_t n = file.eventCount();
            const std::int64_t first = next[std::size_t(t)];
            const std::int64_t last = n > first + (queueBlockSize - 1) ? first + (queueBlockSize - 1) : n;
            for (std::int64_t e = first; e <= last; ++e) {
                file.setEventIndex(e);
                const int status = file.status();
                output.setMsgStatus(status);
                output.setMsgData1(file.data1());
                output.setMsgData2(file.data2());
                output.setMsgTag(noteTag(t, status, file.data1(), file.data2()));
                tick[std::size_t(t)] += std::uint64_t(file.deltaTime());
                output.setMsgTime(double(file.tickToMicroseconds(tick[std::size_t(t)])) / 1000.0);
                output.setAction(MIDIOutput::Append);
                ++queued;
            }
            if (last == n) {
                done[std::size_t(t)] = true;
                ++finished;
            } else {
                next[std::size_t(t)] += queueBlockSize;
            }
        }
    }
}

}  // namespace lumarel
