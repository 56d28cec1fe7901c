// Damaged BMPs: pixels the file does not supply are 0 (black for true colour), the same on every
// load; files that supply no pixel, or that this program cannot read, are refused with a reason;
// sizes are checked before anything is allocated.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "platform/bmp_builder.h"
#include "platform/bmp_decoder.h"
#include "platform/picture_loader.h"

namespace lumarel {
namespace {

using test::BmpLayout;
using test::packIndices;
using test::packValues;
using test::writeBmp;

std::vector<QRgb> greys(int count)
{
    std::vector<QRgb> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(qRgb(i, i, i));
    return palette;
}

QByteArray rle(int bits, int width, int height, const char* hex)
{
    BmpLayout layout{40, width, height, bits, bits == 8 ? 1u : 2u};
    layout.palette = greys(1 << bits);
    layout.pixels = QByteArray::fromHex(hex);
    return writeBmp(layout);
}

// Fills freed heap memory with a pattern, so that a pixel a decoder leaves unwritten in a new
// buffer would most likely show it.
void scribbleOverFreedMemory(std::size_t bytes)
{
    std::vector<std::uint8_t> scribble(bytes + 64, 0xA5);
    asm volatile("" : : "r"(scribble.data()) : "memory");
}

// Decodes twice with the heap scribbled over in between; both results must be the same.
IndexedPicture decodedTwice(const QByteArray& bytes)
{
    BmpDecodeResult first = decodeBmpBytes(bytes);
    if (const auto* error = std::get_if<BmpError>(&first)) {
        ADD_FAILURE() << "refused: " << error->text.toStdString();
        return {};
    }
    const IndexedPicture& picture = std::get<IndexedPicture>(first);
    scribbleOverFreedMemory(picture.indices.size());
    BmpDecodeResult second = decodeBmpBytes(bytes);
    EXPECT_TRUE(std::holds_alternative<IndexedPicture>(second));
    if (const auto* again = std::get_if<IndexedPicture>(&second)) {
        EXPECT_EQ(again->indices, picture.indices);
        EXPECT_EQ(again->palette, picture.palette);
    }
    return picture;
}

TEST(BmpDamage, UnsuppliedPixelsAreZeroOnEveryLoad)
{
    struct Case {
        const char* name;
        QByteArray file;
        std::vector<std::uint8_t> expected;  // top row first
    };
    std::vector<std::uint8_t> eight(10 * 10);
    for (std::size_t i = 0; i < eight.size(); ++i)
        eight[i] = std::uint8_t(i + 1);
    BmpLayout cut8{40, 10, 10, 8};
    cut8.palette = greys(256);
    cut8.pixels = packIndices(eight, 10, 10, 8).left(2 * 12 + 1);  // two rows and one pixel
    std::vector<std::uint8_t> cut8Expected(100, 0);
    std::copy(eight.begin() + 80, eight.end(), cut8Expected.begin() + 80);  // the bottom rows
    cut8Expected[70] = eight[70];

    std::vector<std::uint8_t> ones(20 * 4);
    for (std::size_t i = 0; i < ones.size(); ++i)
        ones[i] = std::uint8_t((i * 5 / 3) % 2);
    BmpLayout cut1{40, 20, 4, 1};
    cut1.palette = greys(2);
    cut1.pixels = packIndices(ones, 20, 4, 1).left(4 + 1);  // one row and eight pixels
    std::vector<std::uint8_t> cut1Expected(80, 0);
    std::copy(ones.begin() + 60, ones.end(), cut1Expected.begin() + 60);
    std::copy(ones.begin() + 40, ones.begin() + 48, cut1Expected.begin() + 40);

    const Case cases[] = {
        {"RLE8 run past the row end", rle(8, 4, 2, "0607 0000 0208 0001"), {8, 8, 0, 0, 7, 7, 7, 7}},
        {"RLE8 runs past the picture", rle(8, 4, 2, "0203 0000 0000 0409 0001"), {0, 0, 0, 0, 3, 3, 0, 0}},
        {"RLE8 absolute run past the row end", rle(8, 4, 2, "0006 010203040506 0000 0109"), {9, 0, 0, 0, 1, 2, 3, 4}},
        {"RLE8 delta past the row end and the picture",
         rle(8, 4, 2, "0002 0a00 0205 0000 0106 0002 0005 0407"), {6, 0, 0, 0, 0, 0, 0, 0}},
        {"RLE8 data ending inside an absolute run", rle(8, 4, 2, "0305 0005 0102"), {0, 0, 0, 0, 5, 5, 5, 1}},
        {"RLE8 data ending inside a code", rle(8, 4, 2, "0305 07"), {0, 0, 0, 0, 5, 5, 5, 0}},
        {"RLE8 data ending inside a delta", rle(8, 4, 2, "0305 0002 01"), {0, 0, 0, 0, 5, 5, 5, 0}},
        {"RLE8 without an end of bitmap", rle(8, 4, 2, "0305 0000 0106"), {6, 0, 0, 0, 5, 5, 5, 0}},
        {"RLE4 data ending inside an absolute run", rle(4, 6, 1, "0212 0005 34"), {1, 2, 3, 4, 0, 0}},
        {"RLE4 runs past the picture", rle(4, 4, 1, "0312 0000 0534"), {1, 2, 1, 0}},
        {"8-bit pixels cut short", writeBmp(cut8), cut8Expected},
        {"1-bit pixels cut short", writeBmp(cut1), cut1Expected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodedTwice(c.file).indices, c.expected);
    }
}

TEST(BmpDamage, TrueColourCutShortIsBlackWhereItEnds)
{
    const int width = 5, height = 2;  // rows of 15 bytes, stored in 16
    std::vector<std::uint32_t> values;
    for (int i = 0; i < width * height; ++i)
        values.push_back(0x102030u * std::uint32_t(i + 1) + std::uint32_t(i * 977));
    BmpLayout layout{40, width, height, 24};
    layout.pixels = packValues(values, width, height, 3).left(16 + 7);  // a row, two pixels and a byte
    const QByteArray file = writeBmp(layout);

    std::vector<std::uint8_t> rgba;
    decodeBmpBytes(file, [&rgba](QSize size, const RgbaRowSource& rows) -> std::optional<IndexedPicture> {
        rgba.assign(std::size_t(size.width() * size.height()) * 4, 0xEE);
        for (int y = 0; y < size.height(); ++y)
            rows(y, rgba.data() + std::size_t(y * size.width()) * 4);
        return IndexedPicture{size, std::vector<std::uint8_t>(std::size_t(size.width() * size.height())), {}};
    });
    ASSERT_EQ(rgba.size(), std::size_t(width * height * 4));
    for (int i = 0; i < width * height; ++i) {
        const bool supplied = i >= width || i < 2;  // the bottom row, then two pixels of the top one
        const QRgb expected = supplied ? values[std::size_t(i)] : 0;
        EXPECT_EQ(rgba[std::size_t(i) * 4], qRed(expected)) << "pixel " << i;
        EXPECT_EQ(rgba[std::size_t(i) * 4 + 1], qGreen(expected)) << "pixel " << i;
        EXPECT_EQ(rgba[std::size_t(i) * 4 + 2], qBlue(expected)) << "pixel " << i;
        EXPECT_EQ(rgba[std::size_t(i) * 4 + 3], 255) << "pixel " << i;
    }

    const IndexedPicture picture = decodedTwice(file);  // through the real quantiser
    for (int x = 2; x < width; ++x)
        EXPECT_EQ(picture.palette[picture.at(x, 0)], qRgb(0, 0, 0));
}

BmpLayout validEightBit(int width, int height)
{
    BmpLayout layout{40, width, height, 8};
    layout.palette = greys(256);
    layout.pixels = QByteArray(std::max(0, (width + 3) / 4 * 4 * std::abs(height)), '\1');
    return layout;
}

TEST(BmpDamage, RefusalsSayWhy)
{
    const QByteArray valid = writeBmp(validEightBit(7, 5));
    auto with = [](auto change) {
        BmpLayout layout = validEightBit(7, 5);
        change(layout);
        return writeBmp(layout);
    };
    auto os2 = [](int bits, std::uint32_t compression) {
        BmpLayout layout{64, 8, 2, bits, compression};
        layout.pixels = QByteArray(64, '\0');
        return writeBmp(layout);
    };
    const struct {
        QByteArray file;
        const char* reason;
    } cases[] = {
        {"BM", "the BMP is damaged: its header is cut short"},
        {valid.left(30), "the BMP is damaged: its header is cut short"},
        {valid.left(14 + 40 + 500), "the BMP is damaged: it ends before its pixels (they would start at byte 1078 of 554)"},
        {with([](BmpLayout& l) { l.pixelOffset = 5000; }), "it ends before its pixels (they would start at byte 5000 of"},
        {with([](BmpLayout& l) { l.pixelOffset = 20; }), "the BMP is damaged: its pixel data would start inside its header (at byte 20)"},
        {with([](BmpLayout& l) { l.width = 0; }), "the picture has no pixels (0 x 5)"},
        {with([](BmpLayout& l) { l.height = 0; }), "the picture has no pixels (7 x 0)"},
        {with([](BmpLayout& l) { l.width = -7; }), "the picture has no pixels (-7 x 5)"},
        {with([](BmpLayout& l) { l.width = l.height = 20000; }),
         "the picture is too large (20000 x 20000 pixels; at most 16384 x 16384 and 100 million pixels)"},
        {with([](BmpLayout& l) { l.width = 10001, l.height = -10000; }), "the picture is too large (10001 x 10000 pixels"},
        {with([](BmpLayout& l) { l.height = std::numeric_limits<std::int32_t>::min(); }), "too large (7 x 2147483648 pixels"},
        {with([](BmpLayout& l) { l.headerSize = 12, l.width = 65535, l.height = 65535; }), "too large (65535 x 65535 pixels"},
        {with([](BmpLayout& l) { l.headerSize = 64, l.height = -1; }), "too large (7 x 4294967295 pixels"},
        {with([](BmpLayout& l) { l.headerSize = 66; }), "the BMP is damaged: unknown header of 66 bytes"},
        {with([](BmpLayout& l) { l.headerSize = 8; }), "the BMP is damaged: unknown header of 8 bytes"},
        {with([](BmpLayout& l) { l.compression = 4, l.bits = 0; }), "the BMP holds a JPEG picture, which this program cannot read"},
        {with([](BmpLayout& l) { l.compression = 5, l.bits = 0; }), "the BMP holds a PNG picture, which this program cannot read"},
        {with([](BmpLayout& l) { l.compression = 7; }), "the BMP uses compression 7, which this program cannot read"},
        {os2(1, 3), "the BMP uses Huffman 1D compression, which this program cannot read"},
        {os2(24, 4), "the BMP uses RLE24 compression, which this program cannot read"},
        {with([](BmpLayout& l) { l.bits = 0; }), "the BMP is damaged: it declares 0 bits per pixel"},
        {with([](BmpLayout& l) { l.bits = 3; }), "the BMP is damaged: it declares 3 bits per pixel"},
        {with([](BmpLayout& l) { l.bits = 64; }), "the BMP is damaged: it declares 64 bits per pixel"},
        {with([](BmpLayout& l) { l.compression = 1, l.bits = 4; }), "the BMP is damaged: it uses RLE8 compression at 4 bits per pixel"},
        {with([](BmpLayout& l) { l.compression = 2; }), "the BMP is damaged: it uses RLE4 compression at 8 bits per pixel"},
        {with([](BmpLayout& l) { l.compression = 3; }), "the BMP is damaged: it uses colour masks at 8 bits per pixel"},
        {rle(8, 4, 2, "0001 0305"), "the BMP is damaged: its compressed data holds no pixels"},
        {rle(8, 4, 2, "0000 0000 0305"), "the BMP is damaged: its compressed data holds no pixels"},
        {rle(4, 4, 2, "03"), "the BMP is damaged: its compressed data holds no pixels"},
        {with([](BmpLayout& l) { l.bits = 16, l.compression = 3, l.palette = {}, l.pixels = QByteArray::fromHex("00f8e007"); }),
         "the BMP is damaged: its colour masks are cut short"},
        {with([](BmpLayout& l) { l.bits = 24, l.palette = {}, l.pixels = "ab"; }), "the BMP is damaged: it ends before its first pixel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const BmpDecodeResult result = decodeBmpBytes(c.file);
        ASSERT_TRUE(std::holds_alternative<BmpError>(result));
        EXPECT_TRUE(std::get<BmpError>(result).text.contains(QString::fromUtf8(c.reason)))
            << std::get<BmpError>(result).text.toStdString();
    }
    // The loader passes the reason on.
    EXPECT_EQ(loadPictureData(valid.left(30)).error, QStringLiteral("the BMP is damaged: its header is cut short"));
}

TEST(BmpDamage, TheLargestPicturesLoadAndLargerOnesAreRefused)
{
    // 10,000 x 10,000 (the 100 million pixel limit) in a few bytes of RLE8: a run on the bottom
    // row, deltas to the middle, a run there.
    QByteArray stream = QByteArray::fromHex("ff01 0000");
    for (int i = 0; i < 20; ++i)
        stream += QByteArray::fromHex("0002 fafa");  // 250 right, 250 up
    stream += QByteArray::fromHex("032a 0001");
    const PictureLoadResult big = loadPictureData(rle(8, 10000, 10000, stream.toHex().constData()));
    ASSERT_TRUE(big.picture) << big.error.toStdString();
    const IndexedPicture& picture = *big.picture;
    ASSERT_EQ(picture.size, QSize(10000, 10000));
    ASSERT_EQ(picture.indices.size(), std::size_t(100'000'000));
    EXPECT_EQ(picture.at(0, 9999), 1);
    EXPECT_EQ(picture.at(254, 9999), 1);
    EXPECT_EQ(picture.at(255, 9999), 0);
    EXPECT_EQ(picture.at(5000, 9999 - 5001), 42);
    EXPECT_EQ(picture.at(5002, 9999 - 5001), 42);
    EXPECT_EQ(std::count(picture.indices.begin(), picture.indices.end(), 0), 100'000'000 - 258);

    const PictureLoadResult huge = loadPictureData(rle(8, 20000, 20000, "032a 0001"));
    EXPECT_FALSE(huge.picture);
    EXPECT_EQ(huge.error, QStringLiteral("the picture is too large (20000 x 20000 pixels; at most 16384 x 16384 "
                                         "and 100 million pixels)"));
}

}  // namespace
}  // namespace lumarel
