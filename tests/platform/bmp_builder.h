#pragma once
// Builds BMP files byte by byte inside a test: every header kind, palettes of any length, colour
// masks, a gap before the pixels and any pixel offset, so damage can be made on purpose.

#include <QByteArray>
#include <QRgb>
#include <cstdint>
#include <optional>
#include <vector>

namespace lumarel::test {

inline void putLe16(QByteArray& out, std::uint32_t v)
{
    out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

inline void putLe32(QByteArray& out, std::uint32_t v)
{
    putLe16(out, v & 0xFFFF);
    putLe16(out, v >> 16);
}

struct BmpLayout {
    int headerSize = 40;               // 12 (core), 16..64 (OS/2 2.x), 40, 52, 56, 108, 124
    std::int32_t width = 0;
    std::int32_t height = 0;           // negative: top-down
    int bits = 8;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;     // written where the header has the field
    std::vector<QRgb> palette = {};    // 3-byte entries for the core header, 4-byte otherwise
    std::vector<std::uint32_t> masks = {};  // after a 40-byte header, or inside a 52+ one
    QByteArray gap = {};               // bytes between the palette and the pixels
    QByteArray pixels = {};            // as stored
    std::optional<std::uint32_t> pixelOffset = {};  // default: right after the gap
};

inline QByteArray infoHeader(const BmpLayout& layout)
{
    QByteArray header;
    putLe32(header, std::uint32_t(layout.headerSize));
    if (layout.headerSize == 12) {
        putLe16(header, std::uint32_t(layout.width));
        putLe16(header, std::uint32_t(layout.height));
        putLe16(header, 1);
        putLe16(header, std::uint32_t(layout.bits));
        return header;
    }
    putLe32(header, std::uint32_t(layout.width));
    putLe32(header, std::uint32_t(layout.height));
    putLe16(header, 1);
    putLe16(header, std::uint32_t(layout.bits));
    putLe32(header, layout.compression);
    putLe32(header, std::uint32_t(layout.pixels.size()));
    putLe32(header, 2835);  // 72 dpi
    putLe32(header, 2835);
    putLe32(header, layout.coloursUsed);
    putLe32(header, 0);
    const bool windows = layout.headerSize == 40 || layout.headerSize == 52 || layout.headerSize == 56 ||
                         layout.headerSize == 108 || layout.headerSize == 124;
    if (windows && layout.headerSize > 40)
        for (std::uint32_t mask : layout.masks)
            putLe32(header, mask);
    header.resize(layout.headerSize, '\0');  // OS/2 2.x short forms drop their last fields
    return header;
}

inline QByteArray writeBmp(const BmpLayout& layout)
{
    QByteArray body = infoHeader(layout);
    if (layout.headerSize == 40)
        for (std::uint32_t mask : layout.masks)
            putLe32(body, mask);
    for (QRgb colour : layout.palette) {
        body.append(char(qBlue(colour))).append(char(qGreen(colour))).append(char(qRed(colour)));
        if (layout.headerSize != 12)
            body.append('\0');
    }
    body += layout.gap;
    const std::uint32_t offset = layout.pixelOffset.value_or(std::uint32_t(14 + body.size()));
    QByteArray file("BM");
    putLe32(file, std::uint32_t(14 + body.size() + layout.pixels.size()));
    putLe32(file, 0);
    putLe32(file, offset);
    return file + body + layout.pixels;
}

// Stores indices (row-major, top row first) as rows of `bits` bits, each padded to 4 bytes,
// bottom row first unless topDown.
inline QByteArray packIndices(const std::vector<std::uint8_t>& indices, int width, int height, int bits,
                              bool topDown = false)
{
    const int stride = (width * bits + 31) / 32 * 4;
    QByteArray out;
    for (int r = 0; r < height; ++r) {
        const int y = topDown ? r : height - 1 - r;
        QByteArray row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const int bit = x * bits;
            const int shift = 8 - bits - bit % 8;
            row[bit / 8] = char(std::uint8_t(row[bit / 8]) | (indices[std::size_t(y * width + x)] << shift));
        }
        out += row;
    }
    return out;
}

// Stores pixel values (row-major, top row first) as little-endian values of `bytes` bytes,
// rows padded to 4 bytes, bottom row first.
inline QByteArray packValues(const std::vector<std::uint32_t>& values, int width, int height, int bytes)
{
    const int stride = (width * bytes + 3) / 4 * 4;
    QByteArray out;
    for (int r = 0; r < height; ++r) {
        QByteArray row;
        for (int x = 0; x < width; ++x)
            for (int b = 0; b < bytes; ++b)
                row.append(char(values[std::size_t((height - 1 - r) * width + x)] >> (8 * b)));
        row.resize(stride, '\0');
        out += row;
    }
    return out;
}

}  // namespace lumarel::test
