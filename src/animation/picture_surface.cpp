#include "animation/picture_surface.h"

#include "platform/picture_box.h"

namespace lumarel {

PictureSurface::PictureSurface(PictureBox& picture1, PictureBox& picture2) : picture1_(picture1), picture2_(picture2) {}

bool PictureSurface::loadPicture(const QString& file, QString* error) { return picture1_.loadPicture(file, error); }

void PictureSurface::realizePalette(const LogPalette& palette)
{
    picture2_.realizePalette(picture1_, palette.entries);
}

void PictureSurface::animatePalette(int first, int count, const PaletteEntry* entries)
{
    picture2_.animatePalette(first, count, entries);
}

}  // namespace lumarel
