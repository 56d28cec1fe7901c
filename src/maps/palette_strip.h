#pragma once
// The palette strip: 256 horizontal colour bands stacked from top to bottom, entry 0 at the top,
// each the full width of the picture. The bands are drawn straight over what the picture shows.

#include <QImage>
#include <QRgb>

#include <array>

#include "model/palette_types.h"

namespace lumarel {

// Band n covers y from n * height / 256 to (n + 1) * height / 256. Every pixel row it touches takes
// its colour, in order, so a row that several thin bands share shows the last of them, and the last
// band ends exactly at the bottom. The alpha of the colours is ignored: bands are opaque.
void drawStrip(QImage& target, const std::array<QRgb, 256>& colours);

// Entries 0..255 of a map read from a file; flags are ignored.
void drawMapStrip(QImage& target, const MapPalette& palette);

// Entries 1..256 of a generated map; each channel is held to 0..255, the fourth field is ignored.
void drawGeneratedStrip(QImage& target, const GeneratedPalette& palette);

}  // namespace lumarel
