#include "platform/bmp_decoder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <vector>

namespace lumarel {

namespace {

using Bytes = const std::uint8_t*;

BmpError damaged(const QString& why) { return {QStringLiteral("the BMP is damaged: %1").arg(why)}; }

// Picture row (0 = top) of the stored row `stored` (0 = first in the file).
qint64 pictureRow(const BmpHeader& header, qint64 stored)
{
    return header.topDown ? stored : header.height - 1 - stored;
}

void readPalette(QByteArrayView bytes, const BmpHeader& header, std::array<QRgb, 256>& palette)
{
    palette.fill(qRgb(0, 0, 0));
    auto entry = reinterpret_cast<Bytes>(bytes.data()) + header.paletteOffset;
    for (int i = 0; i < header.paletteEntries; ++i, entry += header.paletteEntrySize)
        palette[std::size_t(i)] = qRgb(entry[2], entry[1], entry[0]);  // stored blue, green, red
}

// ---- uncompressed rows ------------------------------------------------------------------------

// The stored rows of an uncompressed picture, which may end anywhere (a file cut short).
struct StoredRows {
    Bytes data;           // first byte of the pixel data
    qsizetype available;  // bytes from there to the end of the file
    qsizetype stride;     // bytes per stored row

    // The bytes of stored row `stored` that the file holds (0 when it holds none).
    qsizetype row(qint64 stored, Bytes* start) const
    {
        const qint64 at = stored * stride;
        *start = data + std::min<qint64>(at, available);
        return qsizetype(std::clamp<qint64>(available - at, 0, stride));
    }
};

StoredRows storedRows(QByteArrayView bytes, const BmpHeader& header)
{
    return {reinterpret_cast<Bytes>(bytes.data()) + header.pixelOffset, bytes.size() - header.pixelOffset,
            header.stride()};
}

// Unpacks the indices of one row of 1, 2, 4 or 8 bits (most significant bits first) from the
// bytes present; pixels past them are left as they are.
void unpackIndices(Bytes source, qsizetype present, int bits, int width, std::uint8_t* out)
{
    if (bits == 8) {
        std::memcpy(out, source, std::size_t(std::min<qsizetype>(present, width)));
        return;
    }
    const int perByte = 8 / bits;
    const int mask = (1 << bits) - 1;
    const qint64 count = std::min<qint64>(qint64(present) * perByte, width);
    for (qint64 x = 0; x < count; ++x) {
        const int shift = 8 - bits * int(x % perByte + 1);
        out[x] = std::uint8_t(source[x / perByte] >> shift & mask);
    }
}

void decodeIndexedRows(QByteArrayView bytes, const BmpHeader& header, IndexedPicture& picture)
{
    const StoredRows rows = storedRows(bytes, header);
    for (qint64 stored = 0; stored < header.height; ++stored) {
        Bytes start = nullptr;
        const qsizetype present = rows.row(stored, &start);
        if (present == 0)
            break;
        unpackIndices(start, present, header.bitsPerPixel, header.width,
                      picture.indices.data() + pictureRow(header, stored) * header.width);
    }
}

// ---- RLE8 and RLE4 ----------------------------------------------------------------------------

// Writes runs into the picture at a moving position in stored-row order, clipping every pixel
// that falls outside the picture.
class RunWriter {
public:
    RunWriter(const BmpHeader& header, IndexedPicture& picture) : header_(header), picture_(picture) {}

    bool pastPicture() const { return row_ >= header_.height; }
    qint64 written() const { return written_; }
    void endLine()
    {
        x_ = 0;
        ++row_;
    }
    void move(int right, int up)
    {
        x_ += right;
        row_ += up;
    }
    // count pixels whose index is pixel(i) for i = 0..count-1.
    template <typename Pixel>
    void put(qint64 count, Pixel pixel)
    {
        const qint64 inside = row_ < header_.height ? std::clamp<qint64>(header_.width - x_, 0, count) : 0;
        if (inside > 0) {
            std::uint8_t* out = picture_.indices.data() + pictureRow(header_, row_) * header_.width + x_;
            for (qint64 i = 0; i < inside; ++i)
                out[i] = pixel(i);
            written_ += inside;
        }
        x_ += count;
    }

private:
    const BmpHeader& header_;
    IndexedPicture& picture_;
    qint64 x_ = 0;    // may pass the row's end: later pixels of the run are clipped
    qint64 row_ = 0;  // stored row
    qint64 written_ = 0;
};

// Returns how many pixels the runs put inside the picture.
qint64 decodeRle(QByteArrayView bytes, const BmpHeader& header, IndexedPicture& picture)
{
    const bool four = header.compression == BmpCompression::Rle4;
    Bytes p = reinterpret_cast<Bytes>(bytes.data()) + header.pixelOffset;
    const Bytes end = reinterpret_cast<Bytes>(bytes.data()) + bytes.size();
    RunWriter out(header, picture);
    while (end - p >= 2 && !out.pastPicture()) {
        const int count = p[0], code = p[1];
        p += 2;
        if (count > 0) {  // a run of one index, or of two alternating ones for RLE4
            const std::uint8_t high = four ? std::uint8_t(code >> 4) : std::uint8_t(code);
            const std::uint8_t low = four ? std::uint8_t(code & 15) : std::uint8_t(code);
            out.put(count, [=](qint64 i) { return i % 2 ? low : high; });
        } else if (code == 0) {
            out.endLine();
        } else if (code == 1) {
            break;
        } else if (code == 2) {
            if (end - p < 2)
                break;
            out.move(p[0], p[1]);
            p += 2;
        } else {  // absolute: `code` indices follow, padded to an even number of bytes
            const qsizetype length = four ? (code + 1) / 2 : code;
            const qsizetype present = std::min<qsizetype>(length, end - p);
            const qint64 pixels = four ? std::min<qint64>(code, 2 * qint64(present)) : present;
            const Bytes run = p;
            if (four)
                out.put(pixels, [run](qint64 i) { return std::uint8_t(i % 2 ? run[i / 2] & 15 : run[i / 2] >> 4); });
            else
                out.put(pixels, [run](qint64 i) { return run[i]; });
            if (present < length)
                break;
            p += std::min<qsizetype>((length + 1) & ~qsizetype(1), end - p);
        }
    }
    return out.written();
}

// ---- true colour ------------------------------------------------------------------------------

// One colour channel of a masked pixel value, scaled to 0..255 with rounding.
class Channel {
public:
    explicit Channel(std::uint32_t mask) : mask_(mask)
    {
        if (mask == 0)
            return;
        shift_ = std::countr_zero(mask);
        max_ = mask >> shift_;
        if (max_ != 255 && max_ <= 0xFFFF) {
            table_.resize(std::size_t(max_) + 1);
            for (std::uint32_t v = 0; v <= max_; ++v)
                table_[v] = scale(v);
        }
    }
    std::uint8_t operator()(std::uint32_t value) const
    {
        const std::uint32_t v = (value & mask_) >> shift_;
        if (max_ == 255 || max_ == 0)
            return std::uint8_t(v);
        return table_.empty() ? scale(v) : table_[v];
    }

private:
    std::uint8_t scale(std::uint32_t v) const { return std::uint8_t((std::uint64_t(v) * 255 + max_ / 2) / max_); }

