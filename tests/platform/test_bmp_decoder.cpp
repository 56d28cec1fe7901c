// Our BMP decoder on files written byte by byte here: every header kind and depth, RLE codes,
// colour masks, short palettes and pixel offsets. Damage and refusals: test_bmp_damage.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "platform/bmp_decoder.h"
#include "platform/bmp_builder.h"
#include "platform/picture_loader.h"

namespace lumarel {
namespace {

using test::BmpLayout;
using test::packIndices;
using test::packValues;
using test::writeBmp;

std::vector<std::uint8_t> pattern(int width, int height, int modulo)
{
    std::vector<std::uint8_t> indices;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            indices.push_back(std::uint8_t((x * 7 + y * 13 + 3) % modulo));
    return indices;
}

std::vector<QRgb> colours(int count)
{
    std::vector<QRgb> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(qRgb(i, 255 - i, (i * 3 + 40) & 255));
    return palette;
}

IndexedPicture decoded(const QByteArray& bytes, const TrueColourQuantizer& quantizer = quantizeRows)
{
    BmpDecodeResult result = decodeBmpBytes(bytes, quantizer);
    if (const auto* error = std::get_if<BmpError>(&result)) {
        ADD_FAILURE() << "refused: " << error->text.toStdString();
        return {};
    }
    return std::get<IndexedPicture>(std::move(result));
}

// The palette the decoder should give: the stored entries, then black.
std::array<QRgb, 256> padded(const std::vector<QRgb>& stored, std::size_t count)
{
    std::array<QRgb, 256> palette;
    palette.fill(qRgb(0, 0, 0));
    for (std::size_t i = 0; i < std::min<std::size_t>(count, 256); ++i)
        palette[i] = stored[i] | 0xff000000u;
    return palette;
}

TEST(BmpDecoder, EveryHeaderKindReadsTheSamePicture)
{
    const int width = 7, height = 5;
    const std::vector<std::uint8_t> indices = pattern(width, height, 256);
    for (int headerSize : {12, 16, 20, 36, 40, 52, 56, 64, 108, 124}) {
        SCOPED_TRACE(testing::Message() << "header of " << headerSize << " bytes");
        BmpLayout layout{headerSize, width, height, 8};
        layout.palette = colours(256);
        layout.pixels = packIndices(indices, width, height, 8);
        const IndexedPicture picture = decoded(writeBmp(layout));
        EXPECT_EQ(picture.size, QSize(width, height));
        EXPECT_EQ(picture.indices, indices);
        EXPECT_EQ(picture.palette, padded(layout.palette, 256));
    }
}

TEST(BmpDecoder, EveryDepthKeepsItsIndicesAndPaletteAsStored)
{
    for (int bits : {1, 2, 4, 8}) {
        for (int width : {1, 13, 33}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, " << width << " wide");
            const std::vector<std::uint8_t> indices = pattern(width, 3, 1 << bits);
            BmpLayout layout{40, width, 3, bits};
            layout.palette = colours(1 << bits);
            layout.pixels = packIndices(indices, width, 3, bits);
            const IndexedPicture picture = decoded(writeBmp(layout));
            EXPECT_EQ(picture.indices, indices);
            EXPECT_EQ(picture.palette, padded(layout.palette, layout.palette.size()));
        }
    }
    // 1 bit, either entry the darker one: neither the entries nor the indices are swapped.
    for (const auto& [first, second] : {std::pair{qRgb(0, 0, 0), qRgb(255, 255, 255)},
                                        std::pair{qRgb(250, 240, 230), qRgb(20, 10, 0)}}) {
        const std::vector<std::uint8_t> indices = pattern(19, 4, 2);
        BmpLayout layout{40, 19, 4, 1};
        layout.palette = {first, second};
        layout.pixels = packIndices(indices, 19, 4, 1);
        const IndexedPicture picture = decoded(writeBmp(layout));
        EXPECT_EQ(picture.indices, indices);
        EXPECT_EQ(picture.palette[0], first);
        EXPECT_EQ(picture.palette[1], second);
    }
}

TEST(BmpDecoder, ShortPalettesAndThePixelOffsetAreHonoured)
{
    const int width = 9, height = 4;
    const std::vector<std::uint8_t> indices = pattern(width, height, 200);  // past a short palette

    // biClrUsed of 16: sixteen entries (not the gap after them); indices past them are kept.
    BmpLayout used{40, width, height, 8, 0, 16};
    used.palette = colours(16);
    used.gap = QByteArray(40, char(0x77));
    used.pixels = packIndices(indices, width, height, 8);
    IndexedPicture picture = decoded(writeBmp(used));
    EXPECT_EQ(picture.indices, indices);
    EXPECT_EQ(picture.palette, padded(used.palette, 16));

    // A core (OS/2 1.x) header with 16 three-byte entries at 8 bits: the pixels start at the offset.
    BmpLayout core{12, width, height, 8};
    core.palette = colours(16);
    core.pixels = packIndices(indices, width, height, 8);
    const QByteArray coreFile = writeBmp(core);
    ASSERT_EQ(coreFile[10], char(14 + 12 + 48));
    picture = decoded(coreFile);
    EXPECT_EQ(picture.indices, indices);
    EXPECT_EQ(picture.palette, padded(core.palette, 16));

    // biClrUsed 0 (all 256) but only 16 entries before the pixels: the palette ends at the offset.
    BmpLayout room{40, width, height, 8};
    room.palette = colours(16);
    room.pixels = packIndices(indices, width, height, 8);
    picture = decoded(writeBmp(room));
    EXPECT_EQ(picture.indices, indices);
    EXPECT_EQ(picture.palette, padded(room.palette, 16));

    // A gap between the palette and the pixels: the offset says where they start.
    BmpLayout gap{40, width, height, 8};
    gap.palette = colours(256);
    gap.gap = QByteArray(37, char(0xCD));
    gap.pixels = packIndices(indices, width, height, 8);
    picture = decoded(writeBmp(gap));
    EXPECT_EQ(picture.indices, indices);
    EXPECT_EQ(picture.palette, padded(gap.palette, 256));

    // 4 bits with biClrUsed 0: sixteen entries, not the bytes of the gap after them.
    BmpLayout four{40, width, height, 4};
    four.palette = colours(16);
    four.gap = QByteArray(64, char(0x77));
    const std::vector<std::uint8_t> nibbles = pattern(width, height, 16);
    four.pixels = packIndices(nibbles, width, height, 4);
    picture = decoded(writeBmp(four));
    EXPECT_EQ(picture.indices, nibbles);
    EXPECT_EQ(picture.palette, padded(four.palette, 16));

    // More entries than 256: the first 256 are the palette, the pixels follow all of them.
    BmpLayout over{40, width, height, 8, 0, 300};
    over.palette = colours(300);
    over.pixels = packIndices(indices, width, height, 8);
    picture = decoded(writeBmp(over));
    EXPECT_EQ(picture.indices, indices);
    EXPECT_EQ(picture.palette, padded(over.palette, 256));
}

TEST(BmpDecoder, TopDownRowsReadLikeBottomUpOnes)
{
    for (int bits : {1, 4, 8}) {
        const std::vector<std::uint8_t> indices = pattern(11, 6, 1 << bits);
        BmpLayout layout{40, 11, -6, bits};
        layout.palette = colours(1 << bits);
        layout.pixels = packIndices(indices, 11, 6, bits, true);
        EXPECT_EQ(decoded(writeBmp(layout)).indices, indices) << bits << " bits";
    }
}

TEST(BmpDecoder, Rle8CodesEachDoWhatTheySay)
{
    BmpLayout layout{40, 8, 4, 8, 1};
    layout.palette = colours(256);
    layout.pixels = QByteArray::fromHex("0305"            // run of 3 x index 5
                                        "0003 0a0b0c 00"  // absolute 3, padded to an even length
                                        "0000"            // end of line
                                        "0002 0201"       // delta: 2 right, 1 up
                                        "0207"            // run of 2 x 7
                                        "0004 01020304"   // absolute 4, no padding
                                        "0000 0109"       // end of line, run of 1 x 9
                                        "0001"            // end of bitmap
                                        "0506");          // after the end: ignored
    const std::vector<std::uint8_t> expected = {9, 0, 0, 0, 0, 0, 0, 0,    //
                                                0, 0, 7, 7, 1, 2, 3, 4,    //
                                                0, 0, 0, 0, 0, 0, 0, 0,    // skipped by the delta
                                                5, 5, 5, 10, 11, 12, 0, 0};  // first stored row
    EXPECT_EQ(decoded(writeBmp(layout)).indices, expected);

    // The same stream read top-down puts its first row at the top.
    layout.height = -4;
    std::vector<std::uint8_t> topDown;
    for (int row = 3; row >= 0; --row)
        topDown.insert(topDown.end(), expected.begin() + row * 8, expected.begin() + row * 8 + 8);
    EXPECT_EQ(decoded(writeBmp(layout)).indices, topDown);
}

TEST(BmpDecoder, Rle4CodesEachDoWhatTheySay)
{
    BmpLayout layout{40, 8, 3, 4, 2};
    layout.palette = colours(16);
    layout.pixels = QByteArray::fromHex("0512"             // 5 pixels alternating 1, 2
                                        "0003 3450"        // absolute 3 pixels in 2 bytes
                                        "0000"             // end of line
                                        "0005 6789a0 00"   // absolute 5 pixels in 3 bytes, padded
                                        "0002 0101"        // delta: 1 right, 1 up
                                        "04bc"             // 4 pixels b, c, b, c: the last two clipped
                                        "0001");
    const std::vector<std::uint8_t> expected = {0, 0, 0, 0, 0, 0, 11, 12,  //
                                                6, 7, 8, 9, 10, 0, 0, 0,   //
                                                1, 2, 1, 2, 1, 3, 4, 5};
    EXPECT_EQ(decoded(writeBmp(layout)).indices, expected);
}

// What the decoder hands the quantiser: the picture's rows as red, green, blue, alpha.
struct RecordedRows {
    QSize size;
    std::vector<std::uint8_t> rgba;
};

TrueColourQuantizer recordInto(RecordedRows& recorded)
{
    return [&recorded](QSize size, const RgbaRowSource& rows) -> std::optional<IndexedPicture> {
        recorded.size = size;
        const std::size_t stride = std::size_t(size.width()) * 4;
        recorded.rgba.assign(stride * std::size_t(size.height()), 0xEE);
        for (int y = 0; y < size.height(); ++y)
            rows(y, recorded.rgba.data() + std::size_t(y) * stride);
        IndexedPicture picture;
        picture.size = size;
        picture.indices.assign(std::size_t(size.width()) * std::size_t(size.height()), 0);
        return picture;
    };
}

// A channel of a masked value scaled to 0..255, worked out bit by bit.
int expand(std::uint32_t value, std::uint32_t mask)
{
    if (mask == 0)
        return 0;
    while (!(mask & 1)) {
        mask >>= 1;
        value >>= 1;
    }
    return int(std::lround(double(value & mask) * 255.0 / double(mask)));
}

TEST(BmpDecoder, TrueColourPixelsFollowTheirMasks)
{
    struct Case {
        const char* name;
        int headerSize, bits;
        std::uint32_t compression;
        std::vector<std::uint32_t> masks;  // as written; empty for the default layout
        std::array<std::uint32_t, 3> meaning;  // red, green, blue masks the pixels follow
    };
    const Case cases[] = {
        {"16-bit default 5-5-5", 40, 16, 0, {}, {0x7C00, 0x03E0, 0x001F}},
        {"16-bit 5-6-5 masks after the header", 40, 16, 3, {0xF800, 0x07E0, 0x001F}, {0xF800, 0x07E0, 0x001F}},
        {"16-bit 2-3-1 masks", 40, 16, 3, {0x0030, 0x000E, 0x0001}, {0x0030, 0x000E, 0x0001}},
        {"24-bit", 40, 24, 0, {}, {0xFF0000, 0x00FF00, 0x0000FF}},
        {"32-bit default, fourth byte ignored", 40, 32, 0, {}, {0xFF0000, 0x00FF00, 0x0000FF}},
        {"32-bit 10-10-10 masks in a V5 header", 124, 32, 3, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}, {0x3FF00000, 0x000FFC00, 0x000003FF}},
        {"32-bit x-b-g-r masks in a V3 header", 56, 32, 3, {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000}, {0x000000FF, 0x0000FF00, 0x00FF0000}},
        {"32-bit alpha bit fields after the header", 40, 32, 6, {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF}, {0x0000FF00, 0x00FF0000, 0xFF000000}},
        {"V4 header without masks uses the default", 108, 16, 0, {}, {0x7C00, 0x03E0, 0x001F}},
    };
    const int width = 37, height = 5;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint32_t> values;
        std::uint32_t seed = 99;
        for (int i = 0; i < width * height; ++i) {
            seed = seed * 1664525u + 1013904223u;
            values.push_back(c.bits == 32 ? seed : seed >> (32 - c.bits));
        }
        BmpLayout layout{c.headerSize, width, height, c.bits, c.compression};
        layout.masks = c.masks;
        if (c.headerSize > 40 && c.masks.empty())
            layout.masks = {0x1F, 0x3E0, 0x7C00};  // in the header but unused without compression 3
        layout.pixels = packValues(values, width, height, c.bits / 8);
        RecordedRows rows;
        decoded(writeBmp(layout), recordInto(rows));
        ASSERT_EQ(rows.size, QSize(width, height));
        for (int i = 0; i < width * height; ++i) {
            const std::uint8_t* p = rows.rgba.data() + std::size_t(i) * 4;
            ASSERT_EQ(p[0], expand(values[std::size_t(i)], c.meaning[0])) << "pixel " << i;
            ASSERT_EQ(p[1], expand(values[std::size_t(i)], c.meaning[1])) << "pixel " << i;
            ASSERT_EQ(p[2], expand(values[std::size_t(i)], c.meaning[2])) << "pixel " << i;
        }
    }
}

