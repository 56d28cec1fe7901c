#include "animation/display_surface.h"

namespace lumarel {

bool DisplaySurface::loadPicture(const QString& file, QString* error)
{
    PictureFiles::Loaded loaded = files_.load(file);
    if (!loaded.picture) {
        if (error)
            *error = loaded.error;
        return false;
    }
    display_.setPicture(std::move(loaded.picture));
    return true;
}

}  // namespace lumarel
