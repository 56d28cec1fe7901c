#include "export/export_frames.h"

#include <algorithm>

namespace lumarel {

QRect letterbox(QSize picture, QSize canvas, bool even)
{
    if (picture.isEmpty() || canvas.isEmpty())
        return {};
    // The side that limits decides; the other keeps the picture's aspect.
    std::int64_t width = canvas.width();
    std::int64_t height = std::int64_t(canvas.width()) * picture.height() / picture.width();
    if (height > canvas.height()) {
        height = canvas.height();
        width = std::int64_t(canvas.height()) * picture.width() / picture.height();
    }
    const int step = even ? 2 : 1;
    width = std::max<std::int64_t>(step, width / step * step);
    height = std::max<std::int64_t>(step, height / step * step);
    const int left = int((canvas.width() - width) / 2 / step * step);
    const int top = int((canvas.height() - height) / 2 / step * step);
    return QRect(left, top, int(width), int(height));
}

namespace {

std::array<QRgb, 256> coloursOf(const std::array<PaletteEntry, 256>& palette)
{
    std::array<QRgb, 256> out;
    for (std::size_t i = 0; i < 256; ++i)
        out[i] = qRgb(palette[i].red, palette[i].green, palette[i].blue);
    return out;
}

}  // namespace

FrameColours::FrameColours(const std::vector<PaletteChange>& changes, const std::array<QRgb, 256>& ownColours)
{
    times_.push_back(0);
    colours_.push_back(ownColours);
    for (QRgb& colour : colours_.back())
        colour |= 0xff000000u;
    for (const PaletteChange& change : changes) {
        times_.push_back(change.timeUs);
        colours_.push_back(coloursOf(change.palette));
    }
}

const std::array<QRgb, 256>& FrameColours::at(std::int64_t timeUs)
{
    while (current_ + 1 < times_.size() && times_[current_ + 1] <= timeUs)
        ++current_;
    return colours_[current_];
}

std::vector<std::int64_t> FrameColours::changeTimes() const
{
    return times_;
}

QByteArray mapText(const GeneratedPalette& map)
{
    QByteArray text;
    text.reserve(256 * 12);
    for (std::size_t i = 1; i <= 256; ++i) {
        const KeyColor& c = map[i];
        text += QByteArray::number(std::clamp<int>(c.red, 0, 255)) + ' ' + QByteArray::number(std::clamp<int>(c.green, 0, 255))
                + ' ' + QByteArray::number(std::clamp<int>(c.blue, 0, 255)) + '\n';
    }
    return text;
}

}  // namespace lumarel
