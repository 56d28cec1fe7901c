#pragma once
// Turns a 32-bit picture into 256-colour indices, as a palette display maps a true-colour picture:
// pictures with at most 256 distinct colours map exactly; others go through a median cut.

#include <QImage>

#include "platform/indexed_picture.h"

namespace lumarel {

// image must be Format_RGB32 (alpha ignored). An empty image gives an empty picture.
IndexedPicture quantize(const QImage& image);

}  // namespace lumarel
