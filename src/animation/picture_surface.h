#pragma once
// The main window's palette surface: pictures load into Picture1 (the hidden box holding the
// picture as loaded), and the palette shows on Picture2 (the visible box), with Picture1's
// picture stretched to Picture2's size.

#include "animation/palette_surface.h"

namespace lumarel {

class PictureBox;

class PictureSurface : public PaletteSurface {
public:
    PictureSurface(PictureBox& picture1, PictureBox& picture2);

    bool loadPicture(const QString& file, QString* error) override;
    void realizePalette(const LogPalette& palette) override;
    void animatePalette(int first, int count, const PaletteEntry* entries) override;

private:
    PictureBox& picture1_;
    PictureBox& picture2_;
};

}  // namespace lumarel
