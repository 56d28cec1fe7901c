// The player window against a recording device and a clock the test moves.
#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/main_window_link.h"
#include "platform/message_wait.h"
#include "player/form3.h"
#include "player/midi_events.h"
#include "player/midi_output.h"
#include "player/recording_device.h"
#include "player/midi_builder.h"
#include "support/test_support.h"
#include "support/ui_watchdog.h"

using namespace lumarel;
using namespace lumarel::test;

namespace {

// Stands in for the main window: counts the cycling steps the player asks for and, like a real
// step, lets the event loop run while it "waits for its message".
class FakeMain : public MainWindowLink {
public:
    QWidget* mainWindow() override { return &window; }
    void cycleOnce() override
    {
        ++steps;
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (waitsForMessage) {
            MessageWait wait;
            taken.push_back(wait.get().kind);
        } else {
            QCoreApplication::processEvents();
        }
        --depth;
    }
    QWidget window;
    bool waitsForMessage = false;  // each step waits for a message, as a real run does
    std::vector<WindowMessage::Kind> taken;
    int steps = 0;
    int depth = 0;
    int maxDepth = 0;
};

// A song of `tracks` tracks: track 1 holds the tempo; track t > 1 is named "Part t" and plays
// `notes` notes of velocity `velocity`, one every 100 ticks.
QByteArray song(int tracks, int notes = 2, int velocity = 100, bool emptyNameOnTrack4 = false)
{
    std::vector<TrackBuilder> built;
    TrackBuilder first;
    first.tempo(0, 500000).end();
    built.push_back(first);
    for (int t = 2; t <= tracks; ++t) {
        TrackBuilder track;
        track.meta(0, 3, (emptyNameOnTrack4 && t == 4) ? QByteArray() : QByteArray("Part ") + QByteArray::number(t));
        track.event(0, {0xC0 | ((t - 1) & 15), 0});
        for (int n = 0; n < notes; ++n) {
            track.event(n == 0 ? 0 : 50, {0x90 | ((t - 1) & 15), 60 + n, velocity});
            track.event(50, {0x80 | ((t - 1) & 15), 60 + n, 0});
        }
        track.end();
        built.push_back(track);
    }
    if (tracks == 1) {
        TrackBuilder only;
        only.meta(0, 3, "Solo").event(0, {0x90, 64, 90}).event(96, {0x80, 64, 0}).end();
        built = {only};
    }
    return smf(1, 96, built);
}

}  // namespace

