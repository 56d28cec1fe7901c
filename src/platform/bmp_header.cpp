#include "platform/bmp_header.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace lumarel {

namespace {

constexpr qsizetype kFileHeaderSize = 14;

// Little-endian fields of the headers; a field past the header's declared end reads as 0, as
// the shortened OS/2 2.x headers leave their missing fields.
class Fields {
public:
    Fields(QByteArrayView bytes, qsizetype end) : bytes_(bytes), end_(std::min(end, bytes.size())) {}
    std::uint32_t u16(qsizetype at) const { return at + 2 <= end_ ? byte(at) | byte(at + 1) << 8 : 0; }
    std::uint32_t u32(qsizetype at) const { return at + 4 <= end_ ? u16(at) | u16(at + 2) << 16 : 0; }

private:
    std::uint32_t byte(qsizetype at) const { return std::uint8_t(bytes_[at]); }
    QByteArrayView bytes_;
    qsizetype end_;
};

enum class HeaderKind { Core, Os2, Windows };

std::optional<HeaderKind> kindOf(std::uint32_t size)
{
    if (size == 12)
        return HeaderKind::Core;
    if (size == 40 || size == 52 || size == 56 || size == 108 || size == 124)
        return HeaderKind::Windows;
    if (size >= 16 && size <= 64)
        return HeaderKind::Os2;
    return std::nullopt;
}

BmpError damaged(const QString& why) { return {QStringLiteral("the BMP is damaged: %1").arg(why)}; }

BmpError cannotRead(const QString& what)
{
    return {QStringLiteral("the BMP %1, which this program cannot read").arg(what)};
}

// sync: checkSize in picture_loader.cpp words the same limits for GIFs.
std::optional<BmpError> checkSize(qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0)
        return BmpError{QStringLiteral("the picture has no pixels (%1 x %2)").arg(width).arg(height)};
    if (width > kBmpMaxSide || height > kBmpMaxSide || width * height > kBmpMaxPixels)
        return BmpError{QStringLiteral("the picture is too large (%1 x %2 pixels; at most %3 x %3 and %4 million pixels)")
                            .arg(width).arg(height).arg(kBmpMaxSide).arg(kBmpMaxPixels / 1'000'000)};
    return std::nullopt;
}

// The compression field as this reader knows it, or why the picture cannot be read.
std::variant<BmpCompression, BmpError> compressionOf(HeaderKind kind, std::uint32_t code)
{
    switch (code) {
    case 0: return BmpCompression::None;
    case 1: return BmpCompression::Rle8;
    case 2: return BmpCompression::Rle4;
    default: break;
    }
    if (kind == HeaderKind::Os2) {
        if (code == 3)
            return cannotRead(QStringLiteral("uses Huffman 1D compression"));
        if (code == 4)
            return cannotRead(QStringLiteral("uses RLE24 compression"));
    } else if (code == 3 || code == 6) {  // bit fields; 6 adds an alpha mask
        return BmpCompression::BitFields;
    } else if (code == 4) {
        return cannotRead(QStringLiteral("holds a JPEG picture"));
    } else if (code == 5) {
        return cannotRead(QStringLiteral("holds a PNG picture"));
    }
    return cannotRead(QStringLiteral("uses compression %1").arg(code));
}

std::optional<BmpError> checkDepth(int bits, BmpCompression compression)
{
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return damaged(QStringLiteral("it declares %1 bits per pixel").arg(bits));
    if (compression == BmpCompression::Rle8 && bits != 8)
        return damaged(QStringLiteral("it uses RLE8 compression at %1 bits per pixel").arg(bits));
    if (compression == BmpCompression::Rle4 && bits != 4)
        return damaged(QStringLiteral("it uses RLE4 compression at %1 bits per pixel").arg(bits));
    if (compression == BmpCompression::BitFields && bits != 16 && bits != 32)
        return damaged(QStringLiteral("it uses colour masks at %1 bits per pixel").arg(bits));
    return std::nullopt;
}

std::array<std::uint32_t, 3> defaultMasks(int bits)
{
    if (bits == 16)
        return {0x7C00u, 0x03E0u, 0x001Fu};  // 5-5-5
    return {0xFF0000u, 0x00FF00u, 0x0000FFu};
}

