#include "app/layout.h"

namespace lumarel {

double extraListHeightTwips(double screenHeightPx)
{
    if (screenHeightPx == 600)
        return 1800;
    if (screenHeightPx == 768 || screenHeightPx == 1024 || screenHeightPx == 1200)
        return 4280;
    if (screenHeightPx == 864)
        return 5800;
    return 0;  // 480 and every height not in the table
}

MainLayout computeMainLayout(const ScreenMetrics& screen)
{
    MainLayout out;
    out.screenWidthPx = screen.screenWidthTwips / screen.tppX;
    out.screenHeightPx = screen.screenHeightTwips / screen.tppY;
    out.workAreaHeightPx = screen.workAreaHeightTwips / screen.tppY;
    out.windowHeightTwips = screen.workAreaHeightTwips;

    out.picture1 = design::picture1;
    out.picture1.width = out.screenWidthPx - out.picture1.left - 10;
    out.picture1.height = out.workAreaHeightPx - out.picture1.top - 30;

    out.picture3 = design::picture3;
    out.picture3.width = out.screenWidthPx - out.picture3.left - 10;

    out.tabHeightPx = out.picture1.height;

    out.extraListHeightTwips = extraListHeightTwips(out.screenHeightPx);
    out.fileListHeightTwips = design::fileListHeightTwips + out.extraListHeightTwips;

    out.picture2 = out.picture1;
    return out;
}

}  // namespace lumarel
