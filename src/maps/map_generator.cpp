#include "maps/map_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace lumarel {

namespace {

using Channel = std::int16_t KeyColor::*;
constexpr Channel kChannels[] = {&KeyColor::red, &KeyColor::green, &KeyColor::blue};

constexpr int kEntries = 256;

// Rounds to the nearest whole number, halves to the even one, held to the 16-bit range.
std::int16_t roundHalfEven(double value)
{
    const double nearest = value - std::floor(value) == 0.5
        ? 2.0 * std::round(value / 2.0)
        : std::round(value);
    const double limited = std::fmin(std::fmax(nearest, std::numeric_limits<std::int16_t>::min()),
                                     std::numeric_limits<std::int16_t>::max());
    return std::int16_t(limited);
}

}  // namespace

GenerateOutcome generateMap(std::int16_t trackCount, KeyColorTable& keyColors, GeneratedPalette& palette)
{
    // At most the 16 keys the table holds; the player never asks for more.
    const int keyCount = std::min(int(trackCount) - 1, int(KeyColorTable::size()));
    if (keyCount < 2)
        return GenerateOutcome::TooFewKeys;

    const double segmentLength = double(kEntries) / (keyCount - 1);
    double segmentStart = 1.0;  // position of the segment's first entry
    double segmentEnd = segmentLength;

    for (int k = 1; k < keyCount; ++k) {
        KeyColor& a = keyColors[std::size_t(k)];
        const KeyColor& b = keyColors[std::size_t(k) + 1];
        const int first = int(std::floor(segmentStart));

        for (const Channel channel : kChannels) {
            const int difference = int(a.*channel) - int(b.*channel);
            a.fourth = difference > 0 ? 0 : -1;
            const bool rising = a.fourth == -1;
            const int change = std::abs(difference);
            const double stepsPerUnit = change == 0 ? 0.0 : segmentLength / change;
            double nextChange = segmentStart + stepsPerUnit;
            palette[std::size_t(first)].*channel = a.*channel;

            // A channel that changes by more than the segment is long moves at every entry, by a
            // fractional step; otherwise by one unit at the entries nextChange picks.
            const bool everyStep = change > segmentLength;
            const double unitsPerStep = everyStep ? change / segmentLength : 1.0;
            double running = a.*channel;
            const bool flat = a.*channel == b.*channel;

            for (int m = first + 1; m <= segmentEnd && m <= kEntries; ++m) {
                auto& target = palette[std::size_t(m)].*channel;
                if (flat) {
                    target = std::int16_t(running);
                } else if (everyStep || int(std::floor(nextChange)) == m || int(std::floor(nextChange)) == m - 1) {
                    running += rising ? unitsPerStep : -unitsPerStep;
                    target = roundHalfEven(running);
                    nextChange += stepsPerUnit;
                } else {
                    target = palette[std::size_t(m) - 1].*channel;
                }
            }
        }
        // Repeated addition, not k * segmentLength: the boundaries are where these sums fall.
        segmentStart += segmentLength;
        segmentEnd += segmentLength;
    }

    const KeyColor& last = keyColors[std::size_t(keyCount)];
    KeyColor& lastEntry = palette[kEntries];
    lastEntry.red = last.red;
    lastEntry.green = last.green;
    lastEntry.blue = last.blue;
    return GenerateOutcome::Generated;
}

}  // namespace lumarel
