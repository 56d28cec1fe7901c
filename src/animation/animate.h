#pragma once
// The palette-cycling engine: loads a picture, puts a generated palette on it and rotates that
// palette one place per window message, steered from the keyboard (arrows: direction, keypad
// minus/plus: slower/faster, any other key: stop). One instance makes one run.

#include <QString>
#include <cstdint>

#include "animation/message_source.h"
#include "animation/palette_surface.h"
#include "model/shared_state.h"

namespace lumarel {

class Animate {
public:
    // cycleDelay grows in steps of 5 up to its largest multiple of 5 that fits 16 bits.
    static constexpr std::int16_t kMaxCycleDelay = 32765;

    // pict: the surface loaded and animated; messages: where the run's messages come from.
    Animate(PaletteSurface& pict, MessageSource& messages) : pict_(pict), messages_(messages) {}

    // One cycling run on the picture file with palette (entry i + 1 becomes index i), steered by
    // control: a step ends the run when it begins with control.stopAnimation true; a key that is
    // none of the command keys sets it. Returns false, with the reason in *error, when the
    // picture cannot be loaded; nothing of the palette is touched then.
    bool Show(const QString& file, const GeneratedPalette& palette, CyclingControl& control, QString* error = nullptr);
    // The same as Show.
    bool Show2(const QString& file, const GeneratedPalette& palette, CyclingControl& control, QString* error = nullptr)
    {
        return Show(file, palette, control, error);
    }

    // What the last run did, for whoever watches it.
    const WindowMessage& message() const { return message_; }  // the last message taken
    const LogPalette& paletteBuffer() const { return paletteBuffer_; }
    int stepsMade() const { return steps_; }
    long long pushesMade() const { return pushes_; }

    // One rotation of the entries by one place.
    static void rotateTowardLower(LogPalette& palette);
    static void rotateTowardHigher(LogPalette& palette);

private:
    PaletteSurface& pict_;
    MessageSource& messages_;
    WindowMessage message_;
    LogPalette paletteBuffer_;
    int steps_ = 0;
    long long pushes_ = 0;
};

}  // namespace lumarel
