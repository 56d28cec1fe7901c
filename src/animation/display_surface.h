#pragma once
// A palette display as the surface of a cycling run: pictures load through a file cache (an
// unchanged file costs nothing at every step) and show on the display in their own colours until
// the run realises its palette.

#include "animation/palette_surface.h"
#include "platform/palette_display.h"
#include "platform/picture_files.h"

namespace lumarel {

class DisplaySurface final : public PaletteSurface {
public:
    DisplaySurface(PictureFiles& files, PaletteDisplay& display) : files_(files), display_(display) {}

    bool loadPicture(const QString& file, QString* error) override;
    void realizePalette(const LogPalette& palette) override { display_.realize(palette.entries); }
    void animatePalette(int first, int count, const PaletteEntry* entries) override
    {
        display_.animate(first, count, entries);
    }

private:
    PictureFiles& files_;
    PaletteDisplay& display_;
};

}  // namespace lumarel
