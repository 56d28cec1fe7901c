#pragma once
// The main window's layout arithmetic for the screen it opens on: a pure function of the screen's
// size, its work area and its twips-per-pixel factors.

namespace lumarel {

struct ScreenMetrics {
    double tppX = 15;                // twips per pixel, across
    double tppY = 15;                // twips per pixel, down
    double screenWidthTwips = 0;
    double screenHeightTwips = 0;
    double workAreaHeightTwips = 0;  // the desktop minus its panels
};

struct RectF {
    double left = 0, top = 0, width = 0, height = 0;
};

// Where the load step puts the main window's controls, in pixels (the main window's own unit)
// except where a name says twips.
struct MainLayout {
    double screenWidthPx = 0;
    double screenHeightPx = 0;
    double workAreaHeightPx = 0;
    double windowHeightTwips = 0;   // the main window takes the work area's height
    RectF picture1;                 // the hidden image holder
    RectF picture2;                 // the visible display: Picture1's rectangle
    RectF picture3;                 // the map strip
    double tabHeightPx = 0;         // SSTab1
    double extraListHeightTwips = 0;
    double fileListHeightTwips = 0; // both file lists (they are measured in the tab's twips)
};

// Extra height of the file lists for a screen of this many pixels (exact match only).
double extraListHeightTwips(double screenHeightPx);

MainLayout computeMainLayout(const ScreenMetrics& screen);

// The designed geometry the load step starts from, in pixels (twips for the tab's children).
namespace design {
inline constexpr RectF picture1{200, 128, 424, 300};
inline constexpr RectF picture2{216, 144, 97, 97};
inline constexpr RectF picture3{552, 16, 73, 97};
inline constexpr RectF picture4{224, 344, 113, 65};
inline constexpr RectF frame1{8, 8, 537, 105};
inline constexpr RectF tab{8, 128, 177, 297};
inline constexpr double fileListHeightTwips = 1455;
}  // namespace design

}  // namespace lumarel
