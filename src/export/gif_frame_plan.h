#pragma once
// Which palette changes of a song become frames of a looping GIF, and for how long each shows.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace lumarel {

struct GifFrame {
    std::size_t change = 0;  // index into the change times: the palette this frame shows
    int delayCs = 0;         // how long it shows, in 1/100 s (0..65535)
};

// changeTimesUs: the times of the palette changes in microseconds, ascending, the first at 0
// (the picture's own colours); change k shows from its time until the next one. songUs: the
// length of the song.
//
// Delays are whole 1/100 s without drift: frame edges sit at round(t / 10 ms) and a delay is
// the difference of two edges, so the delays sum to round(songUs / 10 ms). Browsers slow frames
// shorter than 2/100 s down, so changes closer together than that merge into one frame that
// shows the later palette, and a last change less than 2/100 s before the end is not shown (the
// frame before it lasts to the end). Only a song shorter than 2/100 s gives a shorter frame.
// A frame longer than a GIF delay can hold is split into equal frames of the same palette.
// Changes at or after the end of the song are not shown. Empty when there are no changes.
std::vector<GifFrame> planGifFrames(std::span<const std::int64_t> changeTimesUs, std::int64_t songUs);

}  // namespace lumarel
