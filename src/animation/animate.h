#pragma once
// The palette-cycling engine: loads a picture, puts generatedPalette on it and rotates that
// palette one place per window message, steered from the keyboard (arrows: direction, keypad
// minus/plus: slower/faster, any other key: stop). One instance makes one run.

#include <QString>
#include <cstdint>

#include "animation/palette_surface.h"
#include "platform/message_wait.h"

namespace lumarel {

struct SharedState;

class Animate {
public:
    // Virtual-key codes the run acts on.
    static constexpr int kVkLeft = 0x25;
    static constexpr int kVkRight = 0x27;
    static constexpr int kVkAdd = 0x6B;
    static constexpr int kVkSubtract = 0x6D;
    // cycleDelay grows in steps of 5 up to its largest multiple of 5 that fits 16 bits.
    static constexpr std::int16_t kMaxCycleDelay = 32765;

    Animate(SharedState& state, MessageSource& messages);

    WindowMessage message;            // the last message taken during the run
    PaletteSurface* pict = nullptr;   // the surface loaded and animated
    QString File;                     // full path of the picture file

    // One cycling run. Returns false, with the reason in *error, when the picture cannot be
    // loaded; nothing of the palette is touched then.
    bool Show(QString* error = nullptr);
    // The same as Show.
    bool Show2(QString* error = nullptr);

    // What the last run did, for whoever watches it.
    const LogPalette& paletteBuffer() const { return paletteBuffer_; }
    int stepsMade() const { return steps_; }
    long long pushesMade() const { return pushes_; }

    // One rotation of the entries by one place (exposed for the benchmark).
    static void rotateTowardLower(LogPalette& palette);
    static void rotateTowardHigher(LogPalette& palette);

private:
    SharedState& state_;
    MessageSource& messages_;
    LogPalette paletteBuffer_;
    int steps_ = 0;
    long long pushes_ = 0;
};

}  // namespace lumarel