    std::uint32_t mask_;
    int shift_ = 0;
    std::uint32_t max_ = 0;  // the channel's largest value; 0 for an empty mask (always 0)
    std::vector<std::uint8_t> table_;
};

// Rows of a 16-, 24- or 32-bit picture as red, green, blue, alpha bytes; pixels the file does
// not hold are black. Reads only the file's bytes, so the quantiser may call it from any thread.
class TrueColourRows {
public:
    TrueColourRows(QByteArrayView bytes, const BmpHeader& header)
        : header_(header), rows_(storedRows(bytes, header)), red_(header.masks[0]), green_(header.masks[1]),
          blue_(header.masks[2])
    {
    }

    void operator()(int y, std::uint8_t* rgba) const
    {
        const int size = header_.bitsPerPixel / 8;
        Bytes start = nullptr;
        const qsizetype present = rows_.row(pictureRow(header_, y), &start);
        const int count = int(std::min<qint64>(present / size, header_.width));
        for (int x = 0; x < count; ++x, start += size, rgba += 4) {
            std::uint32_t value = std::uint32_t(start[0]) | std::uint32_t(start[1]) << 8;
            if (size > 2)
                value |= std::uint32_t(start[2]) << 16;
            if (size > 3)
                value |= std::uint32_t(start[3]) << 24;
            rgba[0] = red_(value);
            rgba[1] = green_(value);
            rgba[2] = blue_(value);
            rgba[3] = 255;
        }
        for (int x = count; x < header_.width; ++x, rgba += 4) {
            rgba[0] = rgba[1] = rgba[2] = 0;
            rgba[3] = 255;
        }
    }

private:
    const BmpHeader& header_;
    StoredRows rows_;
    Channel red_, green_, blue_;
};

BmpError outOfMemory(const BmpHeader& header)
{
    return {QStringLiteral("there is not enough memory for the picture (%1 x %2 pixels)")
                .arg(header.width).arg(header.height)};
}

BmpDecodeResult decodeIndexed(QByteArrayView bytes, const BmpHeader& header)
{
    IndexedPicture picture;
    picture.size = QSize(header.width, header.height);
    readPalette(bytes, header, picture.palette);
    picture.indices.assign(std::size_t(header.width) * std::size_t(header.height), 0);
    if (header.compression == BmpCompression::None) {
        decodeIndexedRows(bytes, header, picture);  // the header saw at least one byte of pixels
    } else if (decodeRle(bytes, header, picture) == 0) {
        return damaged(QStringLiteral("its compressed data holds no pixels"));
    }
    return picture;
}

BmpDecodeResult decodeTrueColour(QByteArrayView bytes, const BmpHeader& header, const TrueColourQuantizer& quantizer)
{
    if (bytes.size() - header.pixelOffset < header.bitsPerPixel / 8)
        return damaged(QStringLiteral("it ends before its first pixel"));
    const TrueColourRows rows(bytes, header);
    std::optional<IndexedPicture> picture = quantizer(QSize(header.width, header.height), std::cref(rows));
    if (!picture)
        return outOfMemory(header);
    return std::move(*picture);
}

}  // namespace

BmpDecodeResult decodeBmpBytes(QByteArrayView bytes, const TrueColourQuantizer& quantizer)
{
    const BmpHeaderResult read = readBmpHeader(bytes);
    if (const auto* error = std::get_if<BmpError>(&read))
        return *error;
    const BmpHeader& header = std::get<BmpHeader>(read);
    try {
        return header.indexed() ? decodeIndexed(bytes, header) : decodeTrueColour(bytes, header, quantizer);
    } catch (const std::bad_alloc&) {
        return outOfMemory(header);
    }
}

}  // namespace lumarel
