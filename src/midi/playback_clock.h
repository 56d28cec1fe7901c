#pragma once
// Time for the output's scheduler. The playback thread only reads the time and sleeps through
// the clock, so tests can drive it with a FakeClock instead of waiting.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>

namespace lumarel {

class PlaybackClock {
public:
    virtual ~PlaybackClock() = default;
    // Microseconds since an arbitrary epoch; never goes back.
    virtual std::int64_t nowUs() const = 0;
    // Returns once nowUs() >= deadlineUs (true) or cancel is set and wakeAll() called (false).
    virtual bool sleepUntil(std::int64_t deadlineUs, const std::atomic<bool>& cancel) = 0;
    // Wakes every sleeper so it can see its cancel flag.
    virtual void wakeAll() = 0;
    // A playback thread is about to use the clock / has stopped using it (the fake clock waits
    // for its users to settle).
    virtual void attach() {}
    virtual void detach() {}
};

// std::chrono::steady_clock (CLOCK_MONOTONIC). Waits, cancellably, until a millisecond before the
// deadline, then sleeps on the deadline itself, as late as the system's timers and no later.
class SteadyClock : public PlaybackClock {
public:
    std::int64_t nowUs() const override;
    bool sleepUntil(std::int64_t deadlineUs, const std::atomic<bool>& cancel) override;
    void wakeAll() override;

private:
    std::mutex mutex_;
    std::condition_variable wake_;
};

std::shared_ptr<PlaybackClock> steadyClock();

// Time moves only when the test says so. advanceBy() returns once every attached thread has
// done all its work due by the new time and sleeps again (or has detached).
class FakeClock : public PlaybackClock {
public:
    std::int64_t nowUs() const override;
    bool sleepUntil(std::int64_t deadlineUs, const std::atomic<bool>& cancel) override;
    void wakeAll() override;
    void attach() override;
    void detach() override;

    void advanceBy(std::int64_t us);
    void settle() { advanceBy(0); }

private:
    bool settledLocked() const;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::int64_t now_ = 0;
    int users_ = 0;
    std::multiset<std::int64_t> sleeping_;  // deadlines of the threads asleep
};

}  // namespace lumarel
