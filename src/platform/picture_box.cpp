#include "platform/picture_box.h"

#include <QPainter>
#include <QPalette>

#include "platform/picture_loader.h"

namespace lumarel {

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent), backColor_(palette().color(QPalette::Button))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    display_.setTarget(&picture_);
}

bool PictureBox::loadPicture(const QString& path, QString* error)
{
    PictureLoadResult result = loadPictureFile(path);
    if (!result.picture) {
        if (error)
            *error = result.error;
        return false;
    }
    setIndexedPicture(*result.picture);
    return true;
}

void PictureBox::setIndexedPicture(const IndexedPicture& picture)
{
    display_.clear();
    indexed_ = picture;
    picture_ = indexed_.toImage();
    update();
}

void PictureBox::stretchFrom(const PictureBox& source)
{
    const QSize target = size();
    display_.clear();
    if (source.indexed_.isNull() || target.isEmpty()) {
        picture_ = source.picture_.isNull() ? QImage()
                                            : source.picture_.scaled(target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        indexed_ = IndexedPicture{};
    } else {
        indexed_ = stretchIndexed(source.indexed_, target);
        picture_ = indexed_.toImage();
    }
    update();
}

void PictureBox::setPicture(const QImage& picture)
{
    display_.clear();
    picture_ = picture;
    update();
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
    painter.fillRect(rect(), backColor_);
    if (!picture_.isNull())
        painter.drawImage(0, 0, picture_);
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

void PictureBox::realizePalette(const IndexedPicture& source, const std::array<PaletteEntry, 256>& palette)
{
    if (source.isNull() || size().isEmpty())
        return;
    display_.setPicture(source, size());
    display_.realize(palette);
    repaint();
}

void PictureBox::animatePalette(int first, int count, const PaletteEntry* entries)
{
    if (!display_.realized())
        return;
    display_.animate(first, count, entries);
    repaint();
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (display_.realized() && !size().isEmpty())
        display_.setDisplaySize(size());
    if (!drawing_.isNull() && drawing_.size() != size()) {
        QImage grown(size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        grown.fill(Qt::transparent);
        QPainter(&grown).drawImage(0, 0, drawing_);
        drawing_ = grown;
    }
}

IndexedPicture stretchIndexed(const IndexedPicture& source, QSize size)
{
    IndexedPicture out;
    if (source.isNull() || size.isEmpty())
        return out;
    out.size = size;
    out.palette = source.palette;
    out.indices.resize(std::size_t(size.width()) * std::size_t(size.height()));
    const int sw = source.size.width();
    const int sh = source.size.height();
    std::vector<int> columns(std::size_t(size.width()));
    for (int x = 0; x < size.width(); ++x)
        columns[std::size_t(x)] = int((long long)x * sw / size.width());
    for (int y = 0; y < size.height(); ++y) {
        const int sy = int((long long)y * sh / size.height());
        const std::uint8_t* row = source.indices.data() + std::size_t(sy) * std::size_t(sw);
        std::uint8_t* dst = out.indices.data() + std::size_t(y) * std::size_t(size.width());
        for (int x = 0; x < size.width(); ++x)
            dst[x] = row[columns[std::size_t(x)]];
    }
    return out;
}

}  // namespace lumarel
