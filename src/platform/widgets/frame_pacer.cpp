#include "platform/widgets/frame_pacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScreen>
#include <QSocketNotifier>
#include <QWidget>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>

namespace lumarel {

namespace {

std::int64_t monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

}  // namespace

FramePacer::FramePacer(QWidget* window) : QObject(window), window_(window)
{
    // The refresh is waited for on a timer file with nanosecond resolution: a millisecond timer
    // rounds each frame up to a whole millisecond, which is late by that much on average.
    timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timerFd_ >= 0) {
        auto* notifier = new QSocketNotifier(timerFd_, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            std::uint64_t expirations = 0;
            if (::read(timerFd_, &expirations, sizeof expirations) == sizeof expirations)
                draw();
        });
    } else {
        fallback_.setSingleShot(true);
        fallback_.setTimerType(Qt::PreciseTimer);
        connect(&fallback_, &QTimer::timeout, this, [this] { draw(); });
    }
    window_->installEventFilter(this);
}

FramePacer::~FramePacer()
{
    if (timerFd_ >= 0)
        ::close(timerFd_);
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
    if (!pending_)
        schedule();
    return true;
}

void FramePacer::schedule()
{
    // The refreshes are a grid of the interval; a frame goes at the first one after now that
    // follows the last frame drawn, so two frames are never drawn for one refresh.
    const std::int64_t interval = intervalNs();
    const std::int64_t now = monotonicNs();
    const std::int64_t slot = std::max(now / interval + 1, lastSlot_ + 1);
    const std::int64_t at = slot * interval;
    pending_ = true;
    if (timerFd_ >= 0) {
        itimerspec when{};
        when.it_value.tv_sec = time_t(at / 1'000'000'000);
        when.it_value.tv_nsec = long(at % 1'000'000'000);
        timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &when, nullptr);
    } else {
        fallback_.start(int((at - now + 999'999) / 1'000'000));
    }
}

void FramePacer::draw()
{
    pending_ = false;
    lastSlot_ = monotonicNs() / intervalNs();
    drawing_ = true;
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(window_, &request);
    drawing_ = false;
    ++frames_;
}

}  // namespace lumarel
