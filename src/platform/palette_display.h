#pragma once
// The emulated palette display. It holds a picture as 8-bit indices stretched to the display's
// size and a 256-entry colour table, and writes 32-bit frames from them in one pass over the
// pixels. Until a palette is realised the table holds the picture's own colours; once realised,
// index i shows palette colour i, and replacing entries changes what the display shows without
// touching the indices. The display draws nothing itself: whoever shows it is told of every change
// and renders a frame when the screen wants one.

#include <QImage>
#include <QRgb>
#include <QSize>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "model/palette_types.h"
#include "platform/indexed_picture.h"
#include "platform/stretch.h"

namespace lumarel {

class PaletteDisplay {
public:
    enum class Change {
        Picture,  // a new picture, a new size, or its own colours back
        Realized, // a palette was realised
        Pushed,   // entries of the realised palette were replaced
    };

    // Shows picture at the display's size in its own colours. The same picture at the same size
    // is not stretched again. A null picture clears the display.
    void setPicture(std::shared_ptr<const IndexedPicture> picture);
    void setDisplaySize(QSize size);
    void clear();

    // Switches to palette mode with these 256 colours (flags ignored).
    void realize(const std::array<PaletteEntry, 256>& palette);
    // Replaces table entries first .. first + count - 1 (clipped to 0..255); nothing while no
    // palette is realised.
    void animate(int first, int count, const PaletteEntry* entries);
    // Back to the picture's own colours.
    void showOwnColours();

    bool hasPicture() const { return !stretched_.indices.empty(); }
    bool realized() const { return realized_; }
    QSize displaySize() const { return displaySize_; }
    const std::shared_ptr<const IndexedPicture>& picture() const { return picture_; }
    const std::array<QRgb, 256>& colourTable() const { return table_; }
    std::uint8_t indexAt(int x, int y) const
    {
        return stretched_.indices[std::size_t(y) * std::size_t(displaySize_.width()) + std::size_t(x)];
    }
    // How many pushes the display has taken (each replaces entries once).
    std::uint64_t pushCount() const { return pushes_; }

    // Writes the frame into any 32-bit buffer of at least display size (a window's backing
    // store, so showing a frame costs one pass and no further copy).
    void renderInto(uchar* bits, qsizetype bytesPerLine) const;
    // The frame as a picture of its own (empty without a picture).
    QImage frame() const;

    // Told after every change of what the display shows.
    void setObserver(std::function<void(Change)> observer) { observer_ = std::move(observer); }

private:
    void restretch();
    void ownColoursIntoTable();
    void changed(Change change);

    std::shared_ptr<const IndexedPicture> picture_;
    QSize displaySize_;
    StretchedIndices stretched_;
    std::array<QRgb, 256> table_{};
    bool realized_ = false;
    std::uint64_t pushes_ = 0;
    std::function<void(Change)> observer_;
};

}  // namespace lumarel
