// Played notes: each lights its track's row, sets the track's key colour, regenerates the map and
// puts it on the main window's picture. Also the output's two other notifications.
#include <QApplication>
#include <QLabel>

#include "maps/palette_strip.h"
#include "midi/midi_events.h"
#include "music/track_rows.h"
#include "platform/message_wait.h"
#include "platform/picture_refusal.h"
#include "platform/widgets/dialogs.h"
#include "platform/widgets/level_meter.h"
#include "platform/widgets/picture_box.h"
#include "player/form3.h"

namespace lumarel {

void Form3::handleOutputEvent(const MidiOutputEvent& event)
{
    switch (event.kind()) {
    case MidiOutputEvent::Kind::MessagePlayed:
        handleNotes(event.tag(), event.playback());
        break;
    case MidiOutputEvent::Kind::PlayFinished:
        // The end of a playback that was already stopped changes nothing.
        if (event.playback() == activePlayback_)
            stopPlayback();
        break;
    case MidiOutputEvent::Kind::ErrorReported:
        errorReported(event.code(), event.text());
        break;
    }
}

void Form3::errorReported(int code, const QString& text)
{
    if (code == 0 || code == 8)
        return;
    dialogs_.message(this, QApplication::applicationName(), text);
}

void Form3::showPlayedNote(std::int32_t tag)
{
    handleNotes(tag, activePlayback_);
}

void Form3::handleNotes(std::int32_t tag, std::uint64_t playback)
{
    // Notes that arrive while a note is being shown wait their turn, in order. They count as
    // waiting messages, so the palette run of the note being shown does not wait for a new one.
    pendingNotes_.push_back({tag, playback});
    if (inNoteHandler_) {
        wait_.setQueuedNotifications(this, pendingNotes_.size());
        return;
    }
    inNoteHandler_ = true;
    while (!pendingNotes_.empty()) {
        const PendingNote next = pendingNotes_.front();
        pendingNotes_.pop_front();
        wait_.setQueuedNotifications(this, pendingNotes_.size());
        // A note of a playback that has been stopped shows nothing.
        if (next.playback != activePlayback_)
            continue;
        noteState_ = shownState_;
        notePlayback_ = next.playback;
        colouring_.play(next.tag, *this, {state_.keyColors, state_.generatedPalette, state_.trackCount},
                        state_.imagePath, state_.cycling);
    }
    inNoteHandler_ = false;
}

bool Form3::processPendingEvents()
{
    // A full pass of the event loop also polls the window system; at note rate one a millisecond
    // answers the user at once. In between, the events the program posted are delivered.
    if (!fullPass_.isValid() || fullPass_.nsecsElapsed() >= kFullPassIntervalNs) {
        QCoreApplication::processEvents();
        fullPass_.start();
    } else {
        QCoreApplication::sendPostedEvents();
    }
    // A stop, or another song's rows, make the note being handled stale.
    return noteState_ == shownState_ && notePlayback_ == activePlayback_;
}

void Form3::showMeter(int row, float level)
{
    Vindicator1[std::size_t(row)]->setLevel(level);
}

void Form3::showNote(const ShownNote& note)
{
    const QColor face = palette().color(QPalette::Button);
    PictureBox* levelBox = Picture1[std::size_t(note.row)];
    PictureBox* noteBox = Picture2[std::size_t(note.row)];
    levelBox->setBackColor(face);
    noteBox->setBackColor(face);
    const int grey = levelGrey(note.level);
    levelBox->setBackColor(QColor(grey, grey, grey));
    levelBox->printText(QStringLiteral(" %1").arg(note.level));
    noteBox->setBackColor(QColor(note.colour.red, note.colour.green, note.colour.blue));
    noteBox->printText(noteNames_[std::size_t(note.note)]);
}

void Form3::showTrackTotal(int total)
{
    Label4->setText(QString::number(total));
}

void Form3::showGeneratedMap(const GeneratedPalette& palette)
{
    // Drawn when the strip is next painted: at note rate only the newest map could be seen.
    stripPalette_ = palette;
    stripDue_ = true;
    Picture3->update();
}

bool Form3::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Picture3 && event->type() == QEvent::Paint && stripDue_) {
        drawGeneratedStrip(Picture3->drawing(), stripPalette_);
        stripDue_ = false;
    }
    return QWidget::eventFilter(watched, event);
}

void Form3::tooFewColours()
{
    // Once per playback: a box per note would stack without end while the song plays.
    if (tooFewKeysShown_)
        return;
    tooFewKeysShown_ = true;
    dialogs_.message(this, QStringLiteral("Information"),
                     QStringLiteral("At least two colors must be defined before the map can be generated"));
}

void Form3::pictureUnloadable(const QString& error)
{
    if (refusals_.firstFor(state_.imagePath))
        dialogs_.message(this, QStringLiteral("Lumarel"), error);
}

void Form3::startPaletteRun()
{
    const CyclingResult result = colouring_.stepPalette(state_.imagePath, state_.generatedPalette, state_.cycling);
    if (result.outcome == CyclingOutcome::Unloadable)
        pictureUnloadable(result.error);
}

}  // namespace lumarel
