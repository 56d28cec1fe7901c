#include "animation/cycling.h"

namespace lumarel {

CyclingResult runCycling(PaletteSurface& picture, MessageSource& messages, const QString& file,
                         const GeneratedPalette& palette, CyclingControl& control, CyclingStart start)
{
    CyclingResult result;
    if (messages.running()) {
        result.outcome = CyclingOutcome::Busy;
        return result;
    }
    control.stopAnimation = start == CyclingStart::OneStep;
    control.cycleDelay = 0;
    do {
        // Each run's engine lives as long as the run.
        Animate animator(picture, messages);
        messages.begin();
        const bool shown = animator.Show(file, palette, control, &result.error);
        messages.end();
        result.steps = animator.stepsMade();
        if (!shown) {
            // A picture that cannot be loaded would make the loop spin: stop and say why.
            control.stopAnimation = true;
            result.outcome = CyclingOutcome::Unloadable;
            return result;
        }
    } while (!control.stopAnimation);
    return result;
}

}  // namespace lumarel
