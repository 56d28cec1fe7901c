// Played notes: each lights its track's row, sets the track's key colour, regenerates the map and
// puts it on the main window's picture. Also the output's two other notifications.
#include <QApplication>

#include "app/main_window_link.h"
#include "maps/map_generator.h"
#include "maps/palette_strip.h"
#include "platform/message_wait.h"
#include "player/form3.h"
#include "player/midi_events.h"
#include "player/midi_output.h"
#include "player/note_colors.h"
#include "player/note_tag.h"
#include "player/track_rows.h"

namespace lumarel {

void Form3::handleOutputEvent(const MidiOutputEvent& event)
{
    switch (event.kind()) {
    case MidiOutputEvent::Kind::MessagePlayed:
        showPlayedNote(event.tag());
        break;
    case MidiOutputEvent::Kind::PlayFinished:
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
    showMessage(QApplication::applicationName(), text);
}

void Form3::showPlayedNote(std::int32_t tag)
{
    // Notes that arrive while a note is being shown wait their turn, in order. They count as
    // waiting messages, so the palette run of the note being shown does not wait for a new one.
    pendingNotes_.push_back(tag);
    if (inNoteHandler_) {
        MessageWait::setQueuedNotifications(this, pendingNotes_.size());
        return;
    }
    inNoteHandler_ = true;
    while (!pendingNotes_.empty()) {
        const std::int32_t next = pendingNotes_.front();
        pendingNotes_.pop_front();
        MessageWait::setQueuedNotifications(this, pendingNotes_.size());
        showOneNote(next);
    }
    inNoteHandler_ = false;
}

bool Form3::noteRowValid(int row) const { return row >= 0 && row < rowCount && row < int(Vindicator1.size()); }

void Form3::showOneNote(std::int32_t tag)
{
    QCoreApplication::processEvents();
    // Any track with a row shows its notes, track 16 included.
    if (tag < 0)
        return;
    const NoteTagFields fields = decodeNoteTag(tag);
    const int row = fields.track - firstTrack;
    if (!noteRowValid(row) || fields.note > 127)
        return;
    LevelMeter* meter = Vindicator1[std::size_t(row)];
    if (!(meter->level() < float(fields.level) && fields.level > 0 && fields.track > 0))
        return;
    meter->setLevel(float(fields.level));
    const QString& name = noteNames[std::size_t(fields.note)];
    const NoteColor color = keyColorForNote(name);

    QCoreApplication::processEvents();
    if (!noteRowValid(row))
        return;  // the rows changed meanwhile (another file was opened)
    const QColor face = palette().color(QPalette::Button);
    PictureBox* levelBox = Picture1[std::size_t(row)];
    PictureBox* noteBox = Picture2[std::size_t(row)];
    levelBox->setBackColor(face);
    noteBox->setBackColor(face);
    const int grey = levelGrey(fields.level);
    levelBox->setBackColor(QColor(grey, grey, grey));
    levelBox->printText(QStringLiteral(" %1").arg(fields.level));
    noteBox->setBackColor(QColor(color.red, color.green, color.blue));
    noteBox->printText(name);

    KeyColor& key = state_.keyColors[std::size_t(row + 1)];
    key.red = std::int16_t(color.red);
    key.green = std::int16_t(color.green);
    key.blue = std::int16_t(color.blue);
    Label4->setText(QString::number(state_.trackCount - 1));

    QCoreApplication::processEvents();
    generateMapAndStrip();
    startPaletteRun();
}

void Form3::generateMapAndStrip()
{
    const GenerateOutcome outcome = generateMap(state_.trackCount, state_.keyColors, state_.generatedPalette);
    if (outcome == GenerateOutcome::TooFewKeys) {
        // Once per playback: a box per note would stack without end while the song plays.
        if (!tooFewKeysShown_) {
            tooFewKeysShown_ = true;
            showInformation(QStringLiteral("At least two colors must be defined before the map can be generated"));
        }
        return;
    }
    drawGeneratedStrip(Picture3->drawing(), state_.generatedPalette);
    Picture3->update();
}

void Form3::startPaletteRun()
{
    main_.cycleOnce();
}

}  // namespace lumarel
