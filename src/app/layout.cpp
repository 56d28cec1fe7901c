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

RectF toPixels(const RectF& twips, double tppX, double tppY)
{
    return {twips.left / tppX, twips.top / tppY, twips.width / tppX, twips.height / tppY};
}

MainLayout computeMainLayout(const ScreenMetrics& screen)
{
    MainLayout out;
    out.screenWidthPx = screen.screenWidthTwips / screen.tppX;
    out.screenHeightPx = screen.screenHeightTwips / screen.tppY;
    out.workAreaHeightPx = screen.workAreaHeightTwips / screen.tppY;
    out.windowHeightTwips = screen.workAreaHeightTwips;

    out.frame1 = toPixels(design::frame1, screen.tppX, screen.tppY);
    out.tab = toPixels(design::tab, screen.tppX, screen.tppY);
    out.picture1 = toPixels(design::picture1, screen.tppX, screen.tppY);
    out.picture3 = toPixels(design::picture3, screen.tppX, screen.tppY);
    out.picture4 = toPixels(design::picture4, screen.tppX, screen.tppY);

    out.picture1.width = out.screenWidthPx - out.picture1.left - 10;
    out.picture1.height = out.workAreaHeightPx - out.picture1.top - 30;
    out.picture3.width = out.screenWidthPx - out.picture3.left - 10;
    out.tab.height = out.picture1.height;

    out.extraListHeightTwips = extraListHeightTwips(out.screenHeightPx);
    out.fileListHeightTwips = design::fileListHeightTwips + out.extraListHeightTwips;

    out.picture2 = out.picture1;
    return out;
}

}  // namespace lumarel
