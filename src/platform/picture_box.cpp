#include "platform/picture_box.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPalette>

#include "platform/picture_loader.h"

namespace lumarel {

namespace {
std::uint64_t nextGeneration()
{
    static std::uint64_t counter = 0;
    return ++counter;
}
}  // namespace

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent), backColor_(palette().color(QPalette::Button))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The display renders straight into the window when painted (see paintRealized), or into
    // frame_ when someone reads the picture.
    display_.setTarget(nullptr);
}

void PictureBox::pictureChanged()
{
    generation_ = nextGeneration();
    display_.clear();
    displaySource_ = 0;
    update();
}

QImage& PictureBox::picture()
{
    if (!display_.realized())
        return picture_;
    display_.setTarget(&frame_);
    display_.render();
    display_.setTarget(nullptr);
    return frame_;
}

bool PictureBox::loadPicture(const QString& path, QString* error)
{
    // A run loads its picture file at every step; while the file and this box's picture are
    // unchanged there is nothing new to decode.
    const std::optional<FileStamp> stamp = fileStamp(path);
    if (path == loadedPath_ && generation_ == loadedGeneration_ && stamp && *stamp == loadedStamp_) {
        if (display_.realized()) {
            display_.showOwnColours();
            update();
        }
        return true;
    }
    PictureLoadResult result = loadPictureFile(path);
    if (!result.picture) {
        if (error)
            *error = result.error;
        return false;
    }
    setIndexedPicture(*result.picture);
    loadedPath_ = path;
    loadedStamp_ = stamp.value_or(FileStamp{-1, 0});
    loadedGeneration_ = generation_;
    return true;
}

void PictureBox::setIndexedPicture(const IndexedPicture& picture)
{
    indexed_ = picture;
    picture_ = indexed_.toImage();
    pictureChanged();
}

void PictureBox::takeLoadedPicture(const PictureBox& loaded)
{
    setIndexedPicture(loaded.indexed_);
    if (loaded.loadedGeneration_ != loaded.generation_ || loaded.loadedPath_.isEmpty())
        return;  // its picture was not (or no longer) the file's
    loadedPath_ = loaded.loadedPath_;
    loadedStamp_ = loaded.loadedStamp_;
    loadedGeneration_ = generation_;
}

void PictureBox::stretchFrom(const PictureBox& source)
{
    const QSize target = size();
    if (source.generation_ != 0 && source.generation_ == stretchedSource_ && target == stretchedSize_
        && generation_ == stretchedGeneration_) {
        // The same picture stretched to the same size: only its own colours come back.
        if (display_.realized()) {
            display_.showOwnColours();
            update();
        }
        return;
    }
    if (source.indexed_.isNull() || target.isEmpty()) {
        picture_ = source.picture_.isNull() ? QImage()
                                            : source.picture_.scaled(target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        indexed_ = IndexedPicture{};
    } else {
        indexed_ = stretchIndexed(source.indexed_, target);
        picture_ = indexed_.toImage();
    }
    pictureChanged();
    stretchedSource_ = source.generation_;
    stretchedSize_ = target;
    stretchedGeneration_ = generation_;
}

void PictureBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    pictureChanged();
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
    if (display_.realized() && display_.hasPicture()) {
        paintRealized(painter);
    } else {
        const QRect covered = picture_.isNull() ? QRect() : QRect(QPoint(0, 0), picture_.size());
        if (!covered.contains(rect()))
            painter.fillRect(rect(), backColor_);
        if (!picture_.isNull())
            painter.drawImage(0, 0, picture_);
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

void PictureBox::paintRealized(QPainter& painter)
{
    // Where the window's backing store is a plain 32-bit image and nothing scales, the frame is
    // written straight into it: a push then costs one pass over the visible pixels.
    // (The painter's own device is this widget; its engine draws into the backing store.)
    QPaintDevice* device = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    const QTransform transform = painter.deviceTransform();
    const QSize shown = display_.displaySize();
    if (device && device->devType() == QInternal::Image && transform.type() <= QTransform::TxTranslate) {
        auto* target = static_cast<QImage*>(device);
        const QPoint at = transform.map(QPoint(0, 0));
        const bool fits = at.x() >= 0 && at.y() >= 0 && at.x() + shown.width() <= target->width()
                          && at.y() + shown.height() <= target->height();
        const bool plain = target->format() == QImage::Format_RGB32
                           || target->format() == QImage::Format_ARGB32_Premultiplied
                           || target->format() == QImage::Format_ARGB32;
        if (fits && plain && target->devicePixelRatio() == 1.0) {
            display_.renderInto(target->scanLine(at.y()) + std::size_t(at.x()) * sizeof(QRgb), target->bytesPerLine());
            if (shown != size()) {
                painter.fillRect(QRect(shown.width(), 0, width() - shown.width(), height()), backColor_);
                painter.fillRect(QRect(0, shown.height(), width(), height() - shown.height()), backColor_);
            }
            return;
        }
    }
    painter.fillRect(rect(), backColor_);
    painter.drawImage(0, 0, picture());
}

void PictureBox::realizePalette(const IndexedPicture& source, const std::array<PaletteEntry, 256>& palette)
{
    if (source.isNull() || size().isEmpty())
        return;
    display_.setPicture(source, size());
    displaySource_ = 0;
    display_.realize(palette);
    repaint();
}

void PictureBox::realizePalette(const PictureBox& source, const std::array<PaletteEntry, 256>& palette)
{
    if (source.indexed_.isNull() || size().isEmpty())
        return;
    if (source.generation_ != displaySource_ || size() != displaySize_ || !display_.hasPicture()) {
        display_.setPicture(source.indexed_, size());
        displaySource_ = source.generation_;
        displaySize_ = size();
    }
    display_.realize(palette);
    // Shown by the push that follows in the same step, which repaints at once.
    update();
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
    if (display_.realized() && !size().isEmpty()) {
        display_.setDisplaySize(size());
        displaySize_ = size();
    }
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
