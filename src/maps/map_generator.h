#pragma once
// The map generator: spreads a short list of key colours evenly over the 256 entries of a
// generated map and fills the entries between neighbouring keys with a stepwise gradient, each of
// red, green and blue on its own.

#include <cstdint>

#include "model/palette_types.h"

namespace lumarel {

enum class GenerateOutcome {
    Generated,   // every entry of the palette that the segments reach has been written
    TooFewKeys,  // fewer than two keys; nothing was changed
};

// Uses keys 1 .. trackCount - 1 of keyColors (at most 16). Writes palette entries 1..256 (red,
// green, blue; never the fourth field) and the direction field of every used key but the last
// (0 falling, -1 rising or equal; after a run it holds the blue channel's direction). Segment
// boundaries come from repeated addition in double precision, so an entry between two segments
// can keep its previous value. The caller tells the user about TooFewKeys and redraws the strip.
GenerateOutcome generateMap(std::int16_t trackCount, KeyColorTable& keyColors, GeneratedPalette& palette);

}  // namespace lumarel
