#pragma once
// A picture box: a widget that shows a persistent picture at its top-left corner over a
// background colour, prints text and keeps a drawing layer (a strip is drawn there). It can also
// show a palette display, stretched to the box, in place of its picture: that is how the visible
// picture of the main window is shown, in its own colours or in a realised palette's.

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

#include "platform/indexed_picture.h"
#include "platform/palette_display.h"

namespace lumarel {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The box's persistent picture, shown at its own size in its own colours.
    void setPicture(std::shared_ptr<const IndexedPicture> picture);
    // A plain 32-bit picture (a bitmap that went through the clipboard).
    void setImage(const QImage& image);
    const std::shared_ptr<const IndexedPicture>& indexedPicture() const { return indexed_; }
    bool hasPicture() const { return !image_.isNull() || display_.hasPicture(); }

    // What the box shows, as a 32-bit picture: the display's frame while it shows a picture, else
    // the persistent picture.
    QImage image() const;

    // The palette display this box shows while it holds a picture; its size follows the box's,
    // in device pixels (twice the box's on a screen scaled by 2). A change marks the box; it is
    // drawn with its window's next frame.
    PaletteDisplay& display();
    const PaletteDisplay& display() const { return display_; }

    // Background colour; setting it clears the box to that colour, as the platform's boxes do.
    void setBackColor(const QColor& color);
    QColor backColor() const { return backColor_; }
    // Clears the box's drawing (printed text, strips) back to its background and picture.
    void clearBox();
    // Prints a line of text at the current print position (the top-left after a clear).
    void printText(const QString& text);
    QString printedText() const { return printed_.join(QLatin1Char('\n')); }

    // The box's drawing layer, kept across repaints, transparent where nothing was drawn.
    QImage& drawing();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void displayChanged(PaletteDisplay::Change change);
    QSize deviceSize() const;  // the box's size in the pixels of its screen
    bool paintDisplayDirect(QPainter& painter);

    std::shared_ptr<const IndexedPicture> indexed_;
    QImage image_;    // the persistent picture in its own colours
    QImage drawing_;  // transparent where nothing was drawn
    QColor backColor_;
    QStringList printed_;
    PaletteDisplay display_;
};

}  // namespace lumarel
