// The program's wiring: its windows open once, reopen fresh, and leaving by any road while a song
// plays leaves no note sounding.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "about/frm_about.h"
#include "app/form1.h"
#include "app/program.h"
#include "app/settings.h"
#include "midi/midi_output.h"
#include "midi/recording_device.h"
#include "platform/widgets/help_viewer.h"
#include "player/form3.h"
#include "support/midi_builder.h"
#include "support/qt_test_main.h"
#include "support/recording_dialogs.h"

using namespace lumarel;

namespace {

// Two tracks, each holding a long chord.
QByteArray chordSong()
{
    std::vector<test::TrackBuilder> tracks(2);
    for (test::TrackBuilder& track : tracks) {
        track.event(0, {0x90, 0x3c, 0x40}).event(0, {0x90, 0x40, 0x40}).event(0, {0x90, 0x43, 0x40});
        track.event(480, {0x80, 0x3c, 0}).end();
    }
    return test::smf(1, 96, tracks);
}

}  // namespace

class ProgramTest : public QObject {
    Q_OBJECT

private:
    // Starts a program whose player plays the chord song into a recording device.
    std::unique_ptr<Program> start(QTemporaryDir& folder)
    {
        QFile song(folder.filePath("chord.mid"));
        song.open(QIODevice::WriteOnly);
        song.write(chordSong());
        song.close();
        auto log = log_;
        auto clock = clock_;
        // Nothing remembered: each test starts as a first run.
        settings_ = std::make_unique<Settings>(folder.filePath("lumarel.conf"));
        return std::make_unique<Program>(folder.path(), &dialogs_, [log, clock] {
            return std::make_unique<MIDIOutput>(std::make_unique<RecordingDeviceProvider>(log, clock), clock);
        }, settings_.get());
    }
    std::unique_ptr<Program> playing(QTemporaryDir& folder)
    {
        auto program = start(folder);
        Form3& player = program->openPlayer();
        player.loadMidiFile(folder.filePath("chord.mid"));
        player.findChild<QPushButton*>("CmdPlay")->click();
        clock_->advanceBy(10'000);
        return program;
    }
    static QPushButton* mainButton(Program& program, const char* name)
    {
        return program.mainWindow().findChild<QPushButton*>(QLatin1String(name));
    }

private slots:
    void init()
    {
        log_ = std::make_shared<RecordingLog>();
        clock_ = std::make_shared<FakeClock>();
    }

    void quittingWhilePlayingSilencesTheDevice()
    {
        QTemporaryDir folder;
        auto program = playing(folder);
        QVERIFY(log_->soundingNotes() > 0);
        // "&Quit" unloads the main window, which ends the program; the program's end takes the
        // player and its output with it.
        mainButton(*program, "Command6")->click();
        program.reset();
        QCOMPARE(log_->soundingNotes(), 0);
        QVERIFY(log_->closes() >= 1);
    }

    void qOrEscapeWhilePlayingSilenceTheDevice()
    {
        QTemporaryDir folder;
        auto program = playing(folder);
        QVERIFY(log_->soundingNotes() > 0);
        QSignalSpy quit(&program->mainWindow(), &Form1::quitRequested);
        QTest::keyClick(&program->mainWindow(), Qt::Key_Escape);
        QCOMPARE(quit.size(), 1);
        program.reset();  // what main() does once the event loop has ended
        QCOMPARE(log_->soundingNotes(), 0);
    }

    void aReopenedPlayerStartsAsAFreshWindow()
    {
        QTemporaryDir folder;
        auto program = playing(folder);
        QPointer<Form3> first = program->player();
        QVERIFY(first->findChild<QPushButton*>("CmdStop")->isEnabled());
        first->close();
        QTRY_VERIFY(first.isNull());  // unloaded
        QCOMPARE(program->player(), nullptr);
        QCOMPARE(log_->soundingNotes(), 0);

        mainButton(*program, "Command5")->click();
        Form3* again = program->player();
        QVERIFY(again);
        QVERIFY(again->isVisible());
        QCOMPARE(again->windowTitle(), QString("Midi File Player -  Lumarel"));
        QCOMPARE(again->rowCount(), 1);
        QCOMPARE(again->findChild<QLabel*>("LabelTrackName_0")->text(), QString());
        QVERIFY(!again->findChild<QPushButton*>("CmdPlay")->isEnabled());
        QVERIFY(!again->findChild<QPushButton*>("CmdStop")->isEnabled());
    }

    void aboutAndHelpOpenOneWindowEachAndHelpClosesWithTheMainWindow()
    {
        QTemporaryDir folder;
        auto program = start(folder);
        mainButton(*program, "Command4")->click();
        mainButton(*program, "Command4")->click();
        QCOMPARE(program->mainWindow().findChildren<frmAbout*>().size(), 1);

        mainButton(*program, "Command2")->click();
        mainButton(*program, "Command2")->click();
        const QList<HelpViewer*> help = program->mainWindow().findChildren<HelpViewer*>();
        QCOMPARE(help.size(), 1);
        QVERIFY(help.first()->isVisible());
        QPointer<HelpViewer> viewer = help.first();
        mainButton(*program, "Command6")->click();  // unloads the main window
        QVERIFY(viewer.isNull() || !viewer->isVisible());
    }

private:
    std::unique_ptr<Settings> settings_;
    std::shared_ptr<RecordingLog> log_;
    std::shared_ptr<FakeClock> clock_;
    test::RecordingDialogs dialogs_;
};

LUMAREL_QTEST_MAIN(ProgramTest)
#include "test_program.moc"
