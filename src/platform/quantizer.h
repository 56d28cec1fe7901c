#pragma once
// Turns a true-colour picture into 256-colour indices, as a palette display maps it: pictures
// with at most 256 distinct colours map exactly (each colour its own index, in order of first
// appearance); others go through libimagequant without dithering, so palette cycling shows clean
// bands. The result is deterministic: the same picture gives the same indices and palette.

#include <QImage>
#include <QSize>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/indexed_picture.h"

namespace lumarel {

// Writes row y (0 = top) of the picture into rgba: 4 bytes per pixel, red, green, blue and
// alpha (alpha is ignored). It is called more than once per row, in any order and from several
// threads at once, so it may only read the data it shares.
using RgbaRowSource = std::function<void(int y, std::uint8_t* rgba)>;

// The picture's rows are read as they are needed, never copied whole, so a large picture costs
// little more than its index buffer. Empty when the quantiser could not work (out of memory).
std::optional<IndexedPicture> quantizeRows(QSize size, const RgbaRowSource& rows);

// image must be Format_RGB32 (alpha ignored). An empty image gives an empty picture.
IndexedPicture quantize(const QImage& image);

}  // namespace lumarel
