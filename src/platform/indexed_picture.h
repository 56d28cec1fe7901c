#pragma once
// A picture as a 256-colour display holds it: 8-bit indices plus the picture's own palette.

#include <QImage>
#include <QRgb>
#include <QSize>
#include <array>
#include <cstdint>
#include <vector>

namespace lumarel {

struct IndexedPicture {
    QSize size;                          // in pixels
    std::vector<std::uint8_t> indices;   // row-major, size.width() * size.height()
    std::array<QRgb, 256> palette{};     // the picture's own colours (opaque)

    bool isNull() const { return size.isEmpty(); }
    std::uint8_t at(int x, int y) const { return indices[std::size_t(y) * std::size_t(size.width()) + std::size_t(x)]; }
    // The picture in its own colours, 32-bit.
    QImage toImage() const;
};

}  // namespace lumarel
