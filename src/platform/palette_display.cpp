#include "platform/palette_display.h"

#include <algorithm>
#include <cstring>

namespace lumarel {

void PaletteDisplay::setPicture(std::shared_ptr<const IndexedPicture> picture)
{
    const bool same = picture && picture == picture_ && stretched_.size == displaySize_ && hasPicture();
    picture_ = std::move(picture);
    if (!same)
        restretch();
    realized_ = false;
    ownColoursIntoTable();
    changed(Change::Picture);
}

void PaletteDisplay::setDisplaySize(QSize size)
{
    if (size == displaySize_)
        return;
    displaySize_ = size;
    restretch();
    changed(Change::Picture);
}

void PaletteDisplay::clear()
{
    picture_.reset();
    stretched_ = {};
    realized_ = false;
    changed(Change::Picture);
}

void PaletteDisplay::restretch()
{
    stretched_ = picture_ ? stretchIndices(*picture_, displaySize_) : StretchedIndices{};
}

void PaletteDisplay::ownColoursIntoTable()
{
    if (picture_)
        table_ = picture_->palette;
    for (QRgb& colour : table_)
        colour |= 0xff000000u;
}

void PaletteDisplay::realize(const std::array<PaletteEntry, 256>& palette)
{
    realized_ = true;
    for (std::size_t i = 0; i < 256; ++i)
        table_[i] = qRgb(palette[i].red, palette[i].green, palette[i].blue);
    changed(Change::Realized);
}

void PaletteDisplay::animate(int first, int count, const PaletteEntry* entries)
{
    if (!realized_)
        return;
    const int begin = std::max(first, 0);
    const int end = std::min(first + std::max(count, 0), 256);
    for (int i = begin; i < end; ++i) {
        const PaletteEntry& e = entries[i - first];
        table_[std::size_t(i)] = qRgb(e.red, e.green, e.blue);
    }
    ++pushes_;
    changed(Change::Pushed);
}

void PaletteDisplay::showOwnColours()
{
    realized_ = false;
    ownColoursIntoTable();
    changed(Change::Picture);
}

void PaletteDisplay::changed(Change change)
{
    if (observer_)
        observer_(change);
}

void PaletteDisplay::renderInto(uchar* bits, qsizetype stride) const
{
    if (stretched_.indices.empty())
        return;
    const int width = stretched_.size.width();
    const int height = stretched_.size.height();
    // One pass: each row is looked up through the table, or copied from the row above when the
    // stretch repeated a source row (the copy stays in cache, so it is the cheaper road).
    const QRgb* table = table_.data();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(bits + stride * y);
        if (stretched_.repeatsRow[std::size_t(y)]) {
            std::memcpy(line, bits + stride * (y - 1), std::size_t(width) * sizeof(QRgb));
            continue;
        }
        const std::uint8_t* row = stretched_.indices.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x)
            line[x] = table[row[x]];
    }
}

QImage PaletteDisplay::frame() const
{
    if (!hasPicture())
        return {};
    QImage image(stretched_.size, QImage::Format_RGB32);
    renderInto(image.bits(), image.bytesPerLine());
    return image;
}

}  // namespace lumarel
