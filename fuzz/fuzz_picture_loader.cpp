// Feeds arbitrary bytes to the picture loader: it must load them or refuse them with a reason,
// and a loaded picture must be whole.
//
// To stay at thousands of inputs a second, the harness (only the harness) skips pictures whose
// headers declare more than about a million pixels, and gives the BMP decoder a cheap stand-in
// for the quantiser that still reads every row the decoder produces. Refusals, and one small
// picture (at most kRealQuantizerPixels) in eight, chosen by the input's length, go through the
// loader and the real quantiser, so their glue is fuzzed too without costing every input ~5 ms.
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <variant>
#include <vector>

#include "platform/bmp_decoder.h"
#include "platform/picture_loader.h"

namespace {

constexpr qint64 kMaxPixels = 1 << 20;
constexpr qint64 kRealQuantizerPixels = 1024;

void checkWhole(const lumarel::IndexedPicture& picture)
{
    if (picture.isNull() || picture.indices.size() != std::size_t(picture.size.width()) * std::size_t(picture.size.height()))
        std::abort();
}

// Reads every row (so out-of-bounds reads show) and maps each pixel to a 3-3-2 colour index.
std::optional<lumarel::IndexedPicture> readRowsCheaply(QSize size, const lumarel::RgbaRowSource& rows)
{
    lumarel::IndexedPicture picture;
    picture.size = size;
    picture.indices.resize(std::size_t(size.width()) * std::size_t(size.height()));
    std::vector<std::uint8_t> line(std::size_t(size.width()) * 4);
    for (int y = 0; y < size.height(); ++y) {
        rows(y, line.data());
        for (int x = 0; x < size.width(); ++x) {
            const std::uint8_t* p = line.data() + std::size_t(x) * 4;
            if (p[3] != 255)
                std::abort();  // the decoder gives opaque pixels
            picture.indices[std::size_t(y) * std::size_t(size.width()) + std::size_t(x)] =
                std::uint8_t((p[0] & 0xE0) | (p[1] & 0xE0) >> 3 | p[2] >> 6);
        }
    }
    return picture;
}

int fuzzLoader(const QByteArray& bytes)
{
    const lumarel::PictureLoadResult result = lumarel::loadPictureData(bytes);
    if (result.picture)
        checkWhole(*result.picture);
    else if (result.error.isEmpty())
        std::abort();
    return 0;
}

int fuzzBmp(const QByteArray& bytes)
{
    const lumarel::BmpHeaderResult header = lumarel::readBmpHeader(bytes);
    qint64 pixels = 0;
    if (const auto* h = std::get_if<lumarel::BmpHeader>(&header)) {
        pixels = qint64(h->width) * h->height;
        if (pixels > kMaxPixels)
            return 0;
    }
    if (pixels == 0 || (pixels <= kRealQuantizerPixels && bytes.size() % 8 == 0))
        return fuzzLoader(bytes);  // through the loader, as the program does
    const lumarel::BmpDecodeResult result = lumarel::decodeBmpBytes(bytes, readRowsCheaply);
    if (const auto* picture = std::get_if<lumarel::IndexedPicture>(&result))
        checkWhole(*picture);
    else if (std::get<lumarel::BmpError>(result).text.isEmpty())
        std::abort();
    return 0;
}

// The canvas a GIF's first frame needs (logical screen grown to hold the frame), read from its
// headers without decoding; 0 when the headers end first.
qint64 gifCanvasPixels(const QByteArray& bytes)
{
    auto u8 = [&bytes](qsizetype at) { return at < bytes.size() ? int(quint8(bytes[at])) : -1; };
    auto u16 = [&](qsizetype at) { return std::max(u8(at), 0) | std::max(u8(at + 1), 0) << 8; };
    qint64 width = u16(6), height = u16(8);
    qsizetype at = 13 + (u8(10) & 0x80 ? 3 * (2 << (u8(10) & 7)) : 0);
    for (int blocks = 0; blocks < 10000 && u8(at) >= 0; ++blocks) {
        if (u8(at) == 0x2C) {  // image descriptor: left, top, width, height
            width = std::max<qint64>(width, u16(at + 1) + u16(at + 5));
            height = std::max<qint64>(height, u16(at + 3) + u16(at + 7));
            break;
        }
        if (u8(at) != 0x21)
            break;
        at += 2;  // extension introducer and label, then sub-blocks up to an empty one
        while (u8(at) > 0)
            at += u8(at) + 1;
        ++at;
    }
    return width * height;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    if (bytes.startsWith("BM"))
        return fuzzBmp(bytes);
    if (bytes.startsWith("GIF") && gifCanvasPixels(bytes) > kMaxPixels)
        return 0;
    return fuzzLoader(bytes);
}
