#include <gtest/gtest.h>

#include <QDir>

#include "app/layout.h"
#include "app/paths.h"

using namespace lumarel;

namespace {
ScreenMetrics screenOf(double widthPx, double heightPx, double workHeightPx, double tpp = 15)
{
    return ScreenMetrics{tpp, tpp, widthPx * tpp, heightPx * tpp, workHeightPx * tpp};
}
}  // namespace

TEST(MainLayout, FileListsGrowByTheScreenHeightTable)
{
    struct Row { double height; double extraTwips; };
    const Row table[] = {{480, 0}, {600, 1800}, {768, 4280}, {864, 5800}, {1024, 4280}, {1200, 4280},
                         {800, 0}, {1080, 0}};
    for (const Row& row : table) {
        const MainLayout layout = computeMainLayout(screenOf(1280, row.height, row.height - 40));
        EXPECT_EQ(layout.extraListHeightTwips, row.extraTwips) << "screen height " << row.height;
        EXPECT_EQ(layout.fileListHeightTwips, 1455 + row.extraTwips) << "screen height " << row.height;
    }
}

TEST(MainLayout, PicturesFillTheScreenAndTheWorkArea)
{
    const MainLayout layout = computeMainLayout(screenOf(1024, 768, 738));
    EXPECT_DOUBLE_EQ(layout.picture1.width, 1024 - 200 - 10);
    EXPECT_DOUBLE_EQ(layout.picture1.height, 738 - 128 - 30);
    EXPECT_DOUBLE_EQ(layout.picture3.width, 1024 - 552 - 10);
    EXPECT_DOUBLE_EQ(layout.picture3.height, 97);
    EXPECT_DOUBLE_EQ(layout.tab.height, layout.picture1.height);
    EXPECT_DOUBLE_EQ(layout.windowHeightTwips, 738 * 15);
    // The visible display covers exactly the hidden image holder.
    EXPECT_DOUBLE_EQ(layout.picture2.left, layout.picture1.left);
    EXPECT_DOUBLE_EQ(layout.picture2.top, layout.picture1.top);
    EXPECT_DOUBLE_EQ(layout.picture2.width, layout.picture1.width);
    EXPECT_DOUBLE_EQ(layout.picture2.height, layout.picture1.height);
}

TEST(MainLayout, NothingIsTruncatedOnAScreenOfAnotherDensity)
{
    // 120 DPI: 12 twips per pixel. A work area of 727.5 pixels must stay fractional.
    const ScreenMetrics screen{12, 12, 1366 * 12, 768 * 12, 8730};
    const MainLayout layout = computeMainLayout(screen);
    EXPECT_DOUBLE_EQ(layout.workAreaHeightPx, 727.5);
    EXPECT_DOUBLE_EQ(layout.picture1.height, 727.5 - 1920.0 / 12 - 30);
    EXPECT_EQ(layout.extraListHeightTwips, 4280);
}

TEST(MainLayout, EveryDesignedPlaceIsConvertedAtTheScreensDensity)
{
    // 96, 120 and 144 DPI: 15, 12 and 10 twips per pixel. The designed twips become pixels of the
    // screen, the picture boxes and the strip as much as the lists and buttons.
    for (const double tpp : {15.0, 12.0, 10.0}) {
        const MainLayout layout = computeMainLayout(screenOf(1280, 1024, 994, tpp));
        EXPECT_DOUBLE_EQ(layout.picture1.left, 3000 / tpp) << tpp;
        EXPECT_DOUBLE_EQ(layout.picture1.top, 1920 / tpp) << tpp;
        EXPECT_DOUBLE_EQ(layout.picture1.width, 1280 - 3000 / tpp - 10) << tpp;
        EXPECT_DOUBLE_EQ(layout.picture1.height, 994 - 1920 / tpp - 30) << tpp;
        EXPECT_DOUBLE_EQ(layout.picture3.left, 8280 / tpp) << tpp;
        EXPECT_DOUBLE_EQ(layout.picture3.height, 1455 / tpp) << tpp;
        EXPECT_DOUBLE_EQ(layout.picture3.width, 1280 - 8280 / tpp - 10) << tpp;
        EXPECT_DOUBLE_EQ(layout.picture4.width, 1695 / tpp) << tpp;
        EXPECT_DOUBLE_EQ(layout.frame1.width, 8055 / tpp) << tpp;
        EXPECT_DOUBLE_EQ(layout.tab.left, 120 / tpp) << tpp;
        EXPECT_DOUBLE_EQ(layout.tab.height, layout.picture1.height) << tpp;
    }
    // The 120-DPI case from a user's screen: 1280 wide, 440 of work area.
    const MainLayout small = computeMainLayout(screenOf(1280, 480, 440, 12));
    EXPECT_DOUBLE_EQ(small.picture1.width, 1020);
    EXPECT_DOUBLE_EQ(small.picture1.height, 250);
}

TEST(Paths, HelpLogoAndChosenFilesJoinWithOneSeparator)
{
    const QString sep = QDir::separator();
    EXPECT_EQ(helpFilePath(sep), sep + "Lmr.HLP");
    EXPECT_EQ(helpFilePath("/opt/lumarel"), "/opt/lumarel" + sep + "Lmr.HLP");
    // The logo path never tests for a root folder, so a root gives a doubled separator.
    EXPECT_EQ(logoPath(sep), sep + sep + "Lmrlogo.bmp");
    EXPECT_EQ(logoPath("/opt/lumarel"), "/opt/lumarel" + sep + "Lmrlogo.bmp");
    EXPECT_EQ(joinFolderPath(sep, "FRACT001.GIF"), sep + "FRACT001.GIF");
    EXPECT_EQ(joinFolderPath("/maps", "fire.map"), "/maps" + sep + "fire.map");
}
