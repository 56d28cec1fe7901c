// The player window against a recording device and a clock the test moves.
#include <QAbstractItemView>
#include <QAction>
#include <QMenu>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "animation/wait_source.h"
#include "midi/midi_events.h"
#include "midi/midi_output.h"
#include "midi/recording_device.h"
#include "platform/message_wait.h"
#include "platform/widgets/level_meter.h"
#include "platform/widgets/picture_box.h"
#include "player/form3.h"
#include "support/midi_builder.h"
#include "support/qt_test_main.h"
#include "support/recording_dialogs.h"
#include "support/test_support.h"

using namespace lumarel;
using namespace lumarel::test;

namespace {

// The main window's picture in small: records every palette step it is given.
class RecordingPicture : public PaletteSurface {
public:
    bool loadPicture(const QString&, QString*) override { return true; }
    void realizePalette(const LogPalette& palette) override
    {
        ++steps;
        shown = palette.entries;
    }
    void animatePalette(int first, int count, const PaletteEntry* entries) override
    {
        for (int i = 0; i < count; ++i)
            shown[std::size_t(first + i)] = entries[i];
    }
    int steps = 0;
    std::array<PaletteEntry, 256> shown{};
};

// Where a note's palette step takes its message: like a real run it lets the event loop run
// while it "waits", or it waits for real through the program's message wait.
class StepMessages : public MessageSource {
public:
    explicit StepMessages(MessageWait& wait) : real_(wait) {}
    bool running() const override { return depth > 0; }
    void begin() override
    {
        maxDepth = std::max(maxDepth, ++depth);
        if (waitsForMessage)
            real_.begin();
    }
    void end() override
    {
        --depth;
        if (waitsForMessage)
            real_.end();
    }
    WindowMessage get() override
    {
        if (waitsForMessage) {
            taken.push_back(real_.get().kind);
            return {};
        }
        QCoreApplication::processEvents();
        return {};
    }
    bool waitsForMessage = false;
    std::vector<WindowMessage::Kind> taken;
    int depth = 0;
    int maxDepth = 0;

private:
    WaitSource real_;
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
        picture_ = std::make_unique<RecordingPicture>();
        wait_ = std::make_unique<MessageWait>();
        steps_ = std::make_unique<StepMessages>(*wait_);
        dialogs_ = std::make_unique<RecordingDialogs>();
        auto provider = std::make_unique<RecordingDeviceProvider>(log_, clock_, QStringList{"Port A", "Port B"});
        provider_ = provider.get();
        const PlayerContext context{state_, main_, *picture_, *wait_, *steps_, *dialogs_};
        player_ = std::make_unique<Form3>(context, std::make_unique<MIDIOutput>(std::move(provider), clock_));
        player_->show();
    }

    void cleanup() { player_.reset(); }

    void loadsWithItsControlsAndTheDefaultOutputFirst()
    {
        QCOMPARE(player_->windowTitle(), QString("Midi File Player -  Lumarel"));
        QCOMPARE(control<QGroupBox>("Frame1")->title(), QString("Funzioni"));
        QStringList captions;
        for (const char* name : {"Command1", "CmdPlay", "CmdStop", "Command2", "Command3"})
            captions << button(name)->text();
        for (const char* name : {"Label2", "Label3", "Label1"})
            captions << control<QLabel>(name)->text();
        QCOMPARE(captions, (QStringList{"&Open Midi File", "Play", "Stop", "Lumarel", "Animate!", "Device di Output:",
                                        "Total Tracks Number", "Track Name"}));
        QComboBox* devices = control<QComboBox>("OutputDevCombo");
        QCOMPARE(devices->count(), 3);
        QCOMPARE(devices->itemText(1), QString("Port A"));
        QCOMPARE(devices->itemText(2), QString("Port B"));
        // The drop-down list is wide enough for the longest name; the combo keeps its place.
        QVERIFY(devices->view()->minimumWidth() >= devices->view()->sizeHintForColumn(0));
        QCOMPARE(devices->width(), player_->twipsToPxX(1935));
        QVERIFY(!button("CmdPlay")->isEnabled());
        QVERIFY(!button("CmdStop")->isEnabled());
        QVERIFY(!control<QTimer>("Timer1")->isActive());
        QCOMPARE(player_->rowCount(), 1);
        QCOMPARE(player_->meterDecayStep(), 15);
        QCOMPARE(log_->opens(), 0);  // the stop sequence at load found no device to close
        // Choosing a device, even before any file, enables Play; the third entry is device 1.
        choose(2);
        QVERIFY(button("CmdPlay")->isEnabled());
        button("CmdPlay")->click();
        QCOMPARE(log_->openedIndexes(), (std::vector<int>{1}));
        button("CmdStop")->click();
    }

