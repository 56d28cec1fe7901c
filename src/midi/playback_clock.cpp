#include "midi/playback_clock.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>

namespace lumarel {

namespace {
constexpr std::int64_t wakeEarlyUs = 1000;  // the wait on the condition ends this much early
}

std::int64_t SteadyClock::nowUs() const
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

bool SteadyClock::sleepUntil(std::int64_t deadlineUs, const std::atomic<bool>& cancel)
{
    using namespace std::chrono;
    if (deadlineUs - nowUs() > wakeEarlyUs) {
        const steady_clock::time_point wakeAt{microseconds(deadlineUs - wakeEarlyUs)};
        std::unique_lock lock(mutex_);
        wake_.wait_until(lock, wakeAt, [&] { return cancel.load(); });
    }
    if (cancel.load())
        return false;
    // The last stretch is slept on the absolute deadline: as precise as the system's timers, and
    // a song of thousands of notes a second costs a wake-up per message, not a spinning core.
    const std::int64_t ns = deadlineUs * 1000;
    timespec at{time_t(ns / 1'000'000'000), long(ns % 1'000'000'000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
    return !cancel.load();
}

void SteadyClock::wakeAll()
{
    // Taking the mutex orders the caller's cancel store before a sleeper's next check.
    std::lock_guard lock(mutex_);
    wake_.notify_all();
}

std::shared_ptr<PlaybackClock> steadyClock()
{
    return std::make_shared<SteadyClock>();
}

std::int64_t FakeClock::nowUs() const
{
    std::lock_guard lock(mutex_);
    return now_;
}

bool FakeClock::sleepUntil(std::int64_t deadlineUs, const std::atomic<bool>& cancel)
{
    std::unique_lock lock(mutex_);
    const auto mine = sleeping_.insert(deadlineUs);
    changed_.notify_all();
    changed_.wait(lock, [&] { return now_ >= deadlineUs || cancel.load(); });
    sleeping_.erase(mine);
    changed_.notify_all();
    return now_ >= deadlineUs && !cancel.load();
}

void FakeClock::wakeAll()
{
    std::lock_guard lock(mutex_);
    changed_.notify_all();
}

void FakeClock::attach()
{
    std::lock_guard lock(mutex_);
    ++users_;
}

void FakeClock::detach()
{
    std::lock_guard lock(mutex_);
    --users_;
    changed_.notify_all();
}

bool FakeClock::settledLocked() const
{
    return int(sleeping_.size()) == users_ && (sleeping_.empty() || *sleeping_.begin() > now_);
}

void FakeClock::advanceBy(std::int64_t us)
{
    std::unique_lock lock(mutex_);
    now_ += us;
    changed_.notify_all();
    changed_.wait(lock, [&] { return settledLocked(); });
}

}  // namespace lumarel
