#pragma once
// One message of a song as the output queues and plays it.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace lumarel {

// 16 bytes, so that millions fit.
struct QueuedMessage {
    std::int64_t timeUs = 0;  // after the start of playback
    std::int32_t tag = 0;     // handed back when played; 0 for none
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

// The order messages play in: by time; equal times keep their queue order (tracks arrive in
// blocks, not in time order).
inline void sortIntoPlayOrder(std::vector<QueuedMessage>& messages)
{
    std::stable_sort(messages.begin(), messages.end(),
                     [](const QueuedMessage& a, const QueuedMessage& b) { return a.timeUs < b.timeUs; });
}

}  // namespace lumarel
