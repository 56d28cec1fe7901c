#include "platform/palette_display.h"

#include <algorithm>
#include <cstring>

namespace lumarel {

void PaletteDisplay::setPicture(const IndexedPicture& source, QSize displaySize)
{
    source_ = source;
    realized_ = false;
    table_ = source_.palette;
    for (QRgb& colour : table_)
        colour |= 0xff000000u;
    setDisplaySize(displaySize);
}

void PaletteDisplay::setDisplaySize(QSize displaySize)
{
    displaySize_ = displaySize;
    indices_.clear();
    repeatsRow_.clear();
    if (source_.isNull() || displaySize.isEmpty())
        return;
    const int width = displaySize.width();
    const int height = displaySize.height();
    const int sw = source_.size.width();
    const int sh = source_.size.height();
    indices_.resize(std::size_t(width) * std::size_t(height));
    repeatsRow_.assign(std::size_t(height), false);
    std::vector<int> columns(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        columns[std::size_t(x)] = int(qint64(x) * sw / width);
    int previousSourceRow = -1;
    for (int y = 0; y < height; ++y) {
        const int sy = int(qint64(y) * sh / height);
        std::uint8_t* out = indices_.data() + std::size_t(y) * std::size_t(width);
        if (sy == previousSourceRow) {
            repeatsRow_[std::size_t(y)] = true;
            std::memcpy(out, out - width, std::size_t(width));
        } else {
            const std::uint8_t* row = source_.indices.data() + std::size_t(sy) * std::size_t(sw);
            for (int x = 0; x < width; ++x)
                out[x] = row[columns[std::size_t(x)]];
        }
        previousSourceRow = sy;
    }
    render();
}

void PaletteDisplay::clear()
{
    source_ = IndexedPicture{};
    indices_.clear();
    repeatsRow_.clear();
    realized_ = false;
}

void PaletteDisplay::realize(const std::array<PaletteEntry, 256>& palette)
{
    realized_ = true;
    for (std::size_t i = 0; i < 256; ++i)
        table_[i] = qRgb(palette[i].red, palette[i].green, palette[i].blue);
    render();
}

void PaletteDisplay::animate(int first, int count, const PaletteEntry* entries)
{
    const int begin = std::max(first, 0);
    const int end = std::min(first + std::max(count, 0), 256);
    for (int i = begin; i < end; ++i) {
        const PaletteEntry& e = entries[i - first];
        table_[std::size_t(i)] = qRgb(e.red, e.green, e.blue);
    }
    render();
}

void PaletteDisplay::showOwnColours()
{
    realized_ = false;
    table_ = source_.palette;
    for (QRgb& colour : table_)
        colour |= 0xff000000u;
    render();
}

void PaletteDisplay::render()
{
    if (!frame_ || indices_.empty())
        return;
    if (frame_->size() != displaySize_ || frame_->format() != QImage::Format_RGB32)
        *frame_ = QImage(displaySize_, QImage::Format_RGB32);
    renderInto(frame_->bits(), frame_->bytesPerLine());
}

void PaletteDisplay::renderInto(uchar* bits, qsizetype stride) const
{
    if (indices_.empty())
        return;
    const int width = displaySize_.width();
    const int height = displaySize_.height();
    // One pass: each row is looked up through the table, or copied from the row above when the
    // stretch repeated a source row (the copy stays in cache, so it is the cheaper road).
    const QRgb* table = table_.data();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(bits + stride * y);
        if (repeatsRow_[std::size_t(y)]) {
            std::memcpy(line, bits + stride * (y - 1), std::size_t(width) * sizeof(QRgb));
            continue;
        }
        const std::uint8_t* row = indices_.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x)
            line[x] = table[row[x]];
    }
}

}  // namespace lumarel
