#pragma once
// The emulated palette display. It holds a picture as 8-bit indices at display size and a
// 256-entry colour table, and writes the 32-bit frame the window shows in one pass over its
// pixels. Until a palette is realised the table holds the picture's own colours; once realised,
// index i shows palette colour i, and replacing entries rewrites the frame at once.

#include <QImage>
#include <QRgb>
#include <QSize>
#include <array>
#include <cstdint>
#include <vector>

#include "maps/palette_types.h"
#include "platform/indexed_picture.h"

namespace lumarel {

class PaletteDisplay {
public:
    // The frame written to; not owned, must outlive this display (a picture box's picture).
    // It is (re)made Format_RGB32 at display size when it is not already.
    void setTarget(QImage* frame) { frame_ = frame; }

    // Takes source stretched (nearest neighbour) to displaySize, in the source's own colours,
    // and writes the frame.
    void setPicture(const IndexedPicture& source, QSize displaySize);
    // Stretches the kept source again to a new display size and writes the frame.
    void setDisplaySize(QSize displaySize);
    // Forgets the picture; the frame is left alone.
    void clear();

    // Switches to palette mode with these 256 colours (flags ignored) and writes the frame.
    void realize(const std::array<PaletteEntry, 256>& palette);
    // Replaces table entries first .. first + count - 1 (clipped to 0..255) and writes the frame.
    void animate(int first, int count, const PaletteEntry* entries);
    // Back to the picture's own colours.
    void showOwnColours();

    bool hasPicture() const { return !indices_.empty(); }
    bool realized() const { return realized_; }
    QSize displaySize() const { return displaySize_; }
    const std::array<QRgb, 256>& colourTable() const { return table_; }
    std::uint8_t indexAt(int x, int y) const
    {
        return indices_[std::size_t(y) * std::size_t(displaySize_.width()) + std::size_t(x)];
    }

    // Writes the whole frame from the index buffer and the table (nothing without a target).
    void render();
    // Writes the frame into any 32-bit buffer of at least display size (a window's backing
    // store, so a push costs one pass and no further copy).
    void renderInto(uchar* bits, qsizetype bytesPerLine) const;

private:
    IndexedPicture source_;
    QSize displaySize_;
    std::vector<std::uint8_t> indices_;  // display size, row-major
    std::vector<bool> repeatsRow_;       // row y holds the same indices as row y - 1
    std::array<QRgb, 256> table_{};
    bool realized_ = false;
    QImage* frame_ = nullptr;
};

}  // namespace lumarel
