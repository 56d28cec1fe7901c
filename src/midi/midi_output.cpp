#include "midi/midi_output.h"

#include "midi/midi_events.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <limits>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace lumarel {

MIDIOutput::MIDIOutput(std::unique_ptr<MidiDeviceProvider> provider, std::shared_ptr<PlaybackClock> clock,
                       QObject* parent)
    : QObject(parent), provider_(std::move(provider)), clock_(std::move(clock))
{
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ >= 0) {
        wakeNotifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, this);
        connect(wakeNotifier_, &QSocketNotifier::activated, this, [this] { deliverNotifications(); });
    }
}

MIDIOutput::~MIDIOutput()
{
    close();
    delete wakeNotifier_;
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

void MIDIOutput::setEventReceiver(QObject* receiver)
{
    // Notifications still in the ring belong to the previous receiver: they go.
    PlayedNotification dropped;
    while (notifications_.pop(dropped)) {
    }
    receiver_ = receiver;
}

std::int64_t MIDIOutput::latencyUs() const
{
    std::lock_guard lock(mutex_);
    return device_ ? device_->latencyUs() : 0;
}

void MIDIOutput::setAction(int code)
{
    switch (code) {
    case Open:
        open();
        break;
    case Close:
        close();
        break;
    case Clear:
        // The queue being played goes away with it: stop first (quietly, no PlayFinished).
        stopSilently();
        queue_.clear();
        break;
    case Start:
        start();
        break;
    case Stop:
        stopThread();
        {
            std::lock_guard lock(mutex_);
            silenceLocked();
        }
        break;
    case Append:
        append();
        break;
    default:
        break;
    }
}

void MIDIOutput::open()
{
    std::unique_ptr<MidiDevice> fresh;
    {
        std::lock_guard lock(mutex_);
        if (device_ && openIndex_ == deviceIndex_)
            return;  // already open: keep it as it is
        if (device_) {
            silenceLocked();
            device_->close();
            device_.reset();
        }
    }
    deviceHandle_ = 0;
    openIndex_ = -2;
    fresh = provider_->create(deviceIndex_);
    std::optional<DeviceError> failure;
    if (!fresh)
        failure = DeviceError{OutputError::NoSuchDevice,
                              QStringLiteral("There is no MIDI output device number %1.").arg(deviceIndex_)};
    else
        failure = fresh->open();
    std::lock_guard lock(mutex_);
    if (failure) {
        post(MidiOutputEvent::errorReported(int(failure->code), failure->text));
        return;
    }
    device_ = std::move(fresh);
    openIndex_ = deviceIndex_;
    deviceHandle_ = nextHandle_++;
    if (nextHandle_ <= 0)
        nextHandle_ = 1;
}

void MIDIOutput::close()
{
    stopThread();
    std::lock_guard lock(mutex_);
    if (!device_)
        return;
    silenceLocked();
    device_->close();
    device_.reset();
    openIndex_ = -2;
}

void MIDIOutput::append()
{
    QueuedMessage message;
    // Whole microseconds: the player gives whole or exact millisecond values.
    message.timeUs = std::isfinite(msgTime_) && msgTime_ > 0 ? std::llround(msgTime_ * 1000.0) : 0;
    message.tag = msgTag_;
    message.status = std::uint8_t(msgStatus_);
    message.data1 = std::uint8_t(msgData1_ & 0x7F);
    message.data2 = std::uint8_t(msgData2_ & 0x7F);
    queue_.push_back(message);
}

void MIDIOutput::start()
{
    stopSilently();
    std::vector<QueuedMessage> plan = queue_;
    sortIntoPlayOrder(plan);
    cancel_ = false;
    finished_ = false;
    startedAtUs_ = clock_->nowUs();
    ++playbackSerial_;
    clock_->attach();
    thread_ = std::thread(&MIDIOutput::playLoop, this, std::move(plan), startedAtUs_, playbackSerial_, latencyUs());
}

bool MIDIOutput::stopThread()
{
    if (!thread_.joinable())
        return false;
    {
        std::lock_guard lock(mutex_);
        cancel_ = true;
    }
    clock_->wakeAll();
    thread_.join();
    return true;
}

void MIDIOutput::stopSilently()
{
    if (stopThread()) {
        std::lock_guard lock(mutex_);
        silenceLocked();
    }
}

void MIDIOutput::playLoop(std::vector<QueuedMessage> plan, std::int64_t startUs, std::uint64_t playback,
                          std::int64_t latencyUs)
{
    // Real-time scheduling where the system grants it (audio programs ask for it the same
    // way); messages then leave on time on a busy machine. Refusal changes nothing else.
    sched_param param{};
    param.sched_priority = std::max(1, sched_get_priority_min(SCHED_FIFO) + 9);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);

    // Two walks over the same plan: sends at their times, notifications when they are heard.
    // Notifications go out at most once a millisecond, together: a screen shows them a refresh
    // later anyway, and a dense song then wakes the window thread a thousand times a second, not
    // once per note. Sparser music is notified at the very time it is heard.
    constexpr std::int64_t never = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t notifyGrainUs = 1000;
    std::size_t nextSend = 0;
    std::size_t nextHeard = 0;
    std::int64_t lastNotifiedUs = -notifyGrainUs;
    while (nextHeard < plan.size()) {
        const std::int64_t sendDue = nextSend < plan.size() ? plan[nextSend].timeUs : never;
        const std::int64_t heardDue = std::max(plan[nextHeard].timeUs + latencyUs, lastNotifiedUs + notifyGrainUs);
        if (!clock_->sleepUntil(startUs + std::min(sendDue, heardDue), cancel_))
            break;
        const std::int64_t now = clock_->nowUs() - startUs;
        if (cancel_)
            break;
        if (sendDue <= now) {
            std::lock_guard lock(mutex_);
            for (; nextSend < plan.size() && plan[nextSend].timeUs <= now; ++nextSend) {
                const QueuedMessage& m = plan[nextSend];
                // Meta events and system messages are played (their tags reported) but not
                // sent: the queue holds no payload a device could use.
                if (device_ && m.status >= 0x80 && m.status < 0xF0)
                    device_->send(m.status, m.data1, m.data2);
            }
        }
        bool heard = false;
        for (; heardDue <= now && nextHeard < nextSend && plan[nextHeard].timeUs + latencyUs <= now; ++nextHeard) {
            if (plan[nextHeard].tag != 0) {
                notify({PlayedNotification::Kind::MessagePlayed, plan[nextHeard].tag, playback});
                heard = true;
            }
        }
        if (heard) {
            wakeWindowThread();
            lastNotifiedUs = now;
        }
    }
    if (!cancel_) {
        notify({PlayedNotification::Kind::PlayFinished, 0, playback});
        wakeWindowThread();
    }
    finished_ = true;
    clock_->detach();
}

