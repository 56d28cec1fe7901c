// What the player window puts on the picture while a song plays equals the song's timeline, change
// for change: export renders the live colours.
#include <QPushButton>
#include <QTest>

#include "midi/midi_output.h"
#include "midi/midifile.h"
#include "midi/recording_device.h"
#include "midi/song_queue.h"
#include "music/timeline.h"
#include "platform/message_wait.h"
#include "player/form3.h"
#include "support/midi_builder.h"
#include "support/qt_test_main.h"
#include "support/recording_dialogs.h"
#include "support/test_support.h"

using namespace lumarel;
using namespace lumarel::test;

namespace {

// The main window's picture: every step it receives, stamped with the clock's time.
class StampingPicture : public PaletteSurface {
public:
    explicit StampingPicture(const FakeClock& clock) : clock_(clock) {}
    bool loadPicture(const QString&, QString*) override { return true; }
    void realizePalette(const LogPalette& palette) override { received.push_back({clock_.nowUs(), palette.entries}); }
    void animatePalette(int first, int count, const PaletteEntry* entries) override
    {
        for (int i = 0; i < count; ++i)
            received.back().palette[std::size_t(first + i)] = entries[i];
    }
    std::vector<PaletteChange> received;

private:
    const FakeClock& clock_;
};

class ImmediateMessages : public MessageSource {
public:
    WindowMessage get() override { return {}; }
};

// Five tracks over 14 seconds: chords, repeated notes that the meters hold back until the decay
// timer lowers them, loud and soft notes, a tempo change half-way, and a drum track (channel 10).
QByteArray song()
{
    std::vector<TrackBuilder> tracks(5);
    tracks[0].tempo(0, 500000).tempo(96 * 14, 400000).end();
    for (int t = 1; t < 5; ++t) {
        TrackBuilder& track = tracks[std::size_t(t)];
        track.meta(0, 3, QByteArray("Voice ") + QByteArray::number(t));
        const int channel = t == 4 ? 9 : t - 1;
        for (int n = 0; n < 30; ++n) {
            const int key = 48 + (n * (t + 2) + t * 5) % 36;
            const int velocity = 30 + (n * 37 + t * 11) % 98;
            track.event(n == 0 ? t * 7 : 48 + (n % 3) * 24, {0x90 | channel, key, velocity});
            track.event(48, {0x80 | channel, key, 0});
        }
        track.end();
    }
    return smf(1, 96, tracks);
}

}  // namespace

class TimelineLiveTest : public QObject {
    Q_OBJECT
private slots:
    void theLivePictureReceivesTheTimelineChangeForChange()
    {
        const QString path = writeTempFile("live.mid", song());
        Midifile file;
        file.setFileName(path);
        file.setAction(Midifile::Open);
        QVERIFY(file.isOpen());
        const std::vector<QueuedMessage> played = songMessages(file);
        const SongTimeline timeline = colourTimeline(played, file.trackCount());
        QVERIFY2(timeline.changes.size() > 20, qPrintable(QString::number(timeline.changes.size())));
        QVERIFY(played.back().timeUs > 11'000'000);  // two ticks of the decay timer at least

        SharedState state;
        QWidget main;
        auto clock = std::make_shared<FakeClock>();
        StampingPicture picture(*clock);
        MessageWait wait;
        ImmediateMessages messages;
        RecordingDialogs dialogs;
        auto provider = std::make_unique<RecordingDeviceProvider>(std::make_shared<RecordingLog>(), clock);
        Form3 player({state, main, picture, wait, messages, dialogs},
                     std::make_unique<MIDIOutput>(std::move(provider), clock));
        QVERIFY(player.loadMidiFile(path));
        player.findChild<QPushButton*>("CmdPlay")->click();

        // Time moves from one message to the next; the meter timer ticks every 5.5 s of song time,
        // after the notes before its tick and before those at it.
        std::int64_t nextTick = 5'500'000;
        for (const QueuedMessage& message : played) {
            while (nextTick <= message.timeUs) {
                clock->advanceBy(nextTick - 1 - clock->nowUs());
                QCoreApplication::processEvents();
                player.timer1Tick();
                nextTick += 5'500'000;
            }
            clock->advanceBy(message.timeUs - clock->nowUs());
            QCoreApplication::processEvents();
        }
        QCOMPARE(picture.received.size(), timeline.changes.size());
        for (std::size_t i = 0; i < timeline.changes.size(); ++i) {
            QCOMPARE(picture.received[i].timeUs, timeline.changes[i].timeUs);
            QVERIFY2(picture.received[i].palette == timeline.changes[i].palette, qPrintable(QString::number(i)));
        }
        QVERIFY(state.generatedPalette == timeline.lastMap);
        QVERIFY(dialogs.messages.isEmpty());
    }
};

LUMAREL_QTEST_MAIN(TimelineLiveTest)
#include "test_timeline_live.moc"
