#include "platform/widgets/frame_pacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>

namespace lumarel {

FramePacer::FramePacer(QWidget* window) : QObject(window), window_(window)
{
    tick_.setSingleShot(true);
    tick_.setTimerType(Qt::PreciseTimer);
    connect(&tick_, &QTimer::timeout, this, [this] { draw(); });
    clock_.start();
    window_->installEventFilter(this);
}

std::int64_t FramePacer::intervalNs() const
{
    const QScreen* screen = window_->screen();
    const double hz = screen && screen->refreshRate() >= 1.0 ? screen->refreshRate() : 60.0;
    return std::int64_t(1e9 / hz);
}

bool FramePacer::eventFilter(QObject* watched, QEvent* event)
{
    // Widgets ask for a frame with an update request to their window; it is answered at the next
    // refresh instead of at once. (A synchronous repaint() bypasses this, so what wants pacing
    // asks with update().)
    if (watched != window_ || event->type() != QEvent::UpdateRequest || drawing_)
        return false;
    if (!tick_.isActive()) {
        const std::int64_t interval = intervalNs();
        const std::int64_t now = clock_.nsecsElapsed();
        const std::int64_t next = (now / interval + 1) * interval;
        tick_.start(int((next - now + 999'999) / 1'000'000));
    }
    return true;
}

void FramePacer::draw()
{
    drawing_ = true;
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(window_, &request);
    drawing_ = false;
    ++frames_;
}

}  // namespace lumarel
