#include "midi/recording_device.h"

namespace lumarel {

void RecordingLog::record(std::int64_t atUs, std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    std::lock_guard lock(mutex_);
    messages_.push_back({atUs, status, data1, data2});
    auto& channel = sounding_[status & 0x0F];
    switch (status & 0xF0) {
    case 0x90:
        channel[data1 & 0x7F] = data2 != 0;
        break;
    case 0x80:
        channel[data1 & 0x7F] = false;
        break;
    case 0xB0:
        if (data1 == 120 || data1 == 123)
            channel.reset();
        break;
    default:
        break;
    }
}

std::vector<RecordedMessage> RecordingLog::messages() const
{
    std::lock_guard lock(mutex_);
    return messages_;
}

void RecordingLog::clear()
{
    std::lock_guard lock(mutex_);
    messages_.clear();
}

int RecordingLog::soundingNotes() const
{
    std::lock_guard lock(mutex_);
    int count = 0;
    for (const auto& channel : sounding_)
        count += int(channel.count());
    return count;
}

int RecordingLog::opens() const
{
    std::lock_guard lock(mutex_);
    return int(openedIndexes_.size());
}

std::vector<int> RecordingLog::openedIndexes() const
{
    std::lock_guard lock(mutex_);
    return openedIndexes_;
}

int RecordingLog::closes() const
{
    std::lock_guard lock(mutex_);
    return closes_;
}

void RecordingLog::countOpen(int index)
{
    std::lock_guard lock(mutex_);
    openedIndexes_.push_back(index);
}

void RecordingLog::countClose()
{
    std::lock_guard lock(mutex_);
    ++closes_;
}

std::vector<std::int32_t> RecordingLog::volumes() const
{
    std::lock_guard lock(mutex_);
    return volumes_;
}

void RecordingLog::recordVolume(std::int32_t volume)
{
    std::lock_guard lock(mutex_);
    volumes_.push_back(volume);
}

void RecordingLog::reserve(std::size_t n)
{
    std::lock_guard lock(mutex_);
    messages_.reserve(n);
}

RecordingDevice::RecordingDevice(std::shared_ptr<RecordingLog> log, std::shared_ptr<PlaybackClock> clock,
                                 bool failToOpen, int index, std::int64_t latencyUs)
    : log_(std::move(log)), clock_(std::move(clock)), failToOpen_(failToOpen), index_(index), latencyUs_(latencyUs)
{
}

std::optional<DeviceError> RecordingDevice::open()
{
    if (failToOpen_)
        return DeviceError{OutputError::DeviceOpenFailed, QStringLiteral("The test device refuses to open.")};
    if (!open_)
        log_->countOpen(index_);
    open_ = true;
    return std::nullopt;
}

void RecordingDevice::close()
{
    if (open_)
        log_->countClose();
    open_ = false;
}

void RecordingDevice::send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    if (open_)
        log_->record(clock_->nowUs(), status, data1, data2);
}

RecordingDeviceProvider::RecordingDeviceProvider(std::shared_ptr<RecordingLog> log,
                                                 std::shared_ptr<PlaybackClock> clock, QStringList names,
                                                 std::set<int> failing)
    : log_(std::move(log)), clock_(std::move(clock)), names_(std::move(names)), failing_(std::move(failing))
{
}

QString RecordingDeviceProvider::name(int index) const
{
    if (index == -1)
        return QStringLiteral("Recording synth");
    return index >= 0 && index < count() ? names_[index] : QString();
}

std::unique_ptr<MidiDevice> RecordingDeviceProvider::create(int index)
{
    if (index < -1 || index >= count())
        return nullptr;
    return std::make_unique<RecordingDevice>(log_, clock_, failing_.count(index) > 0, index, latencyUs_);
}

}  // namespace lumarel
