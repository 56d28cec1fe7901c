#include "animation/animate.h"

namespace lumarel {

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

bool Animate::Show(const QString& file, const GeneratedPalette& palette, CyclingControl& control, QString* error)
{
    steps_ = 0;
    pushes_ = 0;
    if (!pict_.loadPicture(file, error))
        return false;

    paletteBuffer_ = LogPalette{};
    for (std::size_t i = 0; i < 256; ++i) {
        const KeyColor& colour = palette[i + 1];
        paletteBuffer_.entries[i] = {std::uint8_t(colour.red), std::uint8_t(colour.green), std::uint8_t(colour.blue),
                                     kPcReserved};
    }

    bool towardLower = true;
    bool finished = false;
    bool paletteCreated = false;
    while (!finished) {
        if (control.stopAnimation)
            finished = true;
        if (towardLower)
            rotateTowardLower(paletteBuffer_);
        else
            rotateTowardHigher(paletteBuffer_);
        if (!paletteCreated) {
            pict_.realizePalette(paletteBuffer_);
            paletteCreated = true;
        }
        // The repetition is the run's only speed control; entry 255 is never pushed, so it keeps
        // the colour it had when the palette was realised.
        for (int push = 0; push <= control.cycleDelay; ++push) {
            pict_.animatePalette(0, 255, paletteBuffer_.entries.data());
            ++pushes_;
        }
        ++steps_;

        message_ = messages_.get();
        if (message_.failed || message_.kind != WindowMessage::Kind::KeyDown)
            continue;
        switch (message_.virtualKey) {
        case vk::kSubtract:
            if (control.cycleDelay <= kMaxCycleDelay - 5)
                control.cycleDelay = std::int16_t(control.cycleDelay + 5);
            break;
        case vk::kAdd:
            if (control.cycleDelay > 0)
                control.cycleDelay = std::int16_t(control.cycleDelay - 5);
            break;
        case vk::kLeft:
            towardLower = true;
            break;
        case vk::kRight:
            towardLower = false;
            break;
        default:
            finished = true;
            control.stopAnimation = true;
            break;
        }
    }
    return true;
}

}  // namespace lumarel
