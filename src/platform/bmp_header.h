#pragma once
// The headers of a BMP file, read and checked before any pixel memory is taken.
//
// Kinds read: the 12-byte core header (16-bit sizes, 3-byte palette entries), the OS/2 2.x header
// (64 bytes, or any shortened form of 16 to 64 bytes), and the Windows headers of 40, 52, 56,
// 108 and 124 bytes (colour masks inside the 52-byte and longer ones, after a 40-byte one).

#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstdint>
#include <variant>

namespace lumarel {

// Pictures larger than this are refused before any pixel memory is taken.
// sync: kMaxSide / kMaxPixels in picture_loader.cpp (the GIF reader's limits)
inline constexpr int kBmpMaxSide = 16384;
inline constexpr qint64 kBmpMaxPixels = 100'000'000;

enum class BmpCompression { None, Rle8, Rle4, BitFields };

struct BmpHeader {
    int headerSize = 0;          // 12, 16..64 (OS/2 2.x) or 40, 52, 56, 108, 124
    int width = 0;               // pixels, 1..kBmpMaxSide
    int height = 0;              // pixels, 1..kBmpMaxSide; the sign in the file is topDown
    bool topDown = false;        // the first stored row is the top one
    int bitsPerPixel = 0;        // 1, 2, 4, 8 (a palette) or 16, 24, 32 (true colour)
    BmpCompression compression = BmpCompression::None;
    // Red, green and blue masks of a true-colour pixel (a little-endian 16/24/32-bit value).
    std::array<std::uint32_t, 3> masks{};
    qsizetype paletteOffset = 0;  // byte of the first palette entry
    int paletteEntries = 0;       // entries to read: declared, at most 256, all before the pixels
    int paletteEntrySize = 4;     // bytes: blue, green, red (and one unused for 4)
    qsizetype pixelOffset = 0;    // the file's own pixel-data offset; always inside the file

    bool indexed() const { return bitsPerPixel <= 8; }
    // Bytes of one stored row of an uncompressed picture (rows are padded to 4 bytes).
    qsizetype stride() const { return qsizetype((qint64(width) * bitsPerPixel + 31) / 32 * 4); }
};

struct BmpError {
    QString text;  // user-facing: "the BMP is damaged: ...", "the picture is too large (...)"
};

using BmpHeaderResult = std::variant<BmpHeader, BmpError>;

// Reads the headers at the start of a whole file's bytes. A value means the picture can be
// decoded: its kind is known, its size within the limits and its pixel data starts inside the file.
BmpHeaderResult readBmpHeader(QByteArrayView bytes);

}  // namespace lumarel
