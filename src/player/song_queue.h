#pragma once
// The transfer of a whole song into the output's queue, without any window.

#include <functional>

namespace lumarel {

class Midifile;
class MIDIOutput;

// Events queued per track before moving on to the next track.
inline constexpr int queueBlockSize = 126;

// Empties the output's queue and appends every event of every track (track 1 of a file of
// several tracks included), in passes of one block per track. progress gets
// floor(queued × 100 / total) at the start of each pass when the song has events.
// Message times follow the file's tempo map exactly: MsgTime = whole µs / 1000.
// Nothing is queued (the queue is still emptied) when no file is open.
void queueSong(Midifile& file, MIDIOutput& output, const std::function<void(int percent)>& progress);

}  // namespace lumarel
