#include "midi/midi_events.h"
#include "midi/midi_output.h"
#include "midi/recording_device.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <thread>

#include <memory>
#include <numeric>
#include <vector>

namespace lumarel {
namespace {

QCoreApplication& app()
{
    static int argc = 1;
    static char name[] = "test_midi_output";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

// Stands in for the player window: keeps what the output posts to it.
class Receiver : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != MidiOutputEvent::eventType())
            return QObject::event(e);
        auto* midi = static_cast<MidiOutputEvent*>(e);
        switch (midi->kind()) {
        case MidiOutputEvent::Kind::MessagePlayed:
            tags.push_back(midi->tag());
            break;
        case MidiOutputEvent::Kind::PlayFinished:
            ++finished;
            break;
        case MidiOutputEvent::Kind::ErrorReported:
            errors.push_back({midi->code(), midi->text()});
            break;
        }
        return true;
    }
    // The output wakes the receiver's thread, which then takes the notifications.
    void deliver()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(this);
    }

    std::vector<std::int32_t> tags;
    int finished = 0;
    std::vector<std::pair<int, QString>> errors;
};

struct Rig {
    explicit Rig(QStringList ports = {}, std::set<int> failing = {}, std::int64_t latencyUs = 0)
        : clock(std::make_shared<FakeClock>()), log(std::make_shared<RecordingLog>())
    {
        app();
        auto provider = std::make_unique<RecordingDeviceProvider>(log, clock, std::move(ports), std::move(failing));
        provider->setLatencyUs(latencyUs);
        output = std::make_unique<MIDIOutput>(std::move(provider), clock);
        output->setEventReceiver(&receiver);
    }
    void append(double ms, int status, int d1, int d2, std::int32_t tag = 0)
    {
        output->setMsgStatus(status);
        output->setMsgData1(d1);
        output->setMsgData2(d2);
        output->setMsgTime(ms);
        output->setMsgTag(tag);
        output->setAction(MIDIOutput::Append);
    }
    void advanceMs(std::int64_t ms)
    {
        clock->advanceBy(ms * 1000);
        receiver.deliver();
    }
    std::vector<RecordedMessage> notes() const
    {
        std::vector<RecordedMessage> out;
        for (const RecordedMessage& m : log->messages())
            if ((m.status & 0xE0) == 0x80)
                out.push_back(m);
        return out;
    }

    std::shared_ptr<FakeClock> clock;
    std::shared_ptr<RecordingLog> log;
    Receiver receiver;
    std::unique_ptr<MIDIOutput> output;
};

TEST(MidiOutput, PlaysInTimeOrderKeepingAppendOrderForEqualTimes)
{
    Rig rig;
    rig.output->setDeviceIndex(-1);
    rig.output->setAction(MIDIOutput::Open);
    ASSERT_EQ(rig.output->openState(), 1);
    EXPECT_NE(rig.output->deviceHandle(), 0);
    // Appended in blocks, as the queueing does: out of time order.
    rig.append(30, 0x90, 64, 100);
    rig.append(10, 0x90, 60, 100);
    rig.append(10, 0x90, 61, 100);
    rig.append(20, 0x80, 60, 0);
    rig.append(10, 0x90, 62, 100);
    rig.append(40, 0xFF, 0x2F, 0);  // meta: played, never sent
    rig.output->setAction(MIDIOutput::Start);
    rig.advanceMs(9);
    EXPECT_TRUE(rig.log->messages().empty());
    rig.advanceMs(1);
    for (int step = 0; step < 5; ++step)
        rig.advanceMs(10);
    const auto played = rig.log->messages();
    const int expectedKeys[] = {60, 61, 62, 60, 64};
    const std::int64_t expectedMs[] = {10, 10, 10, 20, 30};
    ASSERT_EQ(played.size(), 5u);
    for (std::size_t i = 0; i < played.size(); ++i) {
        EXPECT_EQ(played[i].data1, expectedKeys[i]) << i;
        EXPECT_EQ(played[i].atUs, expectedMs[i] * 1000) << i;
    }
    // The message members keep their values between appends.
    EXPECT_EQ(rig.output->msgStatus(), 0xFF);
    EXPECT_EQ(rig.output->msgTime(), 40.0);
    EXPECT_EQ(rig.receiver.finished, 1);
}

