#pragma once
// A MIDI device that only remembers what it was sent and when: for tests and benchmarks.
// The log is shared, so the test keeps reading it after the output took the device.

#include "midi/midi_device.h"
#include "midi/playback_clock.h"

#include <QStringList>
#include <array>
#include <bitset>
#include <mutex>
#include <set>
#include <vector>

namespace lumarel {

struct RecordedMessage {
    std::int64_t atUs = 0;  // clock time it arrived
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

class RecordingLog {
public:
    void record(std::int64_t atUs, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    std::vector<RecordedMessage> messages() const;
    void clear();
    // Notes switched on and not yet switched off (by Note Off, velocity 0, CC 120 or CC 123).
    int soundingNotes() const;
    int opens() const;
    int closes() const;
    // The device index of every open, in order.
    std::vector<int> openedIndexes() const;
    void countOpen(int index = -1);
    void countClose();
    // Every volume written to a device, in order.
    std::vector<std::int32_t> volumes() const;
    void recordVolume(std::int32_t volume);
    void reserve(std::size_t n);

private:
    mutable std::mutex mutex_;
    std::vector<RecordedMessage> messages_;
    std::array<std::bitset<128>, 16> sounding_{};
    std::vector<int> openedIndexes_;
    int closes_ = 0;
    std::vector<std::int32_t> volumes_;
};

class RecordingDevice : public MidiDevice {
public:
    RecordingDevice(std::shared_ptr<RecordingLog> log, std::shared_ptr<PlaybackClock> clock,
                    bool failToOpen = false, int index = -1, std::int64_t latencyUs = 0);
    std::optional<DeviceError> open() override;
    void close() override;
    void send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override;
    bool hasVolume() const override { return true; }
    std::int64_t latencyUs() const override { return latencyUs_; }
    std::int32_t volume() const override { return volume_; }
    void setVolume(std::int32_t volume) override
    {
        volume_ = volume;
        log_->recordVolume(volume);
    }

private:
    std::shared_ptr<RecordingLog> log_;
    std::shared_ptr<PlaybackClock> clock_;
    bool failToOpen_;
    int index_;
    bool open_ = false;
    std::int32_t volume_ = 40000;
    std::int64_t latencyUs_ = 0;
};

// Devices named by the test: -1 and 0..names.size()-1, all writing to one log; the indexes in
// failing refuse to open. Each reports the same output latency.
class RecordingDeviceProvider : public MidiDeviceProvider {
public:
    RecordingDeviceProvider(std::shared_ptr<RecordingLog> log, std::shared_ptr<PlaybackClock> clock,
                            QStringList names = {}, std::set<int> failing = {});
    int count() const override { return int(names_.size()); }
    QString name(int index) const override;
    std::unique_ptr<MidiDevice> create(int index) override;
    // The output latency the devices made from now on report.
    void setLatencyUs(std::int64_t latencyUs) { latencyUs_ = latencyUs; }

private:
    std::shared_ptr<RecordingLog> log_;
    std::shared_ptr<PlaybackClock> clock_;
    QStringList names_;
    std::set<int> failing_;
    std::int64_t latencyUs_ = 0;
};

}  // namespace lumarel
