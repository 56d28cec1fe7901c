#pragma once
// The MIDI output the player drives: a list of devices, one open device, a queue of timed
// messages and one playback thread that plays the queue against a clock.
//
// Notifications (MessagePlayed, PlayFinished, ErrorReported) are posted as MidiOutputEvent to
// the receiver set with setEventReceiver(); they arrive in its event() on its own thread. A played
// message is notified when it is heard: its send time plus the open device's output latency.
// The playback thread hands notifications over through a ring and a wake-up, never through a
// lock the window thread can hold.
// Every Action is safe in every state; stopping, closing and destruction silence all 16
// channels (All Notes Off and All Sound Off), so no note is left sounding.

#include "midi/midi_device.h"
#include "midi/playback_clock.h"
#include "midi/notification_ring.h"
#include "midi/queued_message.h"

#include <QObject>
#include <QSocketNotifier>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace lumarel {

class MIDIOutput : public QObject {
public:
    enum Action : int { Open = 1, Close = 2, Clear = 3, Start = 4, Stop = 5, Append = 6 };

    explicit MIDIOutput(std::unique_ptr<MidiDeviceProvider> provider = defaultProvider(),
                        std::shared_ptr<PlaybackClock> clock = steadyClock(), QObject* parent = nullptr);
    ~MIDIOutput() override;

    // Where notifications are posted; nullptr drops them. Once this returns, nothing more is
    // posted to the previous receiver.
    void setEventReceiver(QObject* receiver);

    int deviceCount() const { return provider_->count(); }
    int deviceIndex() const { return deviceIndex_; }
    void setDeviceIndex(int index) { deviceIndex_ = index; }  // -1 the built-in synth
    QString deviceName() const { return provider_->name(deviceIndex_); }
    // The devices to choose from (the built-in synth's SoundFont is chosen there).
    MidiDeviceProvider& devices() { return *provider_; }

    void setAction(int code);

    int openState() const { return device_ ? 1 : 0; }
    std::int32_t deviceHandle() const { return deviceHandle_; }  // 0 when the last open failed
    bool hasVolume() const;
    bool hasStereoVolume() const;
    std::int32_t volume() const;
    void setVolume(std::int32_t volume);
    std::int32_t volumeRight() const;
    void setVolumeRight(std::int32_t volume);

    int msgStatus() const { return msgStatus_; }
    void setMsgStatus(int status) { msgStatus_ = status; }
    int msgData1() const { return msgData1_; }
    void setMsgData1(int data1) { msgData1_ = data1; }
    int msgData2() const { return msgData2_; }
    void setMsgData2(int data2) { msgData2_ = data2; }
    double msgTime() const { return msgTime_; }
    void setMsgTime(double ms) { msgTime_ = ms; }
    std::int32_t msgTag() const { return msgTag_; }
    void setMsgTag(std::int32_t tag) { msgTag_ = tag; }

    // The queue in append order (window thread only).
    const std::vector<QueuedMessage>& queue() const { return queue_; }
    bool isPlaying() const { return thread_.joinable() && !finished_.load(); }
    // Clock time of the last Start, for measuring how late messages leave.
    std::int64_t startedAtUs() const { return startedAtUs_; }
    // Each Start begins a new playback; its notifications carry this serial (never 0).
    std::uint64_t playbackSerial() const { return playbackSerial_; }
    // The open device's output latency: how long after a send the message is heard.
    std::int64_t latencyUs() const;

private:
    void open();
    void close();
    void start();
    bool stopThread();    // ends playback without PlayFinished; true when it was running
    void stopSilently();  // the same, silencing the device when something was playing
    void append();
    void silenceLocked();
    void post(QEvent* event);
    void notify(const PlayedNotification& notification);  // playback thread
    void wakeWindowThread();                              // playback thread
    void deliverNotifications();                          // window thread
    void playLoop(std::vector<QueuedMessage> plan, std::int64_t startUs, std::uint64_t playback,
                  std::int64_t latencyUs);

    std::unique_ptr<MidiDeviceProvider> provider_;
    std::shared_ptr<PlaybackClock> clock_;

    int deviceIndex_ = -1;
    std::int32_t deviceHandle_ = 0;
    std::int32_t nextHandle_ = 1;
    int openIndex_ = -2;  // index of the open device

    int msgStatus_ = 0;
    int msgData1_ = 0;
    int msgData2_ = 0;
    double msgTime_ = 0.0;
    std::int32_t msgTag_ = 0;

    std::vector<QueuedMessage> queue_;  // append order; only the window thread touches it
    std::int64_t startedAtUs_ = 0;
    std::uint64_t playbackSerial_ = 0;

    // The device is shared with the playback thread, under mutex_; the window thread takes it only
    // for short calls (volume) or once the playback thread has ended (open, close).
    mutable std::mutex mutex_;
    std::unique_ptr<MidiDevice> device_;
    QObject* receiver_ = nullptr;  // window thread only

    NotificationRing notifications_;
    int wakeFd_ = -1;  // an eventfd: the playback thread's wake-up for the window thread
    QSocketNotifier* wakeNotifier_ = nullptr;

    std::thread thread_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
};

}  // namespace lumarel
