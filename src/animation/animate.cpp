#include "animation/animate.h"

#include "app/shared_state.h"

namespace lumarel {

Animate::Animate(SharedState& state, MessageSource& messages) : state_(state), messages_(messages) {}

void Animate::rotateTowardLower(LogPalette& palette)
{
    const PaletteEntry first = palette.entries[0];
    for (std::size_t j = 0; j < 255; ++j)
        palette.entries[j] = palette.entries[j + 1];
    palette.entries[255] = first;
    palette.version = 0x300;
    palette.count = 256;
}

void Animate::rotateTowardHigher(LogPalette& palette)
{
    const PaletteEntry last = palette.entries[255];
    for (std::size_t j = 255; j > 0; --j)
        palette.entries[j] = palette.entries[j - 1];
    palette.entries[0] = last;
    palette.version = 0x300;
    palette.count = 256;
}

bool Animate::Show(QString* error)
{
    steps_ = 0;
    pushes_ = 0;
    QString loadError;
    if (!pict || !pict->loadPicture(File, &loadError)) {
        if (error)
            *error = pict ? loadError : QStringLiteral("no picture to animate");
        return false;
    }

    paletteBuffer_ = LogPalette{};
    for (std::size_t i = 0; i < 256; ++i) {
        const KeyColor& colour = state_.generatedPalette[i + 1];
        paletteBuffer_.entries[i] = {std::uint8_t(colour.red), std::uint8_t(colour.green), std::uint8_t(colour.blue),
                                     kPcReserved};
    }

    bool towardLower = true;
    bool finished = false;
    bool paletteCreated = false;
    while (!finished) {
        if (state_.stopAnimation != kFalse)
            finished = true;
        if (towardLower)
            rotateTowardLower(paletteBuffer_);
        else
            rotateTowardHigher(paletteBuffer_);
        if (!paletteCreated) {
            pict->realizePalette(paletteBuffer_);
            paletteCreated = true;
        }
        // The repetition is the run's only speed control; entry 255 is never pushed, so it keeps
        // the colour it had when the palette was realised.
        for (int push = 0; push <= state_.cycleDelay; ++push) {
            pict->animatePalette(0, 255, paletteBuffer_.entries.data());
            ++pushes_;
        }
        ++steps_;

        message = messages_.get();
        if (message.failed || message.kind != WindowMessage::Kind::KeyDown)
            continue;
        switch (message.virtualKey) {
        case kVkSubtract:
            if (state_.cycleDelay <= kMaxCycleDelay - 5)
                state_.cycleDelay = std::int16_t(state_.cycleDelay + 5);
            break;
        case kVkAdd:
            if (state_.cycleDelay > 0)
                state_.cycleDelay = std::int16_t(state_.cycleDelay - 5);
            break;
        case kVkLeft:
            towardLower = true;
            break;
        case kVkRight:
            towardLower = false;
            break;
        default:
            finished = true;
            state_.stopAnimation = kTrue;
            break;
        }
    }
    return true;
}

bool Animate::Show2(QString* error) { return Show(error); }

}  // namespace lumarel
