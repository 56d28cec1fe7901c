#include <gtest/gtest.h>

#include "platform/palette_display.h"

namespace lumarel {
namespace {

IndexedPicture smallPicture()
{
    // 3 x 2 indices 0..5, own colours grey levels
    IndexedPicture picture;
    picture.size = QSize(3, 2);
    picture.indices = {0, 1, 2, 3, 4, 5};
    for (int i = 0; i < 256; ++i)
        picture.palette[std::size_t(i)] = qRgb(i * 10 % 256, i, 0);
    return picture;
}

std::array<PaletteEntry, 256> rampPalette()
{
    std::array<PaletteEntry, 256> palette;
    for (int i = 0; i < 256; ++i)
        palette[std::size_t(i)] = {std::uint8_t(i), std::uint8_t(255 - i), 99, 1};
    return palette;
}

TEST(PaletteDisplay, ShowsOwnColoursThenThePaletteThroughTheStretchedIndices)
{
    const auto picture = std::make_shared<const IndexedPicture>(smallPicture());
    PaletteDisplay display;
    display.setDisplaySize(QSize(7, 5));
    display.setPicture(picture);
    QImage frame = display.frame();
    ASSERT_EQ(frame.size(), QSize(7, 5));
    EXPECT_EQ(frame.format(), QImage::Format_RGB32);
    EXPECT_FALSE(display.realized());
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            const std::uint8_t index = picture->at(x * 3 / 7, y * 2 / 5);
            EXPECT_EQ(display.indexAt(x, y), index) << x << "," << y;
            EXPECT_EQ(frame.pixel(x, y), picture->palette[index]) << x << "," << y;
        }
    }

    const auto palette = rampPalette();
    display.realize(palette);
    EXPECT_TRUE(display.realized());
    frame = display.frame();
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(frame.pixel(x, y), qRgb(display.indexAt(x, y), 255 - display.indexAt(x, y), 99));

    // Replacing entry 4 recolours exactly the pixels of index 4.
    const PaletteEntry red{255, 0, 0, 1};
    display.animate(4, 1, &red);
    frame = display.frame();
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            const int index = display.indexAt(x, y);
            EXPECT_EQ(frame.pixel(x, y), index == 4 ? qRgb(255, 0, 0) : qRgb(index, 255 - index, 99));
        }
    }
    // Entries past 255 are ignored.
    display.animate(250, 10, palette.data());
    EXPECT_EQ(display.colourTable()[255], qRgb(5, 250, 99));

    display.showOwnColours();
    EXPECT_EQ(display.frame().pixel(6, 4), picture->palette[5]);
}

TEST(PaletteDisplay, TellsWhoShowsItOfEveryChangeAndFollowsANewSize)
{
    PaletteDisplay display;
    std::vector<PaletteDisplay::Change> changes;
    display.setObserver([&changes](PaletteDisplay::Change change) { changes.push_back(change); });
    const auto picture = std::make_shared<const IndexedPicture>(smallPicture());
    display.setDisplaySize(QSize(6, 4));
    display.setPicture(picture);
    display.realize(rampPalette());
    const PaletteEntry black{0, 0, 0, 1};
    display.animate(5, 1, &black);
    using Change = PaletteDisplay::Change;
    EXPECT_EQ(changes, (std::vector<Change>{Change::Picture, Change::Picture, Change::Realized, Change::Pushed}));
    EXPECT_EQ(display.pushCount(), 1u);

    // A new size restretches the picture; the realised palette stays.
    display.setDisplaySize(QSize(12, 2));
    EXPECT_EQ(display.frame().size(), QSize(12, 2));
    EXPECT_EQ(display.frame().pixel(11, 1), qRgb(0, 0, 0));  // index 5, pushed black
    EXPECT_EQ(display.frame().pixel(0, 0), qRgb(0, 255, 99));
    EXPECT_TRUE(display.realized());

    // Without a picture a push changes nothing and there is no frame.
    display.clear();
    EXPECT_FALSE(display.hasPicture());
    EXPECT_TRUE(display.frame().isNull());
    display.showOwnColours();
    display.animate(5, 1, &black);
    EXPECT_EQ(display.pushCount(), 1u);
}

}  // namespace
}  // namespace lumarel
