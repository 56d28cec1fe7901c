#include "maps/palette_strip.h"

#include <gtest/gtest.h>

#include <QImage>

namespace lumarel {
namespace {

// Entry n gets a colour no other entry has.
std::array<QRgb, 256> distinctColours()
{
    std::array<QRgb, 256> colours;
    for (int n = 0; n < 256; ++n)
        colours[std::size_t(n)] = qRgb(n, 255 - n, (n * 7) % 256);
    return colours;
}

// The entry whose colour a pixel shows, or -1 when it shows none of them.
int entryAt(const QImage& image, int x, int y)
{
    const QRgb pixel = image.pixel(x, y);
    const auto colours = distinctColours();
    for (int n = 0; n < 256; ++n) {
        if (colours[std::size_t(n)] == pixel)
            return n;
    }
    return -1;
}

TEST(PaletteStrip, A256HighPictureShowsEntryNOnRowN)
{
    for (const QImage::Format format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32}) {
        QImage image(40, 256, format);
        image.fill(Qt::white);
        drawStrip(image, distinctColours());
        for (int y = 0; y < 256; ++y) {
            EXPECT_EQ(entryAt(image, 0, y), y);
            EXPECT_EQ(entryAt(image, 39, y), y);
        }
    }
}

TEST(PaletteStrip, ThinBandsPaintEveryRowWithTheLastEntryDrawnOnIt)
{
    for (const int height : {97, 1, 255, 300, 1000}) {
        SCOPED_TRACE(height);
        QImage image(13, height, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        drawStrip(image, distinctColours());
        for (int y = 0; y < height; ++y) {
            // Bands n with n * h / 256 < y + 1 reach row y; the last of them wins. Band n starts
            // before y + 1 when 256 * (y + 1) > n * h.
            int expected = 0;
            while (expected < 255 && (expected + 1) * height < 256 * (y + 1))
                ++expected;
            EXPECT_EQ(entryAt(image, 0, y), expected) << "row " << y;
            EXPECT_EQ(entryAt(image, 12, y), expected) << "row " << y;
        }
        EXPECT_EQ(entryAt(image, 6, height - 1), 255);
    }
}

TEST(PaletteStrip, DrawsMapAndGeneratedPalettesOverWhatWasThere)
{
    QImage image(8, 97, QImage::Format_RGB32);
    image.fill(Qt::red);
    drawMapStrip(image, MapPalette{});
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(image.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
    }

    MapPalette map;
    map[0] = {10, 20, 30, 99};
    map[255] = {200, 100, 50, 1};
    QImage tall(4, 512, QImage::Format_ARGB32_Premultiplied);
    drawMapStrip(tall, map);
    EXPECT_EQ(tall.pixel(3, 0), qRgb(10, 20, 30));
    EXPECT_EQ(tall.pixel(3, 1), qRgb(10, 20, 30));
    EXPECT_EQ(tall.pixel(0, 511), qRgb(200, 100, 50));

    GeneratedPalette generated;
    generated[1] = {300, -5, 128, 77};   // out-of-range channels are held to 0..255
    generated[256] = {1, 2, 3, -1};
    drawGeneratedStrip(tall, generated);
    EXPECT_EQ(tall.pixel(0, 0), qRgb(255, 0, 128));
    EXPECT_EQ(tall.pixel(0, 511), qRgb(1, 2, 3));
    EXPECT_EQ(tall.pixel(0, 200), qRgb(0, 0, 0));

    // Another pixel format the window might hand over is drawn in that format.
    QImage packed(5, 256, QImage::Format_RGB888);
    drawGeneratedStrip(packed, generated);
    EXPECT_EQ(packed.format(), QImage::Format_RGB888);
    EXPECT_EQ(packed.pixel(4, 0), qRgb(255, 0, 128));
}

}  // namespace
}  // namespace lumarel
