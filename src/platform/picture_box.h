#pragma once
// A picture box: a widget that shows a persistent picture at its top-left corner over a
// background colour, can load a picture file, take a stretched copy of another box's picture and
// print text. Pictures loaded from files are also kept as 8-bit indices plus their palette, so the
// palette display can recolour them.

#include <QColor>
#include <cstdint>
#include <QImage>
#include <QString>
#include <QWidget>

#include "maps/palette_types.h"
#include "platform/indexed_picture.h"
#include "platform/palette_display.h"
#include "platform/regular_file.h"

namespace lumarel {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Loads a picture file as the box's picture (shown at its own size). On failure the box keeps
    // what it had and *error says why.
    bool loadPicture(const QString& path, QString* error = nullptr);
    void setIndexedPicture(const IndexedPicture& picture);
    // Takes the picture another box loaded from a file, and what file it came from, so loading
    // that unchanged file here again has nothing to decode.
    void takeLoadedPicture(const PictureBox& loaded);

    // Stretches source's picture to this box's size and keeps the result as this box's picture.
    void stretchFrom(const PictureBox& source);

    const IndexedPicture& indexedPicture() const { return indexed_; }
    // What the box shows: its persistent picture, or while a palette is realised the picture in
    // the palette's colours.
    QImage& picture();
    // Changes whenever the box's picture changes (unique across boxes).
    std::uint64_t generation() const { return generation_; }
    void setPicture(const QImage& picture);
    bool hasPicture() const { return !picture_.isNull(); }

    // Background colour; setting it clears the box to that colour, as the platform's boxes do.
    void setBackColor(const QColor& color);
    QColor backColor() const { return backColor_; }
    // Clears the box's drawing (printed text, strips) back to its background and picture.
    void clearBox();
    // Prints a line of text at the current print position (the top-left after a clear).
    void printText(const QString& text);
    QString printedText() const { return printed_.join(QLatin1Char('\n')); }

    // The box's drawing layer, kept across repaints (a strip is drawn here).
    QImage& drawing();

    // Palette display: shows source stretched to the box with index i in palette colour i, in
    // place of the box's picture, until the box is given a new picture (which shows in its own
    // colours again). An empty source leaves the box as it is.
    void realizePalette(const IndexedPicture& source, const std::array<PaletteEntry, 256>& palette);
    // The same with another box's picture as the source; the stretched indices are kept while
    // that picture and this box's size stay the same, so a new run does not stretch again.
    void realizePalette(const PictureBox& source, const std::array<PaletteEntry, 256>& palette);
    // Replaces entries of the realised palette and repaints the box at once (not through the
    // event queue). Does nothing while no palette is realised.
    void animatePalette(int first, int count, const PaletteEntry* entries);
    bool paletteRealized() const { return display_.realized(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void pictureChanged();
    void paintRealized(QPainter& painter);

    IndexedPicture indexed_;
    QImage picture_;
    std::uint64_t generation_ = 0;
    // The file last loaded, to skip decoding it again while it and the picture are unchanged.
    QString loadedPath_;
    FileStamp loadedStamp_{-1, 0};
    std::uint64_t loadedGeneration_ = 0;
    // The last stretch: from which picture, to what size, giving which picture here.
    std::uint64_t stretchedSource_ = 0;
    QSize stretchedSize_;
    std::uint64_t stretchedGeneration_ = 0;
    // The picture the palette display was built from, and at what size.
    std::uint64_t displaySource_ = 0;
    QSize displaySize_;
    QImage frame_;  // the display's frame, rendered only when someone reads it
    QImage drawing_;  // transparent where nothing was drawn
    QColor backColor_;
    QStringList printed_;
    PaletteDisplay display_;  // writes into picture_ while a palette is realised
};

// Nearest-neighbour stretch of an indexed picture to a new size (what a palette display does when
// it stretches a 256-colour bitmap).
IndexedPicture stretchIndexed(const IndexedPicture& source, QSize size);

}  // namespace lumarel