void MIDIOutput::notify(const PlayedNotification& notification)
{
    // A full ring means the window thread is seconds behind: wait for it rather than lose notes.
    while (!notifications_.push(notification) && !cancel_)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void MIDIOutput::wakeWindowThread()
{
    if (wakeFd_ < 0)
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void MIDIOutput::deliverNotifications()
{
    std::uint64_t wakes = 0;
    [[maybe_unused]] const ssize_t read = ::read(wakeFd_, &wakes, sizeof wakes);
    PlayedNotification item;
    bool any = false;
    while (notifications_.pop(item)) {
        if (!receiver_)
            continue;
        any = true;
        if (item.kind == PlayedNotification::Kind::MessagePlayed)
            QCoreApplication::postEvent(receiver_, MidiOutputEvent::messagePlayed(item.tag, item.playback));
        else
            QCoreApplication::postEvent(receiver_, MidiOutputEvent::playFinished(item.playback));
    }
    // Delivered now, behind whatever was posted to the receiver before, in order.
    if (any)
        QCoreApplication::sendPostedEvents(receiver_, MidiOutputEvent::eventType());
}

void MIDIOutput::silenceLocked()
{
    if (!device_)
        return;
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        device_->send(std::uint8_t(0xB0 | channel), 123, 0);  // All Notes Off
        device_->send(std::uint8_t(0xB0 | channel), 120, 0);  // All Sound Off
    }
}

void MIDIOutput::post(QEvent* event)
{
    // Window thread only (errors of an open).
    if (receiver_)
        QCoreApplication::postEvent(receiver_, event);
    else
        delete event;
}

bool MIDIOutput::hasVolume() const
{
    std::lock_guard lock(mutex_);
    return device_ && device_->hasVolume();
}

bool MIDIOutput::hasStereoVolume() const
{
    std::lock_guard lock(mutex_);
    return device_ && device_->hasStereoVolume();
}

std::int32_t MIDIOutput::volume() const
{
    std::lock_guard lock(mutex_);
    return device_ ? device_->volume() : 0;
}

void MIDIOutput::setVolume(std::int32_t volume)
{
    std::lock_guard lock(mutex_);
    if (device_)
        device_->setVolume(volume);
}

std::int32_t MIDIOutput::volumeRight() const
{
    std::lock_guard lock(mutex_);
    return device_ ? device_->volumeRight() : 0;
}

void MIDIOutput::setVolumeRight(std::int32_t volume)
{
    std::lock_guard lock(mutex_);
    if (device_)
        device_->setVolumeRight(volume);
}

}  // namespace lumarel
