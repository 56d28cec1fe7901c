#pragma once
// The main window's layout arithmetic for the screen it opens on: a pure function of the screen's
// size, its work area and its twips-per-pixel factors. The design is in twips; the main window
// measures its own children in pixels of the screen it runs on.

namespace lumarel {

struct ScreenMetrics {
    double tppX = 15;                // twips per pixel, across (1440 / logical DPI)
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
    RectF frame1;                   // "Action Table"
    RectF tab;                      // SSTab1
    RectF picture1;                 // the hidden image holder
    RectF picture2;                 // the visible display: Picture1's rectangle
    RectF picture3;                 // the map strip
    RectF picture4;                 // the hidden copy for copy and save
    double extraListHeightTwips = 0;
    double fileListHeightTwips = 0; // both file lists (they are measured in the tab's twips)
};

// Extra height of the file lists for a screen of this many pixels (exact match only).
double extraListHeightTwips(double screenHeightPx);

MainLayout computeMainLayout(const ScreenMetrics& screen);

// A designed rectangle in twips, in pixels of a screen with these factors.
RectF toPixels(const RectF& twips, double tppX, double tppY);

// The designed geometry the load step starts from, in twips.
namespace design {
inline constexpr RectF frame1{120, 120, 8055, 1575};
inline constexpr RectF tab{120, 1920, 2655, 4455};
inline constexpr RectF picture1{3000, 1920, 6360, 4500};
inline constexpr RectF picture2{3240, 2160, 1455, 1455};
inline constexpr RectF picture3{8280, 240, 1095, 1455};
inline constexpr RectF picture4{3360, 5160, 1695, 975};
inline constexpr double fileListHeightTwips = 1455;
// The command buttons, relative to the frame: Command3, Command1, Command7 in the first row,
// Command2, Command4, Command6, Command8, Command5 in the second.
inline constexpr double firstRowLefts[3] = {240, 1200, 2160};
inline constexpr double firstRowTop = 360;
inline constexpr double secondRowLefts[5] = {3240, 4200, 5160, 6120, 7080};
inline constexpr double secondRowTop = 480;
inline constexpr double buttonSide = 975;
inline constexpr double command8Width = 855;
}  // namespace design

}  // namespace lumarel
