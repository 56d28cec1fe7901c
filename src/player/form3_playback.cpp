// The player's file opening, queueing, Play and Stop, and the meter-decay timer.
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

#include "platform/message_wait.h"
#include "platform/visible_name.h"
#include "player/form3.h"
#include "player/midi_output.h"
#include "player/song_queue.h"
#include "player/track_rows.h"

namespace lumarel {

void Form3::openMidiFile()
{
    const QString path = askMidiFileName ? askMidiFileName() : [this] {
        QFileDialog dialog(this, QStringLiteral("Open MIDI File"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(QStringLiteral("(*.mid) MIDI files (*.mid)"));
        dialog.setDefaultSuffix(QStringLiteral("mid"));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().constFirst()
                   : QString();
    }();
    if (path.isEmpty())
        return;  // cancelled: the player stays as it was
    loadMidiFile(path);
}

bool Form3::loadMidiFile(const QString& path)
{
    Midifile1.setAction(Midifile::Close);
    Midifile1.setFileName(path);
    Midifile1.setAction(Midifile::Open);
    const QString name = visibleName(QFileInfo(path).fileName());
    if (!Midifile1.isOpen()) {
        // Refused: the player is left with no file, and Play stays off until one opens.
        Midifile1.setFileName(QString());
        buildTrackRows();
        CmdStop->setEnabled(false);
        CmdPlay->setEnabled(false);
        showMessage(QStringLiteral("Lumarel"),
                    QStringLiteral("Cannot open the MIDI file \"%1\": %2").arg(name, Midifile1.error()));
        return false;
    }
    buildTrackRows();
    QCoreApplication::processEvents();
    CmdStop->setEnabled(false);
    CmdPlay->setEnabled(true);
    if (Midifile1.damaged()) {
        showMessage(QStringLiteral("Lumarel"),
                    QStringLiteral("The MIDI file \"%1\" is damaged (%2). What could be read will play.")
                        .arg(name, Midifile1.damageText()));
    }
    return true;
}

void Form3::queueSong()
{
    if (Midifile1.fileName().isEmpty() || !Midifile1.isOpen()) {
        // No file: start on an empty queue rather than replaying an earlier song's.
        MIDIOutput1.setAction(MIDIOutput::Clear);
        return;
    }
    QCoreApplication::processEvents();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    firstTrack = firstTrackFor(Midifile1.trackCount());
    lumarel::queueSong(Midifile1, MIDIOutput1, [this](int percent) {
        setWindowTitle(QStringLiteral("Midi File Player - Lumarel - %1%").arg(percent));
    });
    QApplication::restoreOverrideCursor();
}

void Form3::startPlayback()
{
    CmdPlay->setEnabled(false);
    openOutputDevice();
    tooFewKeysShown_ = false;
    queueSong();
    MIDIOutput1.setAction(MIDIOutput::Start);
    CmdStop->setEnabled(true);
}

void Form3::stopPlayback()
{
    MIDIOutput1.setAction(MIDIOutput::Stop);
    clearTrackRows();
    closeOutputDevice();
    CmdStop->setEnabled(false);
    CmdPlay->setEnabled(true);
}

void Form3::cmdPlayClick()
{
    startPlayback();
    Timer1.start();
    MessageWait::consumeTimer(Timer1.timerId());
}

void Form3::cmdStopClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    stopPlayback();
    stopTimer();
    QApplication::restoreOverrideCursor();
}

void Form3::stopTimer()
{
    // Timer ids are reused: a stopped timer's id must not stay registered with the cycling run.
    if (Timer1.timerId() >= 0)
        MessageWait::releaseTimer(Timer1.timerId());
    Timer1.stop();
}

void Form3::outputDevComboClick()
{
    stopPlayback();
}

void Form3::timer1Tick()
{
    for (int i = 0; i < rowCount; ++i)
        Vindicator1[std::size_t(i)]->setLevel(decayedMeter(Vindicator1[std::size_t(i)]->level(), meterDecayStep));
}

}  // namespace lumarel