// Where the masks, the palette and the pixels lie; fills the header's offsets and palette size.
std::optional<BmpError> placeData(QByteArrayView bytes, HeaderKind kind, std::uint32_t compressionCode,
                                  std::uint32_t coloursUsed, BmpHeader& header)
{
    const qsizetype headerEnd = kFileHeaderSize + header.headerSize;
    qsizetype masksAfterHeader = 0;
    if (header.compression == BmpCompression::BitFields && header.headerSize == 40)
        masksAfterHeader = compressionCode == 6 ? 16 : 12;
    if (header.compression == BmpCompression::BitFields) {
        const qsizetype at = header.headerSize == 40 ? headerEnd : kFileHeaderSize + 40;
        if (at + 12 > bytes.size())
            return damaged(QStringLiteral("its colour masks are cut short"));
        const Fields fields(bytes, bytes.size());
        header.masks = {fields.u32(at), fields.u32(at + 4), fields.u32(at + 8)};
    } else if (!header.indexed()) {
        header.masks = defaultMasks(header.bitsPerPixel);
    }

    header.pixelOffset = qsizetype(Fields(bytes, bytes.size()).u32(10));
    if (header.pixelOffset < headerEnd)
        return damaged(QStringLiteral("its pixel data would start inside its header (at byte %1)").arg(header.pixelOffset));
    if (header.pixelOffset >= bytes.size())
        return damaged(QStringLiteral("it ends before its pixels (they would start at byte %1 of %2)")
                           .arg(header.pixelOffset).arg(bytes.size()));

    header.paletteOffset = headerEnd + masksAfterHeader;
    header.paletteEntrySize = kind == HeaderKind::Core ? 3 : 4;
    if (header.indexed()) {
        const qint64 declared = kind == HeaderKind::Core || coloursUsed == 0 ? qint64(1) << header.bitsPerPixel
                                                                            : qint64(coloursUsed);
        // A palette ends where the pixels start, whatever the header declares.
        const qint64 room = std::max<qint64>(0, header.pixelOffset - header.paletteOffset) / header.paletteEntrySize;
        header.paletteEntries = int(std::min({declared, room, qint64(256)}));
    }
    return std::nullopt;
}

}  // namespace

BmpHeaderResult readBmpHeader(QByteArrayView bytes)
{
    if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M')
        return damaged(QStringLiteral("it does not start with \"BM\""));
    const Fields file(bytes, bytes.size());
    if (bytes.size() < kFileHeaderSize + 4)
        return damaged(QStringLiteral("its header is cut short"));
    const std::uint32_t headerSize = file.u32(kFileHeaderSize);
    const std::optional<HeaderKind> kind = kindOf(headerSize);
    if (!kind)
        return damaged(QStringLiteral("unknown header of %1 bytes").arg(headerSize));
    if (bytes.size() < kFileHeaderSize + qsizetype(headerSize))
        return damaged(QStringLiteral("its header is cut short"));

    const Fields info(bytes, kFileHeaderSize + headerSize);
    BmpHeader header;
    header.headerSize = int(headerSize);
    qint64 width = 0, height = 0;
    std::uint32_t compressionCode = 0, coloursUsed = 0;
    if (*kind == HeaderKind::Core) {
        width = info.u16(18);
        height = info.u16(20);
        header.bitsPerPixel = int(info.u16(24));
    } else {
        // OS/2 2.x sizes are unsigned and its rows always bottom-up; Windows marks top-down
        // pictures with a negative height.
        const bool signedSizes = *kind == HeaderKind::Windows;
        width = signedSizes ? qint64(qint32(info.u32(18))) : qint64(info.u32(18));
        height = signedSizes ? qint64(qint32(info.u32(22))) : qint64(info.u32(22));
        header.bitsPerPixel = int(info.u16(28));
        compressionCode = info.u32(30);
        coloursUsed = info.u32(46);
    }

    const auto compression = compressionOf(*kind, compressionCode);
    if (const auto* error = std::get_if<BmpError>(&compression))
        return *error;
    header.compression = std::get<BmpCompression>(compression);
    if (auto error = checkDepth(header.bitsPerPixel, header.compression))
        return *error;

    header.topDown = height < 0;
    height = std::abs(height);
    if (auto error = checkSize(width, height))
        return *error;
    header.width = int(width);
    header.height = int(height);

    if (auto error = placeData(bytes, *kind, compressionCode, coloursUsed, header))
        return *error;
    return header;
}

}  // namespace lumarel
