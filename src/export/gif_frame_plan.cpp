#include "export/gif_frame_plan.h"

#include <algorithm>

namespace lumarel {

namespace {

constexpr std::int64_t usPerCs = 10000;
constexpr std::int64_t shortestDelayCs = 2;  // browsers slow anything shorter down
constexpr std::int64_t longestDelayCs = 65535;  // a GIF delay is 16 bits

// The frame edge nearest to a time, in 1/100 s.
std::int64_t edgeOf(std::int64_t us)
{
    return us <= 0 ? 0 : (us + usPerCs / 2) / usPerCs;
}

void addFrame(std::vector<GifFrame>& frames, std::size_t change, std::int64_t delayCs)
{
    const std::int64_t pieces = std::max<std::int64_t>(1, (delayCs + longestDelayCs - 1) / longestDelayCs);
    for (std::int64_t i = 0; i < pieces; ++i) {
        // Equal shares, the remainder spread over the first pieces.
        const std::int64_t share = delayCs / pieces + (i < delayCs % pieces ? 1 : 0);
        frames.push_back({change, int(share)});
    }
}

}  // namespace

std::vector<GifFrame> planGifFrames(std::span<const std::int64_t> changeTimesUs, std::int64_t songUs)
{
    std::vector<GifFrame> frames;
    if (changeTimesUs.empty())
        return frames;
    const std::int64_t end = edgeOf(songUs);
    std::int64_t start = 0;  // edge where the frame being built begins
    std::size_t shown = 0;   // the change it shows
    for (std::size_t k = 1; k < changeTimesUs.size(); ++k) {
        const std::int64_t edge = std::max(start, edgeOf(changeTimesUs[k]));
        if (edge >= end)
            break;
        if (edge - start < shortestDelayCs) {
            shown = k;  // too close to the frame's start: it shows the later palette instead
            continue;
        }
        addFrame(frames, shown, edge - start);
        start = edge;
        shown = k;
    }
    if (end - start < shortestDelayCs && !frames.empty()) {
        const GifFrame last = frames.back();
        std::int64_t delay = end - start;
        // Undo the split of the previous frame before lengthening it.
        while (!frames.empty() && frames.back().change == last.change) {
            delay += frames.back().delayCs;
            frames.pop_back();
        }
        addFrame(frames, last.change, delay);
        return frames;
    }
    addFrame(frames, shown, end - start);
    return frames;
}

}  // namespace lumarel
