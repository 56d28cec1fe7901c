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

QSize PictureBox::deviceSize() const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(qRound(width() * ratio), qRound(height() * ratio));
}

PaletteDisplay& PictureBox::display()
{
    // A hidden box gets its resize event only when shown; its size is already right.
    if (!size().isEmpty())
        display_.setDisplaySize(deviceSize());
    return display_;
}

QImage PictureBox::image() const
{
    if (!display_.hasPicture())
        return image_;
    QImage frame = display_.frame();
    frame.setDevicePixelRatio(devicePixelRatioF());
    return frame;
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
    // The display is stretched to the box in device pixels (a scaled screen shows every pixel of
    // the picture, never smoothed); a box moved to a screen of another scale follows it here.
    if (!size().isEmpty() && display_.hasPicture() && display_.displaySize() != deviceSize())
        display_.setDisplaySize(deviceSize());
    QPainter painter(this);
    if (display_.hasPicture()) {
        if (!paintDisplayDirect(painter)) {
            painter.fillRect(rect(), backColor_);
            painter.drawImage(QPointF(0, 0), image());
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
    // On a scaled screen the painter scales by the device pixel ratio and nothing else.
    QPaintDevice* device = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    const QTransform transform = painter.deviceTransform();
    const qreal ratio = devicePixelRatioF();
    const bool onlyRatio = transform.type() <= QTransform::TxScale && qFuzzyCompare(transform.m11(), ratio)
                           && qFuzzyCompare(transform.m22(), ratio);
    if (!device || device->devType() != QInternal::Image || !onlyRatio)
        return false;
    auto* target = static_cast<QImage*>(device);
    const QSize shown = display_.displaySize();
    const QPointF origin = transform.map(QPointF(0, 0));
    const QPoint at(qRound(origin.x()), qRound(origin.y()));
    const bool fits = at.x() >= 0 && at.y() >= 0 && at.x() + shown.width() <= target->width()
                      && at.y() + shown.height() <= target->height();
    const bool plain = target->format() == QImage::Format_RGB32 || target->format() == QImage::Format_ARGB32_Premultiplied
                       || target->format() == QImage::Format_ARGB32;
    if (!fits || !plain || !qFuzzyCompare(target->devicePixelRatio(), ratio))
        return false;
    display_.renderInto(target->scanLine(at.y()) + std::size_t(at.x()) * sizeof(QRgb), target->bytesPerLine());
    if (shown != deviceSize()) {
        const QSizeF logical = QSizeF(shown) / ratio;
        painter.fillRect(QRectF(logical.width(), 0, width() - logical.width(), height()), backColor_);
        painter.fillRect(QRectF(0, logical.height(), width(), height() - logical.height()), backColor_);
    }
    return true;
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!size().isEmpty())
        display_.setDisplaySize(deviceSize());
    if (!drawing_.isNull() && drawing_.size() != size()) {
        QImage grown(size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        grown.fill(Qt::transparent);
        QPainter(&grown).drawImage(0, 0, drawing_);
        drawing_ = grown;
    }
}

}  // namespace lumarel
