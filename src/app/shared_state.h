#pragma once
// The program's shared state: one instance, alive for the whole run, owned by main() and handed
// to every window that needs it. Everything starts zero, empty or absent.

#include <QString>
#include <cstdint>
#include <memory>

#include "maps/palette_types.h"

namespace lumarel {

class Animate;

struct SharedState {
    std::uint32_t helpOwnerWindow = 0;  // the main window's handle, owner of every help call
    QString helpFile;                   // the application's help file ("Lmr.HLP" beside the program)
    QString imagePath;                  // image on show; the logo at start-up
    QString mapPath;                    // map file last chosen
    MapPalette mapPalette{};            // read from the chosen map file
    GeneratedPalette generatedPalette;  // built by the map generator; the engine cycles these colours
    KeyColorTable keyColors;            // one key colour per player row
    std::int16_t trackCount = 0;        // tracks of the loaded MIDI file, at most 16
    std::int16_t stopAnimation = 0;     // 0 false, -1 true: ends the palette-cycling loop
    std::int16_t cycleDelay = 0;        // extra palette pushes per cycling step, in steps of 5
    std::shared_ptr<Animate> animator;  // the palette engine of the latest run
};

constexpr std::int16_t kTrue = -1;
constexpr std::int16_t kFalse = 0;

}  // namespace lumarel