class Form3Test : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        state_ = SharedState{};
        log_ = std::make_shared<RecordingLog>();
        clock_ = std::make_shared<FakeClock>();
        auto provider = std::make_unique<RecordingDeviceProvider>(log_, clock_, QStringList{"Port A", "Port B"});
        main_ = std::make_unique<FakeMain>();
        player_ = std::make_unique<Form3>(state_, *main_, std::make_unique<MIDIOutput>(std::move(provider), clock_));
        player_->showMessage = [this](const QString&, const QString& text) { messages_ << text; };
        player_->showInformation = [this](const QString& text) { information_ << text; };
        messages_.clear();
        information_.clear();
        player_->show();
    }

    void cleanup() { player_.reset(); }

    void loadsWithItsControlsAndTheDefaultOutputFirst()
    {
        QCOMPARE(player_->windowTitle(), QString("Midi File Player -  Lumarel"));
        QCOMPARE(player_->Frame1->title(), QString("Funzioni"));
        const QStringList captions = {player_->Command1->text(), player_->CmdPlay->text(), player_->CmdStop->text(),
                                      player_->Command2->text(), player_->Command3->text(), player_->Label2->text(),
                                      player_->Label3->text(), player_->Label1->text()};
        QCOMPARE(captions, (QStringList{"&Open Midi File", "Play", "Stop", "Lumarel", "Animate!", "Device di Output:",
                                        "Total Tracks Number", "Track Name"}));
        QCOMPARE(player_->OutputDevCombo->count(), 3);
        QCOMPARE(player_->OutputDevCombo->itemText(1), QString("Port A"));
        QCOMPARE(player_->OutputDevCombo->itemText(2), QString("Port B"));
        QVERIFY(!player_->CmdPlay->isEnabled());
        QVERIFY(!player_->CmdStop->isEnabled());
        QVERIFY(!player_->Timer1.isActive());
        QCOMPARE(player_->rowCount, std::int16_t(1));
        QCOMPARE(player_->meterDecayStep, std::int16_t(15));
        QCOMPARE(log_->opens(), 0);  // the stop sequence at load found no device to close
        // Choosing a device, even before any file, enables Play; the third entry is device 1.
        player_->OutputDevCombo->setCurrentIndex(2);
        QVERIFY(player_->CmdPlay->isEnabled());
        player_->openOutputDevice();
        QCOMPARE(player_->MIDIOutput1.deviceIndex(), 1);
    }

    void rowsFollowTheFileAndTheWindowFollowsTheRows()
    {
        QVERIFY(player_->loadMidiFile(writeTempFile("one.mid", song(1))));
        QCOMPARE(player_->rowCount, std::int16_t(1));
        QCOMPARE(player_->LabelTrackName[0]->text(), QString("Solo"));
        QCOMPARE(state_.trackCount, std::int16_t(1));

        QVERIFY(player_->loadMidiFile(writeTempFile("ten.mid", song(10, 2, 100, true))));
        QCOMPARE(player_->rowCount, std::int16_t(9));
        QCOMPARE(int(player_->LabelTrackName.size()), 9);
        QCOMPARE(player_->LabelTrackName[0]->text(), QString("Part 2"));
        QCOMPARE(player_->LabelTrackName[2]->text(), QString("Track 4 (null)"));
        const int tallHeight = player_->height();
        QCOMPARE(tallHeight, player_->twipsToPxY(3000 + 360 * 9));

        QVERIFY(player_->loadMidiFile(writeTempFile("three.mid", song(3))));
        QCOMPARE(player_->rowCount, std::int16_t(2));
        QCOMPARE(int(player_->Vindicator1.size()), 2);
        QVERIFY(player_->height() < tallHeight);

        QVERIFY(player_->loadMidiFile(writeTempFile("twenty.mid", song(20))));
        QCOMPARE(player_->rowCount, std::int16_t(15));
        QCOMPARE(state_.trackCount, std::int16_t(16));
        QCOMPARE(player_->LabelTrackName[14]->text(), QString("Part 16"));
        QVERIFY(player_->CmdPlay->isEnabled());
    }

    void aRefusedFileSaysWhyAndLeavesNothingToPlay()
    {
        QVERIFY(!player_->loadMidiFile(writeTempFile("notmidi.mid", "RIFF....not a song at all")));
        QCOMPARE(messages_.size(), 1);
        QVERIFY(messages_.first().contains("notmidi.mid"));
        QVERIFY(!player_->CmdPlay->isEnabled());
        QCOMPARE(player_->rowCount, std::int16_t(1));
    }

    void playStopAndTheEndOfTheSongLeaveNothingSounding()
    {
        QVERIFY(player_->loadMidiFile(writeTempFile("three.mid", song(3, 4))));
        player_->cmdPlayClick();
        QVERIFY(!player_->CmdPlay->isEnabled());
        QVERIFY(player_->CmdStop->isEnabled());
        QVERIFY(player_->Timer1.isActive());
        QCOMPARE(log_->opens(), 1);
        clock_->advanceBy(60'000);  // the first notes sound
        QVERIFY(log_->soundingNotes() > 0);

        player_->cmdStopClick();
        QVERIFY(player_->CmdPlay->isEnabled());
        QVERIFY(!player_->CmdStop->isEnabled());
        QVERIFY(!player_->Timer1.isActive());
        QCOMPARE(log_->soundingNotes(), 0);
        QCOMPARE(log_->closes(), 1);
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        // Played to its end: the stop sequence runs, the timer keeps going.
        player_->cmdPlayClick();
        clock_->advanceBy(10'000'000);
        QTRY_VERIFY(player_->CmdPlay->isEnabled());
        QVERIFY(!player_->CmdStop->isEnabled());
        QVERIFY(player_->Timer1.isActive());
        QCOMPARE(log_->soundingNotes(), 0);
        QCOMPARE(log_->closes(), 2);
        for (LevelMeter* meter : player_->Vindicator1)
            QCOMPARE(meter->level(), 0.0f);

        // A device chosen while a song plays stops it at once.
        player_->cmdPlayClick();
        clock_->advanceBy(60'000);
        player_->OutputDevCombo->setCurrentIndex(1);
        QVERIFY(player_->CmdPlay->isEnabled());
        QCOMPARE(log_->soundingNotes(), 0);
        QCOMPARE(log_->closes(), 3);

        // Closing the player while a song plays silences and closes the device, volume restored.
        player_->cmdPlayClick();
        clock_->advanceBy(60'000);
        QVERIFY(log_->soundingNotes() > 0);
        player_->close();
        QCOMPARE(log_->soundingNotes(), 0);
        QCOMPARE(log_->closes(), 4);
        QVERIFY(!player_->Timer1.isActive());
        QVERIFY(player_->CmdPlay->isEnabled());
        QVERIFY(!player_->CmdStop->isEnabled());
    }

    void metersFallByFifteenATick()
    {
        LevelMeter* meter = player_->Vindicator1[0];
        meter->setLevel(100);
        QList<float> seen;
        for (int i = 0; i < 7; ++i) {
            player_->timer1Tick();
            seen << meter->level();
        }
        QCOMPARE(seen, (QList<float>{85, 70, 55, 40, 25, 10, 0}));
        meter->setLevel(16);
        player_->timer1Tick();
        QCOMPARE(meter->level(), 1.0f);
        player_->timer1Tick();
        QCOMPARE(meter->level(), 0.0f);
    }

    void playedNotesLightTheirRowsAndColourTheMap()
    {
        QVERIFY(player_->loadMidiFile(writeTempFile("sixteen.mid", song(16))));
        QCOMPARE(player_->rowCount, std::int16_t(15));
        const GeneratedPalette before = state_.generatedPalette;

        player_->showPlayedNote(-5);
        player_->showPlayedNote(2'060'128);  // track 2, Do, loudest
        QCOMPARE(player_->Vindicator1[0]->level(), 128.0f);
        QCOMPARE(player_->Picture1[0]->backColor(), QColor(255, 255, 255));
        QCOMPARE(player_->Picture1[0]->printedText(), QString(" 128"));
        QCOMPARE(player_->Picture2[0]->backColor(), QColor(255, 0, 0));
        QCOMPARE(player_->Picture2[0]->printedText(), player_->noteNames[60]);
        QCOMPARE(state_.keyColors[1], (KeyColor{255, 0, 0, state_.keyColors[1].fourth}));
        QCOMPARE(player_->Label4->text(), QString("15"));
        QCOMPARE(main_->steps, 1);
        QVERIFY(!(state_.generatedPalette == before));

        // A quieter note on the same track is skipped while the meter is higher.
        player_->showPlayedNote(2'062'050);
        QCOMPARE(main_->steps, 1);
        QCOMPARE(player_->Picture2[0]->backColor(), QColor(255, 0, 0));

        // Track 16 has a row, and its notes show.
        player_->showPlayedNote(16'067'080);  // Sol
        QCOMPARE(player_->Vindicator1[14]->level(), 80.0f);
        QCOMPARE(state_.keyColors[15], (KeyColor{0, 255, 255, state_.keyColors[15].fourth}));
        QCOMPARE(player_->Picture1[14]->backColor(), QColor(160, 160, 160));
        QCOMPARE(main_->steps, 2);
        // A track without a row, and notes above 127, show nothing.
        player_->showPlayedNote(17'060'100);
        player_->showPlayedNote(3'128'100);
        QCOMPARE(main_->steps, 2);
        QVERIFY(information_.isEmpty());
    }

    void withTooFewColoursTheGeneratorSaysSoOncePerPlayback()
    {
        QVERIFY(player_->loadMidiFile(writeTempFile("two.mid", song(2, 3))));
        player_->cmdPlayClick();
        player_->showPlayedNote(2'060'050);
        player_->Vindicator1[0]->setLevel(0);
        player_->showPlayedNote(2'062'050);
        QCOMPARE(information_, QStringList{"At least two colors must be defined before the map can be generated"});
        QVERIFY(main_->steps >= 2);  // the picture still gets its steps
        player_->cmdStopClick();
        player_->cmdPlayClick();
        player_->showPlayedNote(2'064'050);
        QCOMPARE(information_.size(), 2);
        player_->cmdStopClick();
    }

    void theHandlerNeverRunsInsideItself()
    {
        QVERIFY(player_->loadMidiFile(writeTempFile("five.mid", song(5))));
        // Notes that arrive while a note is being shown wait their turn; none is lost.
        for (int track = 2; track <= 5; ++track)
            QCoreApplication::postEvent(player_.get(), MidiOutputEvent::messagePlayed(track * 1'000'000 + 60'000 + 100));
        QCoreApplication::processEvents();
        QCOMPARE(main_->steps, 4);
        QCOMPARE(main_->maxDepth, 1);
        for (int row = 0; row < 4; ++row)
            QCOMPARE(player_->Vindicator1[std::size_t(row)]->level(), 100.0f);
    }

    void notesWaitingTheirTurnAreMessagesForTheRunOfTheNoteBeforeThem()
    {
        QVERIFY(player_->loadMidiFile(writeTempFile("five.mid", song(5))));
        main_->waitsForMessage = true;
        for (int track = 2; track <= 5; ++track)
            QCoreApplication::postEvent(player_.get(), MidiOutputEvent::messagePlayed(track * 1'000'000 + 60'000 + 100));
        // Only the last note's run has nothing waiting behind it: it waits for the next message.
        // (Keys keep coming, so a run that waits when it should not makes the test fail, not hang.)
        QTimer keys;
        keys.setInterval(50);
        QObject::connect(&keys, &QTimer::timeout, [this] { QTest::keyClick(&main_->window, Qt::Key_Shift); });
        keys.start();
        QCoreApplication::processEvents();
        QTRY_COMPARE(main_->steps, 4);
        using Kind = WindowMessage::Kind;
        QCOMPARE(main_->taken, (std::vector<Kind>{Kind::Other, Kind::Other, Kind::Other, Kind::KeyDown}));
        QCOMPARE(main_->maxDepth, 1);
        for (int row = 0; row < 4; ++row)
            QCOMPARE(player_->Vindicator1[std::size_t(row)]->level(), 100.0f);
    }

    void errorsAreShownUnlessSilent()
    {
        player_->errorReported(0, "zero");
        player_->errorReported(8, "eight");
        player_->errorReported(-3, "negative");
        player_->errorReported(2, "No audio output");
        QCOMPARE(messages_, (QStringList{"negative", "No audio output"}));
    }

private:
    SharedState state_;
    std::shared_ptr<RecordingLog> log_;
    std::shared_ptr<FakeClock> clock_;
    std::unique_ptr<FakeMain> main_;
    std::unique_ptr<Form3> player_;
    QStringList messages_;
    QStringList information_;
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    lumarel::test::UiWatchdog watchdog;
    Form3Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_form3.moc"
