#pragma once
// The loop every starter of palette cycling makes: runs of a fresh engine, each taking the
// program's messages for its length, until the stop flag is true.

#include <QString>

#include "animation/animate.h"

namespace lumarel {

enum class CyclingStart {
    OneStep,       // the stop flag is set first: exactly one step (a map choice, a played note)
    UntilStopped,  // the stop flag is cleared first: runs until a key or a click stops them
};

enum class CyclingOutcome {
    Ran,
    Busy,        // a run is already taking the messages: never a run inside a run
    Unloadable,  // the picture cannot be loaded; the stop flag is left true
};

struct CyclingResult {
    CyclingOutcome outcome = CyclingOutcome::Ran;
    QString error;   // why the picture cannot be loaded
    int steps = 0;   // steps made by the last run
};

// cycleDelay starts at 0 whatever an earlier run left.
CyclingResult runCycling(PaletteSurface& picture, MessageSource& messages, const QString& file,
                         const GeneratedPalette& palette, CyclingControl& control, CyclingStart start);

}  // namespace lumarel
