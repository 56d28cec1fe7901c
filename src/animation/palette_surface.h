#pragma once
// What a cycling run needs of the picture it animates: load a picture file, make a palette the
// surface's realised palette, and replace entries of that palette in place.

#include <QString>
#include <array>
#include <cstdint>

#include "model/palette_types.h"

namespace lumarel {

constexpr std::uint8_t kPcReserved = 1;  // entry may be replaced in place later

// A logical palette as the palette display takes it (the platform's LOGPALETTE).
struct LogPalette {
    std::uint16_t version = 0x300;
    std::uint16_t count = 256;
    std::array<PaletteEntry, 256> entries{};
    friend bool operator==(const LogPalette&, const LogPalette&) = default;
};

class PaletteSurface {
public:
    virtual ~PaletteSurface() = default;
    // Loads the picture file as the surface's picture. On failure the surface keeps its previous
    // picture and *error says why.
    virtual bool loadPicture(const QString& file, QString* error) = 0;
    // Creates a palette from these entries, selects it into the surface as its foreground palette
    // and realises it: the picture's index i shows entry i.
    virtual void realizePalette(const LogPalette& palette) = 0;
    // Replaces entries first .. first + count - 1 of the realised palette; shown at once.
    virtual void animatePalette(int first, int count, const PaletteEntry* entries) = 0;
};

}  // namespace lumarel
