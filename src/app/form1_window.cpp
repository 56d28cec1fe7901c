// The main window as a desktop window: the picture area and the map strip follow its size, and a
// window restored from maximised fits inside the screen's work area.
#include <QGuiApplication>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QWindowStateChangeEvent>
#include <algorithm>

#include "app/form1.h"
#include "app/tab_control.h"
#include "platform/stretch.h"
#include "platform/widgets/picture_box.h"

namespace lumarel {

namespace {

constexpr int kSmallestSide = 16;  // pixels: a box never shrinks below this
constexpr qint64 kRestoreSettlingMs = 1000;  // how long after a restore its geometry is watched

// A rectangle of the load step's layout, grown (or shrunk) by the window's change of size.
QRect grown(const RectF& r, int dw, int dh)
{
    return QRect(qRound(r.left), qRound(r.top), std::max(kSmallestSide, qRound(r.width) + dw),
                 std::max(kSmallestSide, qRound(r.height) + dh));
}

}  // namespace

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    followWindowSize();
    fitSoonAfterRestore();
}

void Form1::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    fitSoonAfterRestore();
}

void Form1::followWindowSize()
{
    // At the size the load step laid the window out for, every control is where it put it.
    if (designSize_.isEmpty())
        return;
    const int dw = width() - designSize_.width();
    const int dh = height() - designSize_.height();
    const QRect picture = grown(layout_.picture1, dw, dh);
    if (picture == Picture1->geometry() && grown(layout_.picture3, dw, 0) == Picture3->geometry())
        return;
    Picture1->setGeometry(picture);
    Picture2->setGeometry(grown(layout_.picture2, dw, dh));
    Picture3->setGeometry(grown(layout_.picture3, dw, 0));
    // The tab is as tall as the picture area, as the load step makes it.
    QRect tab = SSTab1->geometry();
    tab.setHeight(picture.height());
    SSTab1->setGeometry(tab);
    if (!readMap_.isEmpty())
        drawStrip();
    // Copy and Save take the picture at Picture1's size.
    if (pictureChosen_ && Picture1->indexedPicture()) {
        Picture4->resize(Picture1->size());
        Picture4->setPicture(
            std::make_shared<const IndexedPicture>(stretchIndexed(*Picture1->indexedPicture(), Picture4->size())));
    }
}

void Form1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const Qt::WindowStates before = static_cast<QWindowStateChangeEvent*>(event)->oldState();
    if ((before & Qt::WindowMaximized) && windowState() == Qt::WindowNoState) {
        restoredAt_.start();
        fitSoonAfterRestore();
    }
}

void Form1::fitSoonAfterRestore()
{
    // The window system gives the restored geometry with the new state or a moment after it,
    // in one or several steps: each is brought inside, once the events of the moment are done.
    if (!restoredAt_.isValid() || restoredAt_.elapsed() > kRestoreSettlingMs || fitPending_)
        return;
    fitPending_ = true;
    QTimer::singleShot(0, this, [this] {
        fitPending_ = false;
        fitInsideWorkArea();
    });
}

void Form1::fitInsideWorkArea()
{
    if (windowState() != Qt::WindowNoState)
        return;
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect work = s->availableGeometry();
    const QRect inner = geometry();
    const QRect frame = frameGeometry();
    if (work.contains(frame))
        return;
    // The frame (title bar and borders) stays as the window system draws it; the inner area
    // shrinks so that the whole window fits, and the window moves inside.
    const int frameWidth = frame.width() - inner.width();
    const int frameHeight = frame.height() - inner.height();
    const QSize size(std::min(inner.width(), work.width() - frameWidth),
                     std::min(inner.height(), work.height() - frameHeight));
    const int left = std::clamp(frame.left(), work.left(), work.right() + 1 - (size.width() + frameWidth));
    const int top = std::clamp(frame.top(), work.top(), work.bottom() + 1 - (size.height() + frameHeight));
    resize(size);
    move(left, top);
}

}  // namespace lumarel