    void theOpenDialogShowsItsPatternOnce()
    {
        dialogs_->answers.push_back(QString());  // cancelled
        button("Command1")->click();
        QCOMPARE(dialogs_->asked.size(), std::size_t(1));
        const FileDialogSettings& asked = dialogs_->asked.front();
        QCOMPARE(asked.title, QString("Open MIDI File"));
        QCOMPARE(asked.filters, QStringList{"(*.mid) MIDI files (*.mid)"});
        QVERIFY(!asked.showPatterns);
        QCOMPARE(asked.defaultSuffix, QString("mid"));
        QCOMPARE(player_->rowCount(), 1);
    }

    void rowsFollowTheFileAndTheWindowFollowsTheRows()
    {
        QVERIFY(player_->loadMidiFile(writeTempFile("one.mid", song(1))));
        QCOMPARE(player_->rowCount(), 1);
        QCOMPARE(rowLabel(0), QString("Solo"));
        QCOMPARE(state_.trackCount, std::int16_t(1));

        QVERIFY(player_->loadMidiFile(writeTempFile("ten.mid", song(10, 2, 100, true))));
        QCOMPARE(player_->rowCount(), 9);
        QCOMPARE(rowLabel(0), QString("Part 2"));
        QCOMPARE(rowLabel(2), QString("Track 4 (null)"));
        const int tallHeight = player_->height();
        QCOMPARE(tallHeight, player_->twipsToPxY(3000 + 360 * 9));

        QVERIFY(player_->loadMidiFile(writeTempFile("three.mid", song(3))));
        QCOMPARE(player_->rowCount(), 2);
        QVERIFY(!player_->findChild<QLabel*>("LabelTrackName_2"));
        QVERIFY(player_->height() < tallHeight);

        QVERIFY(player_->loadMidiFile(writeTempFile("twenty.mid", song(20))));
        QCOMPARE(player_->rowCount(), 15);
        QCOMPARE(state_.trackCount, std::int16_t(16));
        QCOMPARE(rowLabel(14), QString("Part 16"));
        QVERIFY(button("CmdPlay")->isEnabled());
    }

