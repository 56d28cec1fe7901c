#pragma once
// Notifications from the playback thread to the window thread. The playback thread runs at
// real-time priority and must never wait on a lock the window thread can hold, nor allocate: it
// writes fixed-size records into this ring (one writer, one reader, no lock) and the window thread
// turns them into events.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace lumarel {

struct PlayedNotification {
    enum class Kind : std::uint8_t { MessagePlayed, PlayFinished };
    Kind kind = Kind::MessagePlayed;
    std::int32_t tag = 0;
    std::uint64_t playback = 0;
};

class NotificationRing {
public:
    static constexpr std::size_t kCapacity = std::size_t(1) << 16;  // seconds of the densest music

    // Writer side. False when the ring is full (the reader is far behind).
    bool push(const PlayedNotification& item)
    {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) == kCapacity)
            return false;
        (*items_)[tail % kCapacity] = item;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }
    // Reader side. False when the ring is empty.
    bool pop(PlayedNotification& item)
    {
        const std::size_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire))
            return false;
        item = (*items_)[head % kCapacity];
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

private:
    std::unique_ptr<std::array<PlayedNotification, kCapacity>> items_ =
        std::make_unique<std::array<PlayedNotification, kCapacity>>();
    alignas(64) std::atomic<std::size_t> head_{0};
    alignas(64) std::atomic<std::size_t> tail_{0};
};

}  // namespace lumarel