TEST(BmpDecoder, TrueColourIsQuantisedExactlyOrDeterministically)
{
    // At most 256 colours, some of them a step apart: every pixel keeps its colour exactly.
    std::vector<std::uint32_t> few;
    for (int i = 0; i < 30 * 20; ++i) {
        const int c = (i * 37) % 256;
        few.push_back(std::uint32_t(qRgb(c / 2, c / 2 + (c & 1), c < 128 ? 7 : 8)) & 0xFFFFFF);
    }
    BmpLayout exact{40, 30, 20, 24};
    exact.pixels = packValues(few, 30, 20, 3);
    const IndexedPicture small = decoded(writeBmp(exact));
    for (int i = 0; i < 30 * 20; ++i)
        ASSERT_EQ(small.palette[small.indices[std::size_t(i)]], few[std::size_t(i)] | 0xff000000u) << "pixel " << i;
    // Each colour has its own index, numbered in order of first appearance from the top row.
    std::set<std::uint8_t> seen;
    for (std::uint8_t index : small.indices) {
        if (!seen.count(index)) {
            ASSERT_EQ(index, seen.size());
            seen.insert(index);
        }
    }
    EXPECT_EQ(seen.size(), 256u);

    // Many colours: the same file gives the same indices and palette, close to the picture.
    std::vector<std::uint32_t> many;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x)
            many.push_back(std::uint32_t(qRgb(x * 2, y * 2 + 20, 255 - x - y)) & 0xFFFFFF);
    BmpLayout smooth{40, 128, 96, 32};
    smooth.pixels = packValues(many, 128, 96, 4);
    const QByteArray file = writeBmp(smooth);
    const IndexedPicture first = decoded(file), second = decoded(file);
    EXPECT_EQ(first.indices, second.indices);
    EXPECT_EQ(first.palette, second.palette);
    double error = 0;
    std::set<std::uint8_t> used;
    for (std::size_t i = 0; i < many.size(); ++i) {
        const QRgb shown = first.palette[first.indices[i]];
        error += std::abs(qRed(shown) - qRed(many[i])) + std::abs(qGreen(shown) - qGreen(many[i])) +
                 std::abs(qBlue(shown) - qBlue(many[i]));
        used.insert(first.indices[i]);
    }
    EXPECT_LT(error / (3.0 * double(many.size())), 4.0);
    EXPECT_GT(used.size(), 200u);  // the palette is put to use
}

