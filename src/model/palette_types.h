#pragma once
// The palette records every subsystem shares. Types only: this header includes nothing of ours,
// so the shared state of the main window can hold these tables without pulling in the maps code.

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>

namespace lumarel {

// One entry of a platform palette: red, green, blue, flags (unsigned bytes, in that order).
struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t flags = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// A key colour or generated-map entry: four signed 16-bit fields. In keyColors the fourth field
// is the generator's direction scratch (0 falling, -1 rising or equal); in generatedPalette it is
// never written.
struct KeyColor {
    std::int16_t red = 0;
    std::int16_t green = 0;
    std::int16_t blue = 0;
    std::int16_t fourth = 0;
    friend bool operator==(const KeyColor&, const KeyColor&) = default;
};

// A table numbered from 1 to N, as the program numbers keyColors and generatedPalette.
template <typename T, std::size_t N>
class OneBased {
public:
    static constexpr std::size_t size() { return N; }
    T& operator[](std::size_t i) { assert(i >= 1 && i <= N); return items_[i - 1]; }
    const T& operator[](std::size_t i) const { assert(i >= 1 && i <= N); return items_[i - 1]; }
    friend bool operator==(const OneBased&, const OneBased&) = default;
    std::array<T, N>& items() { return items_; }
    const std::array<T, N>& items() const { return items_; }

private:
    std::array<T, N> items_{};
};

using MapPalette = std::array<PaletteEntry, 256>;   // indexes 0..255
using KeyColorTable = OneBased<KeyColor, 16>;        // indexes 1..16, entry r + 1 is player row r
using GeneratedPalette = OneBased<KeyColor, 256>;    // entry i + 1 is palette index i of the picture

}  // namespace lumarel