TEST(MidiOutput, ReportsTagsAndFinishesOnce)
{
    Rig rig;
    rig.output->setAction(MIDIOutput::Open);
    rig.append(0, 0x90, 60, 100, 2060101);
    rig.append(5, 0x80, 60, 0, 0);
    rig.append(5, 0xFF, 0x01, 0, 777);  // a meta event with a tag is reported, not sent
    rig.append(8, 0xF0, 0, 0, 0);
    rig.append(9, 0x91, 62, 0, 3062001);
    rig.output->setAction(MIDIOutput::Start);
    rig.advanceMs(0);
    EXPECT_EQ(rig.receiver.tags, std::vector<std::int32_t>{2060101});
    EXPECT_EQ(rig.receiver.finished, 0);
    rig.advanceMs(9);
    EXPECT_EQ(rig.receiver.tags, (std::vector<std::int32_t>{2060101, 777, 3062001}));
    EXPECT_EQ(rig.receiver.finished, 1);
    EXPECT_EQ(rig.log->messages().size(), 3u);  // meta and sysex are not sent
    rig.advanceMs(1000);
    EXPECT_EQ(rig.receiver.finished, 1);
    EXPECT_FALSE(rig.output->isPlaying());

    // An empty queue finishes at once.
    rig.output->setAction(MIDIOutput::Clear);
    rig.output->setAction(MIDIOutput::Start);
    rig.advanceMs(0);
    EXPECT_EQ(rig.receiver.finished, 2);
}