TEST(BmpDecoder, TrueColourIsNotDithered)
{
    // 16,384 colours; along each row only red changes. Each pixel takes its nearest palette
    // colour, so a row crosses each entry's region once: every entry covers one band of the row
    // (cycling shows clean bands). Dithering would scatter neighbouring entries along the row.
    const int width = 256, height = 64;
    std::vector<std::uint32_t> ramps;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ramps.push_back(std::uint32_t(qRgb(x, y * 4, 100)) & 0xFFFFFF);
    BmpLayout layout{40, width, height, 24};
    layout.pixels = packValues(ramps, width, height, 3);
    const IndexedPicture picture = decoded(writeBmp(layout));
    ASSERT_EQ(picture.size, QSize(width, height));
    for (int y = 0; y < height; ++y) {
        const auto row = picture.indices.begin() + y * width;
        int bands = 1;
        for (int x = 1; x < width; ++x)
            bands += row[x] != row[x - 1];
        EXPECT_EQ(bands, int(std::set<std::uint8_t>(row, row + width).size())) << "row " << y;
    }
}

TEST(BmpDecoder, TheLoaderUsesTheDecoder)
{
    BmpLayout layout{12, 5, 2, 8};
    layout.palette = colours(4);
    layout.pixels = packIndices({3, 2, 1, 0, 250, 7, 8, 9, 10, 11}, 5, 2, 8);
    const PictureLoadResult result = loadPictureData(writeBmp(layout));
    ASSERT_TRUE(result.picture) << result.error.toStdString();
    EXPECT_EQ(result.picture->indices, (std::vector<std::uint8_t>{3, 2, 1, 0, 250, 7, 8, 9, 10, 11}));
    EXPECT_EQ(result.picture->palette[250], qRgb(0, 0, 0));
}

}  // namespace
}  // namespace lumarel