    void trackNamesAreTextNeverMarkupAndKeepTheirTabs()
    {
        std::vector<TrackBuilder> built(3);
        built[0].tempo(0, 500000).end();
        built[1].meta(0, 3, "  <font size=7>big</font><img src=x>  ").end();
        built[2].meta(0, 3, "\tTabbed \t").end();
        QVERIFY(player_->loadMidiFile(writeTempFile("markup.mid", smf(1, 96, built))));
        auto* label = player_->findChild<QLabel*>("LabelTrackName_0");
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->text(), QString("<font size=7>big</font><img src=x>"));  // blanks are spaces only
        QCOMPARE(rowLabel(1), QString("\tTabbed \t"));
    }

    void aRefusedFileSaysWhyAndLeavesTheLoadedSongAsItWas()
    {
        QVERIFY(!player_->loadMidiFile(writeTempFile("notmidi.mid", "RIFF....not a song at all")));
        QCOMPARE(dialogs_->messages.size(), 1);
        QVERIFY(dialogs_->messages.first().contains("notmidi.mid"));
        QVERIFY(!button("CmdPlay")->isEnabled());
        QCOMPARE(player_->rowCount(), 1);

        QVERIFY(player_->loadMidiFile(writeTempFile("five.mid", song(5))));
        QVERIFY(!player_->loadMidiFile(writeTempFile("empty.mid", QByteArray())));
        QCOMPARE(dialogs_->messages.size(), 2);
        QCOMPARE(player_->rowCount(), 4);
        QCOMPARE(rowLabel(3), QString("Part 5"));
        QCOMPARE(state_.trackCount, std::int16_t(5));
        QVERIFY(button("CmdPlay")->isEnabled());
        // And the song still plays.
        button("CmdPlay")->click();
        clock_->advanceBy(10'000);
        QVERIFY(log_->soundingNotes() > 0);
        button("CmdStop")->click();
    }

    void playStopAndTheEndOfTheSongLeaveNothingSounding()
    {
        QVERIFY(player_->loadMidiFile(writeTempFile("three.mid", song(3, 4))));
        button("CmdPlay")->click();
        QVERIFY(!button("CmdPlay")->isEnabled());
        QVERIFY(button("CmdStop")->isEnabled());
        QTimer* timer = control<QTimer>("Timer1");
        QVERIFY(timer->isActive());
        QCOMPARE(log_->opens(), 1);
        clock_->advanceBy(60'000);  // the first notes sound
        QVERIFY(log_->soundingNotes() > 0);

        button("CmdStop")->click();
        QVERIFY(button("CmdPlay")->isEnabled());
        QVERIFY(!button("CmdStop")->isEnabled());
        QVERIFY(!timer->isActive());
        QCOMPARE(log_->soundingNotes(), 0);
        QCOMPARE(log_->closes(), 1);
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        // Played to its end: the stop sequence runs, the timer keeps going.
        button("CmdPlay")->click();
        clock_->advanceBy(10'000'000);
        QTRY_VERIFY(button("CmdPlay")->isEnabled());
        QVERIFY(!button("CmdStop")->isEnabled());
        QVERIFY(timer->isActive());
        QCOMPARE(log_->soundingNotes(), 0);
        QCOMPARE(log_->closes(), 2);
        for (int row = 0; row < player_->rowCount(); ++row)
            QCOMPARE(meter(row)->level(), 0.0f);

        // Closing the player while a song plays silences and closes the device, volume restored.
        button("CmdPlay")->click();
        clock_->advanceBy(60'000);
        QVERIFY(log_->soundingNotes() > 0);
        QSignalSpy unloaded(player_.get(), &Form3::unloaded);
        player_->close();
        QCOMPARE(unloaded.size(), 1);
        QCOMPARE(log_->soundingNotes(), 0);
        QCOMPARE(log_->closes(), 3);
        QVERIFY(!timer->isActive());
    }

    void choosingADeviceWhilePlayingStopsTheSong()
    {
        QVERIFY(player_->loadMidiFile(writeTempFile("five.mid", song(5, 20))));
        button("CmdPlay")->click();
        clock_->advanceBy(60'000);
        QVERIFY(log_->soundingNotes() > 0);
        const int stepsBefore = picture_->steps;
        choose(1);  // the user picks "Port A"
        QVERIFY(button("CmdPlay")->isEnabled());
        QVERIFY(!button("CmdStop")->isEnabled());
        QCOMPARE(log_->soundingNotes(), 0);
        QCOMPARE(log_->closes(), 1);
        // What the stopped playback had posted shows nothing.
        QCoreApplication::processEvents();
        for (int row = 0; row < player_->rowCount(); ++row)
            QCOMPARE(meter(row)->level(), 0.0f);
        QCOMPARE(picture_->steps, stepsBefore);
        // The same entry chosen again also runs the stop sequence (nothing is open now).
        button("CmdPlay")->click();
        clock_->advanceBy(60'000);
        choose(1);
        QVERIFY(button("CmdPlay")->isEnabled());
        QCOMPARE(log_->closes(), 2);
        QCOMPARE(log_->openedIndexes(), (std::vector<int>{-1, 0}));
    }

    void notesHeldBackUntilAfterTheStopLightNothing()
    {
        QVERIFY(player_->loadMidiFile(writeTempFile("three.mid", song(3, 8))));
        button("CmdPlay")->click();
        // The playback posts its notes, but they are not handled yet (a message box is open).
        clock_->advanceBy(500'000);
        const GeneratedPalette before = state_.generatedPalette;
        const KeyColorTable keysBefore = state_.keyColors;
        // The song ends meanwhile: its end and its stop run first.
        player_->findChild<QPushButton*>("CmdStop")->click();
        QCoreApplication::processEvents();
        for (int row = 0; row < player_->rowCount(); ++row) {
            QCOMPARE(meter(row)->level(), 0.0f);
            QCOMPARE(player_->findChild<PictureBox*>(QString("Picture2_%1").arg(row))->printedText(), QString());
        }
        QCOMPARE(picture_->steps, 0);
        QVERIFY(state_.generatedPalette == before);
        QVERIFY(state_.keyColors == keysBefore);
    }

    void notesShowWhenHeardAndAStopBeforeThatShowsNothing()
    {
        provider_->setLatencyUs(20'000);  // the device is heard 20 ms after a send
        QVERIFY(player_->loadMidiFile(writeTempFile("three.mid", song(3))));
        button("CmdPlay")->click();
        clock_->advanceBy(10'000);
        QCoreApplication::processEvents();
        QVERIFY(log_->soundingNotes() > 0);  // sent at once...
        QCOMPARE(picture_->steps, 0);        // ...but not heard yet
        clock_->advanceBy(10'000);
        QTRY_COMPARE(picture_->steps, 2);    // both first notes, 20 ms after their send
        QCOMPARE(meter(0)->level(), 101.0f);

        // The next notes are sent at 520 ms; Stop comes before they are heard.
        clock_->advanceBy(505'000);
        QCoreApplication::processEvents();
        QCOMPARE(picture_->steps, 2);
        button("CmdStop")->click();
        clock_->advanceBy(100'000);
        QTest::qWait(20);
        QCOMPARE(picture_->steps, 2);
        for (int row = 0; row < player_->rowCount(); ++row)
            QCOMPARE(meter(row)->level(), 0.0f);
    }

    void metersFallByFifteenATick()
    {
        QVERIFY(player_->loadMidiFile(writeTempFile("two.mid", song(2))));
        player_->showPlayedNote(2'060'100);  // level 100
        QCOMPARE(meter(0)->level(), 100.0f);
        QList<float> seen;
        for (int i = 0; i < 7; ++i) {
            player_->timer1Tick();
            seen << meter(0)->level();
        }
        QCOMPARE(seen, (QList<float>{85, 70, 55, 40, 25, 10, 0}));
        player_->showPlayedNote(2'060'016);  // level 16
        player_->timer1Tick();
        QCOMPARE(meter(0)->level(), 1.0f);
        player_->timer1Tick();
        QCOMPARE(meter(0)->level(), 0.0f);
    }

    void playedNotesLightTheirRowsAndColourTheMap()
    {
        QVERIFY(player_->loadMidiFile(writeTempFile("sixteen.mid", song(16))));
        QCOMPARE(player_->rowCount(), 15);
        const GeneratedPalette before = state_.generatedPalette;

        player_->showPlayedNote(-5);
        player_->showPlayedNote(2'060'128);  // track 2, Do, loudest
        QCOMPARE(meter(0)->level(), 128.0f);
        PictureBox* level0 = box("Picture1_0");
        PictureBox* note0 = box("Picture2_0");
        QCOMPARE(level0->backColor(), QColor(255, 255, 255));
        QCOMPARE(level0->printedText(), QString(" 128"));
        QCOMPARE(note0->backColor(), QColor(255, 0, 0));
        QCOMPARE(note0->printedText(), player_->noteNames()[60]);
        QCOMPARE(state_.keyColors[1], (KeyColor{255, 0, 0, state_.keyColors[1].fourth}));
        QCOMPARE(control<QLabel>("Label4")->text(), QString("15"));
        QCOMPARE(picture_->steps, 1);
        QVERIFY(!(state_.generatedPalette == before));
        // The step put the generated map on the picture, rotated by one place.
        QCOMPARE(picture_->shown[0].red, std::uint8_t(state_.generatedPalette[2].red));

        // A quieter note on the same track is skipped while the meter is higher, and so is one
        // exactly as loud: a note must be louder than the meter reads.
        player_->showPlayedNote(2'062'050);
        player_->showPlayedNote(2'062'128);
        QCOMPARE(picture_->steps, 1);
        QCOMPARE(note0->backColor(), QColor(255, 0, 0));

        // Track 16 has a row, and its notes show.
        player_->showPlayedNote(16'067'080);  // Sol, level 80
        QCOMPARE(meter(14)->level(), 80.0f);
        QCOMPARE(state_.keyColors[15], (KeyColor{0, 255, 255, state_.keyColors[15].fourth}));
        QCOMPARE(box("Picture1_14")->backColor(), QColor(160, 160, 160));
        QCOMPARE(picture_->steps, 2);
        // A track without a row, and notes above 127, show nothing.
        player_->showPlayedNote(17'060'100);
        player_->showPlayedNote(3'128'100);
        QCOMPARE(picture_->steps, 2);
        QVERIFY(dialogs_->messages.isEmpty());
    }

    void withTooFewColoursTheGeneratorSaysSoOncePerPlayback()
    {
        QVERIFY(player_->loadMidiFile(writeTempFile("two.mid", song(2, 3))));
        button("CmdPlay")->click();
        player_->showPlayedNote(2'060'050);
        player_->timer1Tick();
        player_->timer1Tick();
        player_->timer1Tick();
        player_->timer1Tick();
        player_->showPlayedNote(2'062'050);
        QCOMPARE(dialogs_->messages,
                 QStringList{"At least two colors must be defined before the map can be generated"});
        QCOMPARE(dialogs_->titles, QStringList{"Information"});
        QVERIFY(picture_->steps >= 2);  // the picture still gets its steps
        button("CmdStop")->click();
        button("CmdPlay")->click();
        player_->showPlayedNote(2'064'050);
        QCOMPARE(dialogs_->messages.size(), 2);
        button("CmdStop")->click();
    }

    void theHandlerNeverRunsInsideItself()
    {
        QVERIFY(player_->loadMidiFile(writeTempFile("five.mid", song(5))));
        // Notes that arrive while a note is being shown wait their turn; none is lost.
        for (int track = 2; track <= 5; ++track)
            QCoreApplication::postEvent(player_.get(), MidiOutputEvent::messagePlayed(track * 1'000'000 + 60'000 + 100));
        QCoreApplication::processEvents();
        QCOMPARE(picture_->steps, 4);
        QCOMPARE(steps_->maxDepth, 1);
        for (int row = 0; row < 4; ++row)
            QCOMPARE(meter(row)->level(), 100.0f);
    }

    void notesWaitingTheirTurnAreMessagesForTheRunOfTheNoteBeforeThem()
    {
        QVERIFY(player_->loadMidiFile(writeTempFile("five.mid", song(5))));
        steps_->waitsForMessage = true;
        for (int track = 2; track <= 5; ++track)
            QCoreApplication::postEvent(player_.get(), MidiOutputEvent::messagePlayed(track * 1'000'000 + 60'000 + 100));
        // Only the last note's run has nothing waiting behind it: it waits for the next message.
        // (Keys keep coming, so a run that waits when it should not makes the test fail, not hang.)
        QTimer keys;
        keys.setInterval(50);
        QObject::connect(&keys, &QTimer::timeout, [this] { QTest::keyClick(&main_, Qt::Key_Shift); });
        keys.start();
        QCoreApplication::processEvents();
        QTRY_COMPARE(picture_->steps, 4);
        using Kind = WindowMessage::Kind;
        QCOMPARE(steps_->taken, (std::vector<Kind>{Kind::Other, Kind::Other, Kind::Other, Kind::KeyDown}));
        QCOMPARE(steps_->maxDepth, 1);
        for (int row = 0; row < 4; ++row)
            QCOMPARE(meter(row)->level(), 100.0f);
    }

    void exportVideoRunsAlongsideAndCancelLeavesNothing()
    {
        QTemporaryDir out;
        QImage picture(32, 24, QImage::Format_Indexed8);
        picture.setColorTable({qRgb(10, 20, 30), qRgb(200, 100, 0)});
        picture.fill(1);
        state_.imagePath = out.filePath("picture.bmp");
        QVERIFY(picture.save(state_.imagePath, "BMP"));
        auto* exportAction = player_->findChild<QAction*>("exportVideo");
        QVERIFY(exportAction);
        QCOMPARE(exportAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
        auto* menu = player_->findChild<QMenu*>("SoundMenu");
        QVERIFY(menu && menu->actions().contains(exportAction));  // in the window's context menu

        // Without a song there is nothing to export.
        exportAction->trigger();
        QCOMPARE(dialogs_->messages.size(), 1);
        QVERIFY(dialogs_->asked.empty());

        QVERIFY(player_->loadMidiFile(writeTempFile("export.mid", song(3, 4))));
        dialogs_->answers.push_back(out.filePath("song.gif"));
        exportAction->trigger();
        QCOMPARE(dialogs_->asked.back().filters.size(), 3);
        QCOMPARE(dialogs_->asked.back().fileName, QString("export"));  // the song's name is proposed
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out.filePath("song.gif")), 20000);
        QTRY_VERIFY(!player_->findChild<QProgressDialog*>("exportProgress")
                    || !player_->findChild<QProgressDialog*>("exportProgress")->isVisible());
        QCOMPARE(dialogs_->messages.size(), 1);  // no failure

        // A cancelled export leaves no file, and no temporary file.
        dialogs_->answers.push_back(out.filePath("song.mp4"));
        exportAction->trigger();
        auto* progress = player_->findChild<QProgressDialog*>("exportProgress");
        QVERIFY(progress && progress->isVisible());
        auto* cancel = progress->findChild<QPushButton*>();
        QVERIFY(cancel);
        cancel->click();  // as the user does
        QTRY_COMPARE_WITH_TIMEOUT(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
                                  (QStringList{"picture.bmp", "song.gif"}), 20000);
        QTest::qWait(1000);  // and nothing appears later (the whole export takes far less)
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"picture.bmp", "song.gif"}));
        QCOMPARE(dialogs_->messages.size(), 1);  // a cancel is no failure
    }

    void errorsAreShownUnlessSilent()
    {
        player_->errorReported(0, "zero");
        player_->errorReported(8, "eight");
        player_->errorReported(-3, "negative");
        player_->errorReported(2, "No audio output");
        QCOMPARE(dialogs_->messages, (QStringList{"negative", "No audio output"}));
    }

private:
    template <typename T>
    T* control(const char* name) const
    {
        T* found = player_->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QPushButton* button(const char* name) const { return control<QPushButton>(name); }
    PictureBox* box(const char* name) const { return control<PictureBox>(name); }
    LevelMeter* meter(int row) const { return control<LevelMeter>(qPrintable(QString("Vindicator1_%1").arg(row))); }
    QString rowLabel(int row) const { return control<QLabel>(qPrintable(QString("LabelTrackName_%1").arg(row)))->text(); }
    // The user picks an entry of the device list.
    void choose(int entry)
    {
        QComboBox* devices = control<QComboBox>("OutputDevCombo");
        devices->setCurrentIndex(entry);
        emit devices->activated(entry);
    }

    SharedState state_;
    QWidget main_;
    std::shared_ptr<RecordingLog> log_;
    std::shared_ptr<FakeClock> clock_;
    std::unique_ptr<RecordingPicture> picture_;
    std::unique_ptr<MessageWait> wait_;
    std::unique_ptr<StepMessages> steps_;
    std::unique_ptr<RecordingDialogs> dialogs_;
    std::unique_ptr<Form3> player_;
    RecordingDeviceProvider* provider_ = nullptr;  // owned by the player's output
};

LUMAREL_QTEST_MAIN(Form3Test)
#include "test_form3.moc"
