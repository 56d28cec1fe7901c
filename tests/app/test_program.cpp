// Leaving the program by any road while a song plays leaves no note sounding.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/form1.h"
#include "app/program.h"
#include "player/form3.h"
#include "player/midi_output.h"
#include "player/recording_device.h"
#include "support/ui_watchdog.h"

using namespace lumarel;

namespace {

QByteArray be32(quint32 v) { return QByteArray() + char(v >> 24) + char(v >> 16) + char(v >> 8) + char(v); }

// Two tracks, each holding a long chord.
QByteArray chordSong()
{
    QByteArray out = QByteArray("MThd") + be32(6) + QByteArray("\x00\x01\x00\x02\x00\x60", 6);
    for (int t = 0; t < 2; ++t) {
        QByteArray track("\x00\x90\x3c\x40\x00\x90\x40\x40\x00\x90\x43\x40\x83\x60\x80\x3c\x00\x00\xff\x2f\x00", 21);
        out += QByteArray("MTrk") + be32(quint32(track.size())) + track;
    }
    return out;
}

}  // namespace

class ProgramTest : public QObject {
    Q_OBJECT

private:
    // Starts a program whose player plays the chord song into a recording device.
    std::unique_ptr<Program> playing(QTemporaryDir& folder, const std::shared_ptr<RecordingLog>& log,
                                     const std::shared_ptr<FakeClock>& clock)
    {
        QFile song(folder.filePath("chord.mid"));
        song.open(QIODevice::WriteOnly);
        song.write(chordSong());
        song.close();
        auto program = std::make_unique<Program>(folder.path());
        program->makeOutput = [log, clock] {
            return std::make_unique<MIDIOutput>(std::make_unique<RecordingDeviceProvider>(log, clock), clock);
        };
        program->form1().showMessage = [](const QString&) {};
        program->form1().quitImmediately = [] {};
        Form3& player = program->form3();
        player.showMessage = [](const QString&, const QString&) {};
        player.showInformation = [](const QString&) {};
        player.loadMidiFile(folder.filePath("chord.mid"));
        player.cmdPlayClick();
        clock->advanceBy(10'000);
        return program;
    }

private slots:
    void quittingWhilePlayingSilencesTheDevice()
    {
        QTemporaryDir folder;
        auto log = std::make_shared<RecordingLog>();
        auto clock = std::make_shared<FakeClock>();
        auto program = playing(folder, log, clock);
        QVERIFY(log->soundingNotes() > 0);
        // "&Quit" unloads the main window, which ends the program; the program's end takes the
        // player and its output with it.
        program->form1().Command6->click();
        program.reset();
        QCOMPARE(log->soundingNotes(), 0);
        QVERIFY(log->closes() >= 1);
    }

    void qOrEscapeWhilePlayingSilenceTheDevice()
    {
        QTemporaryDir folder;
        auto log = std::make_shared<RecordingLog>();
        auto clock = std::make_shared<FakeClock>();
        auto program = playing(folder, log, clock);
        QVERIFY(log->soundingNotes() > 0);
        bool quitAsked = false;
        program->form1().quitImmediately = [&quitAsked] { quitAsked = true; };
        QTest::keyClick(&program->form1(), Qt::Key_Escape);
        QVERIFY(quitAsked);
        program.reset();  // what main() does once the event loop has ended
        QCOMPARE(log->soundingNotes(), 0);
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    lumarel::test::UiWatchdog watchdog;
    ProgramTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_program.moc"
