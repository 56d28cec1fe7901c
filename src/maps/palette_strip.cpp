#include "maps/palette_strip.h"

#include <algorithm>

namespace lumarel {

namespace {

constexpr int kBands = 256;

int clampChannel(int value)
{
    return std::clamp(value, 0, 255);
}

bool isPlain32Bit(QImage::Format format)
{
    // Formats whose pixels are one QRgb-layout word each; an opaque colour is the same word in all.
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_ARGB32_Premultiplied;
}

}  // namespace

void drawStrip(QImage& target, const std::array<QRgb, 256>& colours)
{
    if (target.isNull())
        return;
    const int width = target.width();
    const qint64 height = target.height();
    if (!isPlain32Bit(target.format())) {
        // Any other format is drawn through a 32-bit copy and turned back into its own format.
        QImage work = target.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        drawStrip(work, colours);
        target = work.convertToFormat(target.format());
        return;
    }

    for (int n = 0; n < kBands; ++n) {
        // The band runs from n * height / 256 to (n + 1) * height / 256 (exact in integers, as the
        // division by 256 is). It paints the rows from the one its top falls in to the last one
        // its bottom reaches into.
        const int firstRow = int(n * height / kBands);
        const int endRow = int(((n + 1) * height + kBands - 1) / kBands);
        const QRgb colour = colours[std::size_t(n)] | 0xFF000000u;
        for (int y = firstRow; y < endRow; ++y) {
            auto* row = reinterpret_cast<QRgb*>(target.scanLine(y));
            std::fill(row, row + width, colour);
        }
    }
}

void drawMapStrip(QImage& target, const MapPalette& palette)
{
    std::array<QRgb, 256> colours;
    for (std::size_t i = 0; i < colours.size(); ++i)
        colours[i] = qRgb(palette[i].red, palette[i].green, palette[i].blue);
    drawStrip(target, colours);
}

void drawGeneratedStrip(QImage& target, const GeneratedPalette& palette)
{
    std::array<QRgb, 256> colours;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const KeyColor& entry = palette[i + 1];
        colours[i] = qRgb(clampChannel(entry.red), clampChannel(entry.green), clampChannel(entry.blue));
    }
    drawStrip(target, colours);
}

}  // namespace lumarel
