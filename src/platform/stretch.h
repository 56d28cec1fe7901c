#pragma once
// Nearest-neighbour stretching of 8-bit indices, as a palette display stretches a 256-colour
// bitmap: target pixel (x, y) takes source pixel (x * sourceWidth / width, y * sourceHeight / height).
// One function serves the picture boxes, the palette display and the exported frames.

#include <QSize>
#include <cstdint>
#include <vector>

#include "platform/indexed_picture.h"

namespace lumarel {

struct StretchedIndices {
    QSize size;
    std::vector<std::uint8_t> indices;  // row-major, size.width() * size.height()
    std::vector<bool> repeatsRow;       // row y holds the same indices as row y - 1
};

// An empty source or size gives an empty result.
StretchedIndices stretchIndices(const IndexedPicture& source, QSize size);

// The same, keeping the source's palette: a picture box's stretched copy.
IndexedPicture stretchIndexed(const IndexedPicture& source, QSize size);

}  // namespace lumarel
