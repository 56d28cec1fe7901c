#pragma once
// The transfer of a whole song into the output's queue, without any window.

#include <functional>
#include <vector>

#include "midi/queued_message.h"

namespace lumarel {

class Midifile;
class MIDIOutput;

// Events queued per track before moving on to the next track.
inline constexpr int queueBlockSize = 126;

// Every event of every track (track 1 of a file of several tracks included), in passes of one
// block per track, handed to append in that order. progress gets floor(queued × 100 / total) at
// the start of each pass when the song has events. Message times follow the file's tempo map
// exactly, in whole microseconds. Nothing is handed on when no file is open.
void forEachQueuedEvent(Midifile& file, const std::function<void(const QueuedMessage&)>& append,
                        const std::function<void(int percent)>& progress = {});

// Empties the output's queue and appends the song's events through its message fields and Action 6.
void queueSong(Midifile& file, MIDIOutput& output, const std::function<void(int percent)>& progress);

// The song's messages as the output plays them: queued as above, then in play order.
std::vector<QueuedMessage> songMessages(Midifile& file);

}  // namespace lumarel
