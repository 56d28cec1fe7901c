#include "platform/widgets/picture_box.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPalette>

namespace lumarel {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent), backColor_(palette().color(QPalette::Button))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    display_.setObserver([this](PaletteDisplay::Change change) { displayChanged(change); });
}

void PictureBox::displayChanged(PaletteDisplay::Change)
{
    // Marked, not drawn: the window draws the newest palette at its next frame.
    update();
}

void PictureBox::setPicture(std::shared_ptr<const IndexedPicture> picture)
{
    indexed_ = std::move(picture);
    image_ = indexed_ ? indexed_->toImage() : QImage();
    update();
}

void PictureBox::setImage(const QImage& image)
{
    indexed_.reset();
    image_ = image;
    update();
}

PaletteDisplay& PictureBox::display()
{
    // A hidden box gets its resize event only when shown; its size is already right.
    if (!size().isEmpty())
        display_.setDisplaySize(size());
    return display_;
}

QImage PictureBox::image() const
{
    return display_.hasPicture() ? display_.frame() : image_;
}

void PictureBox::setBackColor(const QColor& color)
{
    backColor_ = color;
    clearBox();
}

void PictureBox::clearBox()
{
    printed_.clear();
    if (!drawing_.isNull())
        drawing_.fill(Qt::transparent);
    update();
}

void PictureBox::printText(const QString& text)
{
    printed_ << text;
    update();
}

QImage& PictureBox::drawing()
{
    if (drawing_.size() != size()) {
        drawing_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        drawing_.fill(Qt::transparent);
    }
    return drawing_;
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (display_.hasPicture()) {
        if (!paintDisplayDirect(painter)) {
            painter.fillRect(rect(), backColor_);
            painter.drawImage(0, 0, display_.frame());
        }
    } else {
        const QRect covered = image_.isNull() ? QRect() : QRect(QPoint(0, 0), image_.size());
        if (!covered.contains(rect()))
            painter.fillRect(rect(), backColor_);
        if (!image_.isNull())
            painter.drawImage(0, 0, image_);
    }
    if (!drawing_.isNull())
        painter.drawImage(0, 0, drawing_);
    if (!printed_.isEmpty()) {
        painter.setPen(backColor_.lightness() < 128 ? Qt::white : Qt::black);
        const int lineHeight = painter.fontMetrics().height();
        int y = painter.fontMetrics().ascent();
        for (const QString& line : printed_) {
            painter.drawText(0, y, line);
            y += lineHeight;
        }
    }
}

bool PictureBox::paintDisplayDirect(QPainter& painter)
{
    // Where the window's backing store is a plain 32-bit image and nothing scales, the frame is
    // written straight into it: showing a palette costs one pass over the visible pixels.
    // (The painter's own device is this widget; its engine draws into the backing store.)
    QPaintDevice* device = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    const QTransform transform = painter.deviceTransform();
    if (!device || device->devType() != QInternal::Image || transform.type() > QTransform::TxTranslate)
        return false;
    auto* target = static_cast<QImage*>(device);
    const QSize shown = display_.displaySize();
    const QPoint at = transform.map(QPoint(0, 0));
    const bool fits = at.x() >= 0 && at.y() >= 0 && at.x() + shown.width() <= target->width()
                      && at.y() + shown.height() <= target->height();
    const bool plain = target->format() == QImage::Format_RGB32 || target->format() == QImage::Format_ARGB32_Premultiplied
                       || target->format() == QImage::Format_ARGB32;
    if (!fits || !plain || target->devicePixelRatio() != 1.0)
        return false;
    display_.renderInto(target->scanLine(at.y()) + std::size_t(at.x()) * sizeof(QRgb), target->bytesPerLine());
    if (shown != size()) {
        painter.fillRect(QRect(shown.width(), 0, width() - shown.width(), height()), backColor_);
        painter.fillRect(QRect(0, shown.height(), width(), height() - shown.height()), backColor_);
    }
    return true;
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!size().isEmpty())
        display_.setDisplaySize(size());
    if (!drawing_.isNull() && drawing_.size() != size()) {
        QImage grown(size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        grown.fill(Qt::transparent);
        QPainter(&grown).drawImage(0, 0, drawing_);
        drawing_ = grown;
    }
}

}  // namespace lumarel
