#pragma once
// The pieces of an exported frame: where the picture sits in the output, its stretched indices,
// and the colours in force at a time of the song.

#include <QRect>
#include <QRgb>
#include <QSize>
#include <array>
#include <cstdint>
#include <vector>

#include "music/timeline.h"
#include "platform/indexed_picture.h"

namespace lumarel {

// The largest rectangle of the picture's aspect inside canvas, centred (black bars around).
// even: its edges fall on even pixels (what 4:2:0 video needs).
QRect letterbox(QSize picture, QSize canvas, bool even);

// The colours a song's picture shows over time: the picture's own until the first change, then
// each change's palette from its time on.
class FrameColours {
public:
    FrameColours(const std::vector<PaletteChange>& changes, const std::array<QRgb, 256>& ownColours);

    // The colours in force at timeUs (the last change at or before it).
    const std::array<QRgb, 256>& at(std::int64_t timeUs);
    // Change times, the picture's own colours first at 0; colours(k) is what shows from time k on.
    std::vector<std::int64_t> changeTimes() const;
    const std::array<QRgb, 256>& colours(std::size_t k) const { return colours_[k]; }

private:
    std::vector<std::int64_t> times_;
    std::vector<std::array<QRgb, 256>> colours_;
    std::size_t current_ = 0;  // at() walks forward in time
};

// The last generated map as .map text: one "red green blue" line per entry, which the map reader
// reads back to the same 256 colours.
QByteArray mapText(const GeneratedPalette& map);

}  // namespace lumarel
