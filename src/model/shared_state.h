#pragma once
// The program's shared state: one instance, alive for the whole run, owned by the program and
// handed to the windows that need it. Window-free code takes only the parts it reads or writes.
// Everything starts zero, empty or absent.

#include <QString>
#include <cstdint>

#include "model/palette_types.h"

namespace lumarel {

// What a palette-cycling run reads at every step; the speed keys and a stop change it.
struct CyclingControl {
    bool stopAnimation = false;   // a run ends at the step where it finds this true
    std::int16_t cycleDelay = 0;  // extra palette pushes per cycling step, in steps of 5
};

struct SharedState {
    QString helpFile;                   // the application's help file ("Lmr.HLP" beside the program)
    QString imagePath;                  // image on show; the logo at start-up
    QString mapPath;                    // map file last chosen
    MapPalette mapPalette{};            // read from the chosen map file
    GeneratedPalette generatedPalette;  // built by the map generator; the engine cycles these colours
    KeyColorTable keyColors;            // one key colour per player row
    std::int16_t trackCount = 0;        // tracks of the loaded MIDI file, at most 16
    CyclingControl cycling;
};

}  // namespace lumarel
