#include "midi/song_queue.h"

#include "midi/midi_output.h"
#include "midi/midifile.h"
#include "midi/note_tag.h"

#include <cmath>
#include <vector>

namespace lumarel {

void forEachQueuedEvent(Midifile& file, const std::function<void(const QueuedMessage&)>& append,
                        const std::function<void(int percent)>& progress)
{
    const int tracks = file.trackCount();
    if (file.fileName().isEmpty() || !file.isOpen() || tracks == 0)
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
                tick[std::size_t(t)] += std::uint64_t(file.deltaTime());
                QueuedMessage message;
                message.status = std::uint8_t(file.status());
                message.data1 = std::uint8_t(file.data1() & 0x7F);
                message.data2 = std::uint8_t(file.data2() & 0x7F);
                message.tag = noteTag(t, file.status(), file.data1(), file.data2());
                message.timeUs = file.tickToMicroseconds(tick[std::size_t(t)]);
                append(message);
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

void queueSong(Midifile& file, MIDIOutput& output, const std::function<void(int percent)>& progress)
{
    output.setAction(MIDIOutput::Clear);
    forEachQueuedEvent(
        file,
        [&output](const QueuedMessage& message) {
            output.setMsgStatus(message.status);
            output.setMsgData1(message.data1);
            output.setMsgData2(message.data2);
            output.setMsgTag(message.tag);
            output.setMsgTime(double(message.timeUs) / 1000.0);
            output.setAction(MIDIOutput::Append);
        },
        progress);
}

std::vector<QueuedMessage> songMessages(Midifile& file)
{
    std::vector<QueuedMessage> messages;
    forEachQueuedEvent(file, [&messages](const QueuedMessage& message) { messages.push_back(message); });
    sortIntoPlayOrder(messages);
    return messages;
}

}  // namespace lumarel
