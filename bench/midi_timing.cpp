// How late the output's playback thread sends messages against a steady clock, while the window
// thread is busy taking its notifications and drawing; and, in the same process, at the same
// priority and at the same time, how late a plain sleep loop wakes on the same schedule (the
// platform's floor).
// Prints: midi_timing messages=2000 onset_error_us p50=.. p99=.. max=.. floor_p99=.. floor_max=..
#include "midi/midi_events.h"
#include "midi/midi_output.h"
#include "midi/recording_device.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <pthread.h>
#include <sched.h>
#include <thread>
#include <time.h>
#include <vector>

using namespace lumarel;

namespace {

constexpr int kCount = 2000;
constexpr std::int64_t kSpanUs = 4'000'000;

// Whole-millisecond times with some sharing a time, as songs have.
std::int64_t dueUs(int i) { return (std::int64_t(i) * kSpanUs / kCount) / 1000 * 1000; }

// The window thread: takes every notification and spends a while on each, as the note handler does.
class BusyReceiver : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != MidiOutputEvent::eventType())
            return QObject::event(e);
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(300);
        while (std::chrono::steady_clock::now() < until) {
        }
        if (static_cast<MidiOutputEvent*>(e)->kind() == MidiOutputEvent::Kind::PlayFinished)
            QCoreApplication::quit();
        return true;
    }
};

std::int64_t at(double q, std::vector<std::int64_t> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::size_t(q * double(values.size() - 1))];
}

// The floor: a thread at the playback thread's priority sleeping to each due time, at the same
// time as the playback.
std::thread floorLateness(std::vector<std::int64_t>& late)
{
    late.reserve(kCount);
    return std::thread([&late] {
        sched_param param{};
        param.sched_priority = std::max(1, sched_get_priority_min(SCHED_FIFO) + 9);
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
        timespec start{};
        clock_gettime(CLOCK_MONOTONIC, &start);
        const std::int64_t startUs = std::int64_t(start.tv_sec) * 1'000'000 + start.tv_nsec / 1000 + 50'000;
        for (int i = 0; i < kCount; ++i) {
            const std::int64_t wake = startUs + dueUs(i);
            const timespec deadline{time_t(wake / 1'000'000), long(wake % 1'000'000) * 1000};
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            late.push_back(std::max<std::int64_t>(0, std::int64_t(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000 - wake));
        }
    });
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    auto clock = std::make_shared<SteadyClock>();
    auto log = std::make_shared<RecordingLog>();
    log->reserve(kCount + 64);
    MIDIOutput output(std::make_unique<RecordingDeviceProvider>(log, clock), clock);
    BusyReceiver receiver;
    output.setEventReceiver(&receiver);
    output.setAction(MIDIOutput::Open);
    for (int i = 0; i < kCount; ++i) {
        output.setMsgStatus(0x90);
        output.setMsgData1(i % 128);
        output.setMsgData2(i % 2 ? 100 : 0);
        output.setMsgTime(double(dueUs(i)) / 1000.0);
        output.setMsgTag(i % 2 ? 2'000'000 + (i % 128) * 1000 + 101 : 0);
        output.setAction(MIDIOutput::Append);
    }
    // The window thread also draws now and then: 4 ms of work every 16 ms.
    QTimer frames;
    QObject::connect(&frames, &QTimer::timeout, [] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(4);
        while (std::chrono::steady_clock::now() < until) {
        }
    });
    frames.start(16);
    std::vector<std::int64_t> floor;
    std::thread sleeper = floorLateness(floor);
    output.setAction(MIDIOutput::Start);
    QTimer::singleShot(int(kSpanUs / 1000) + 10'000, &app, &QCoreApplication::quit);  // never hang
    app.exec();
    output.setAction(MIDIOutput::Stop);

    const std::int64_t start = output.startedAtUs();
    const auto played = log->messages();
    std::vector<std::int64_t> errors;
    for (std::size_t i = 0; i < played.size() && i < std::size_t(kCount); ++i)
        errors.push_back(std::max<std::int64_t>(0, played[i].atUs - start - dueUs(int(i))));
    sleeper.join();
    std::printf("midi_timing messages=%zu onset_error_us p50=%lld p99=%lld max=%lld floor_p99=%lld floor_max=%lld\n",
                played.size(), static_cast<long long>(at(0.5, errors)), static_cast<long long>(at(0.99, errors)),
                static_cast<long long>(errors.empty() ? 0 : *std::max_element(errors.begin(), errors.end())),
                static_cast<long long>(at(0.99, floor)),
                static_cast<long long>(floor.empty() ? 0 : *std::max_element(floor.begin(), floor.end())));
    return played.size() >= std::size_t(kCount) ? 0 : 1;
}