TEST(MidiOutput, NotesAreReportedWhenHeardAndAStopDropsWhatIsNotYetHeard)
{
    Rig rig({}, {}, 12'000);  // the device is heard 12 ms after a send
    rig.output->setDeviceIndex(-1);
    rig.output->setAction(MIDIOutput::Open);
    EXPECT_EQ(rig.output->latencyUs(), 12'000);
    rig.append(10, 0x90, 60, 100, 7);
    rig.append(30, 0x80, 60, 0);
    rig.append(50, 0x90, 62, 100, 8);
    rig.output->setAction(MIDIOutput::Start);
    rig.advanceMs(10);
    EXPECT_EQ(rig.notes().size(), 1u);  // sent on time
    EXPECT_TRUE(rig.receiver.tags.empty());
    rig.advanceMs(11);
    EXPECT_TRUE(rig.receiver.tags.empty());
    rig.advanceMs(1);  // 22 ms: heard
    EXPECT_EQ(rig.receiver.tags, std::vector<std::int32_t>{7});
    rig.advanceMs(28);  // 50 ms: the second note is sent...
    EXPECT_EQ(rig.notes().size(), 3u);
    rig.advanceMs(5);
    rig.output->setAction(MIDIOutput::Stop);  // ...and stopped before it is heard
    rig.advanceMs(100);
    EXPECT_EQ(rig.receiver.tags, std::vector<std::int32_t>{7});
    EXPECT_EQ(rig.receiver.finished, 0);

    // Played to its end: the end is reported after the last note is heard.
    rig.output->setAction(MIDIOutput::Start);
    rig.advanceMs(61);
    EXPECT_EQ(rig.receiver.tags, (std::vector<std::int32_t>{7, 7}));
    EXPECT_EQ(rig.receiver.finished, 0);
    rig.advanceMs(1);
    EXPECT_EQ(rig.receiver.tags, (std::vector<std::int32_t>{7, 7, 8}));
    EXPECT_EQ(rig.receiver.finished, 1);
}

TEST(MidiOutput, DenseNotesAreNotifiedTogetherAtMostOnceAMillisecond)
{
    Rig rig;
    rig.output->setDeviceIndex(-1);
    rig.output->setAction(MIDIOutput::Open);
    for (int n = 0; n < 30; ++n)  // a note every 0.1 ms from 10 ms
        rig.append(10.0 + n * 0.1, 0x90, 40 + n, 100, n + 1);
    rig.output->setAction(MIDIOutput::Start);
    auto advanceUs = [&](std::int64_t us) {
        rig.clock->advanceBy(us);
        rig.receiver.deliver();
    };
    advanceUs(10'000);  // the first is told at once
    EXPECT_EQ(rig.receiver.tags, std::vector<std::int32_t>{1});
    advanceUs(500);  // those since are sent, and wait for the millisecond to pass
    EXPECT_EQ(rig.notes().size(), 6u);
    EXPECT_EQ(rig.receiver.tags.size(), 1u);
    advanceUs(500);
    EXPECT_EQ(rig.receiver.tags.size(), 11u);
    advanceUs(3'000);
    std::vector<std::int32_t> all(30);
    std::iota(all.begin(), all.end(), 1);
    EXPECT_EQ(rig.receiver.tags, all);
    EXPECT_EQ(rig.receiver.finished, 1);
}

TEST(MidiOutput, SendingNeverWaitsForTheWindowThread)
{
    // The window thread is busy (here: asleep) while the song plays: every message still leaves on
    // time, and the notifications wait for the window thread in order.
    Rig rig;
    rig.output->setDeviceIndex(-1);
    rig.output->setAction(MIDIOutput::Open);
    for (int i = 0; i < 2000; ++i)
        rig.append(i, 0x90, i % 128, 100, i + 1);
    rig.output->setAction(MIDIOutput::Start);
    std::size_t sentWhileBusy = 0;
    std::thread player([&] {
        rig.clock->advanceBy(2'000'000);
        sentWhileBusy = rig.notes().size();
    });
    player.join();  // the window thread takes no event meanwhile
    EXPECT_EQ(sentWhileBusy, 2000u);
    rig.receiver.deliver();
    ASSERT_EQ(rig.receiver.tags.size(), 2000u);
    for (int i = 0; i < 2000; ++i)
        EXPECT_EQ(rig.receiver.tags[std::size_t(i)], i + 1);
    EXPECT_EQ(rig.receiver.finished, 1);
}

TEST(MidiOutput, StopSilencesEveryChannelWithoutFinishing)
{
    Rig rig;
    rig.output->setAction(MIDIOutput::Open);
    rig.append(0, 0x90, 60, 100);
    rig.append(0, 0x95, 40, 100);
    rig.append(500, 0x80, 60, 0);
    rig.append(500, 0x85, 40, 0);
    rig.output->setAction(MIDIOutput::Start);
    rig.advanceMs(100);
    EXPECT_EQ(rig.log->soundingNotes(), 2);
    rig.output->setAction(MIDIOutput::Stop);
    EXPECT_EQ(rig.log->soundingNotes(), 0);
    const auto messages = rig.log->messages();
    ASSERT_EQ(messages.size(), 2u + 32u);
    for (int channel = 0; channel < 16; ++channel) {
        const RecordedMessage& notesOff = messages[2 + 2 * std::size_t(channel)];
        const RecordedMessage& soundOff = messages[3 + 2 * std::size_t(channel)];
        EXPECT_EQ(notesOff.status, 0xB0 | channel);
        EXPECT_EQ(notesOff.data1, 123);
        EXPECT_EQ(soundOff.status, 0xB0 | channel);
        EXPECT_EQ(soundOff.data1, 120);
    }
    rig.advanceMs(1000);
    EXPECT_EQ(rig.receiver.finished, 0);
    EXPECT_EQ(rig.notes().size(), 2u);  // nothing played after the stop
}

TEST(MidiOutput, ClearAfterStopMeansTheSongPlaysOnce)
{
    Rig rig;
    auto queueSong = [&] {
        rig.output->setAction(MIDIOutput::Clear);
        rig.append(0, 0x90, 60, 100, 1060101);
        rig.append(10, 0x80, 60, 0);
    };
    rig.output->setAction(MIDIOutput::Open);
    queueSong();
    rig.output->setAction(MIDIOutput::Start);
    rig.advanceMs(5);
    rig.output->setAction(MIDIOutput::Stop);
    rig.log->clear();
    rig.receiver.tags.clear();

    queueSong();
    EXPECT_EQ(rig.output->queue().size(), 2u);
    rig.output->setAction(MIDIOutput::Start);
    rig.advanceMs(20);
    EXPECT_EQ(rig.notes().size(), 2u);
    EXPECT_EQ(rig.receiver.tags.size(), 1u);
    EXPECT_EQ(rig.receiver.finished, 1);
}

TEST(MidiOutput, FailedDeviceStillPlaysOnTheClock)
{
    Rig rig({QStringLiteral("Port A"), QStringLiteral("Port B")}, {1});
    EXPECT_EQ(rig.output->deviceCount(), 2);
    rig.output->setDeviceIndex(1);
    EXPECT_EQ(rig.output->deviceName(), QStringLiteral("Port B"));
    rig.output->setAction(MIDIOutput::Open);
    EXPECT_EQ(rig.output->deviceHandle(), 0);
    EXPECT_LT(rig.output->openState(), 1);
    EXPECT_FALSE(rig.output->hasVolume());
    rig.receiver.deliver();
    ASSERT_EQ(rig.receiver.errors.size(), 1u);
    EXPECT_EQ(rig.receiver.errors[0].first, int(OutputError::DeviceOpenFailed));
    EXPECT_FALSE(rig.receiver.errors[0].second.isEmpty());

    rig.append(0, 0x90, 60, 100, 1060101);
    rig.append(10, 0x80, 60, 0);
    rig.output->setAction(MIDIOutput::Start);
    rig.advanceMs(10);
    EXPECT_EQ(rig.receiver.tags, std::vector<std::int32_t>{1060101});
    EXPECT_EQ(rig.receiver.finished, 1);
    EXPECT_TRUE(rig.log->messages().empty());

    // An index the provider does not know is refused with its own code.
    rig.output->setDeviceIndex(7);
    rig.output->setAction(MIDIOutput::Open);
    rig.receiver.deliver();
    ASSERT_EQ(rig.receiver.errors.size(), 2u);
    EXPECT_EQ(rig.receiver.errors[1].first, int(OutputError::NoSuchDevice));
}

TEST(MidiOutput, EveryActionIsSafeInEveryState)
{
    Rig rig({QStringLiteral("Port A")});
    // Before anything is open.
    for (int code : {2, 3, 5, 0, 7, -1})
        rig.output->setAction(code);
    rig.output->setAction(MIDIOutput::Open);
    const std::int32_t handle = rig.output->deviceHandle();
    rig.output->setAction(MIDIOutput::Open);  // open twice keeps the device
    EXPECT_EQ(rig.output->deviceHandle(), handle);
    EXPECT_EQ(rig.log->opens(), 1);

    auto fill = [&] {
        for (int i = 0; i < 10; ++i) {
            rig.append(i * 100, 0x90, 60 + i, 100, 1000 + i);
            rig.append(i * 100 + 50, 0x80, 60 + i, 0);
        }
    };
    fill();
    rig.output->setAction(MIDIOutput::Start);
    rig.advanceMs(20);
    rig.output->setAction(MIDIOutput::Start);  // start again while playing: from 0, once
    EXPECT_EQ(rig.log->soundingNotes(), 0);
    rig.advanceMs(20);
    rig.output->setAction(MIDIOutput::Clear);  // clear while playing stops quietly
    EXPECT_EQ(rig.log->soundingNotes(), 0);
    EXPECT_FALSE(rig.output->isPlaying());
    rig.advanceMs(2000);
    EXPECT_EQ(rig.receiver.finished, 0);

    // Volume of the open device; none once closed.
    EXPECT_TRUE(rig.output->hasVolume());
    rig.output->setVolume(1234);
    EXPECT_EQ(rig.output->volume(), 1234);

    // Another device while playing: the first is silenced and closed.
    fill();
    rig.output->setAction(MIDIOutput::Start);
    rig.advanceMs(20);
    rig.output->setDeviceIndex(0);
    rig.output->setAction(MIDIOutput::Open);
    EXPECT_EQ(rig.log->closes(), 1);
    EXPECT_NE(rig.output->deviceHandle(), handle);
    rig.output->setAction(MIDIOutput::Close);  // close while playing stops and silences
    EXPECT_EQ(rig.log->soundingNotes(), 0);
    EXPECT_EQ(rig.output->openState(), 0);
    EXPECT_FALSE(rig.output->hasVolume());
    rig.output->setAction(MIDIOutput::Close);
    rig.advanceMs(2000);
    EXPECT_EQ(rig.receiver.finished, 0);

    // Destroyed while a note sounds.
    rig.output->setAction(MIDIOutput::Open);
    rig.output->setAction(MIDIOutput::Start);
    rig.advanceMs(10);
    EXPECT_GT(rig.log->soundingNotes(), 0);
    rig.output.reset();
    EXPECT_EQ(rig.log->soundingNotes(), 0);
}

TEST(MidiOutput, EventsCloneAndStopGoingToAClearedReceiver)
{
    std::unique_ptr<MidiOutputEvent> original(MidiOutputEvent::errorReported(4, QStringLiteral("gone")));
    std::unique_ptr<MidiOutputEvent> copy(original->clone());
    EXPECT_EQ(copy->type(), MidiOutputEvent::eventType());
    EXPECT_GE(int(copy->type()), int(QEvent::User));
    EXPECT_EQ(copy->kind(), MidiOutputEvent::Kind::ErrorReported);
    EXPECT_EQ(copy->code(), 4);
    EXPECT_EQ(copy->text(), QStringLiteral("gone"));
    EXPECT_EQ(copy->postedAtUs(), original->postedAtUs());
    std::unique_ptr<MidiOutputEvent> played(MidiOutputEvent::messagePlayed(2060001));
    EXPECT_EQ(std::unique_ptr<MidiOutputEvent>(played->clone())->tag(), 2060001);

    Rig rig;
    rig.output->setAction(MIDIOutput::Open);
    rig.append(0, 0x90, 60, 100, 5);
    rig.output->setEventReceiver(nullptr);
    rig.output->setAction(MIDIOutput::Start);
    rig.advanceMs(1);
    EXPECT_TRUE(rig.receiver.tags.empty());
    EXPECT_EQ(rig.receiver.finished, 0);
    EXPECT_EQ(rig.notes().size(), 1u);
}

}  // namespace
}  // namespace lumarel
