// The player's file opening, queueing, Play and Stop, and the meter-decay timer.
#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include "midi/midi_output.h"
#include "model/visible_name.h"
#include "midi/song_queue.h"
#include "music/track_rows.h"
#include "platform/message_wait.h"
#include "platform/widgets/dialogs.h"
#include "player/form3.h"

namespace lumarel {

void Form3::openMidiFile()
{
    FileDialogSettings settings;
    settings.title = QStringLiteral("Open MIDI File");
    settings.filters = {QStringLiteral("(*.mid) MIDI files (*.mid)")};
    settings.defaultSuffix = QStringLiteral("mid");
    settings.showPatterns = false;  // the description already names its pattern
    const QString path = dialogs_.openFileName(this, settings);
    if (path.isEmpty())
        return;  // cancelled: the player stays as it was
    loadMidiFile(path);
}

bool Form3::loadMidiFile(const QString& path)
{
    // Read into a reader of its own first: a file that is refused leaves the loaded song, its rows,
    // the caption and Play as they were.
    Midifile candidate;
    candidate.setFileName(path);
    candidate.setAction(Midifile::Open);
    if (!candidate.isOpen()) {
        dialogs_.message(this, QStringLiteral("Lumarel"), candidate.error());
        return false;
    }
    Midifile1.setAction(Midifile::Close);
    Midifile1 = std::move(candidate);
    buildTrackRows();
    QCoreApplication::processEvents();
    CmdStop->setEnabled(false);
    CmdPlay->setEnabled(true);
    if (Midifile1.damaged()) {
        dialogs_.message(this, QStringLiteral("Lumarel"),
                         QStringLiteral("The MIDI file \"%1\" is damaged (%2). What could be read will play.")
                             .arg(visibleName(QFileInfo(path).fileName()), Midifile1.damageText()));
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
    firstTrack_ = firstTrackFor(Midifile1.trackCount());
    lumarel::queueSong(Midifile1, MIDIOutput1, [this](int percent) {
        setWindowTitle(QStringLiteral("Midi File Player - Lumarel - %1%").arg(percent));
    });
    QApplication::restoreOverrideCursor();
}

void Form3::startPlayback()
{
    CmdPlay->setEnabled(false);
    openOutputDevice();
    applyVolume();
    tooFewKeysShown_ = false;
    queueSong();
    MIDIOutput1.setAction(MIDIOutput::Start);
    activePlayback_ = MIDIOutput1.playbackSerial();
    CmdStop->setEnabled(true);
}

void Form3::stopPlayback()
{
    MIDIOutput1.setAction(MIDIOutput::Stop);
    // Nothing the stopped playback posted may show after this, even if it was held back.
    activePlayback_ = 0;
    ++shownState_;
    clearTrackRows();
    closeOutputDevice();
    CmdStop->setEnabled(false);
    CmdPlay->setEnabled(true);
}

void Form3::cmdPlayClick()
{
    startPlayback();
    Timer1->start();
    wait_.consumeTimer(Timer1->timerId());
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
    if (Timer1->timerId() >= 0)
        wait_.releaseTimer(Timer1->timerId());
    Timer1->stop();
}

void Form3::timer1Tick()
{
    colouring_.decayMeters(meterDecayStep_);
    showMeters();
}

}  // namespace lumarel
