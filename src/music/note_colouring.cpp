#include "music/note_colouring.h"

#include "maps/map_generator.h"
#include "midi/note_tag.h"
#include "music/track_rows.h"

namespace lumarel {

void NoteColouring::setRows(int firstTrack, int rowCount)
{
    firstTrack_ = firstTrack;
    meters_.resize(std::size_t(std::max(rowCount, 1)), 0.0f);
}

void NoteColouring::clearMeters()
{
    std::fill(meters_.begin(), meters_.end(), 0.0f);
}

void NoteColouring::decayMeters(int step)
{
    for (float& level : meters_)
        level = decayedMeter(level, step);
}

std::optional<ShownNote> NoteColouring::decode(std::int32_t tag) const
{
    // Any track with a row shows its notes, track 16 included.
    if (tag < 0)
        return std::nullopt;
    const NoteTagFields fields = decodeNoteTag(tag);
    const int row = fields.track - firstTrack_;
    if (row < 0 || row >= rowCount() || fields.note > 127 || fields.track <= 0)
        return std::nullopt;
    ShownNote shown;
    shown.row = row;
    shown.level = fields.level;
    shown.note = fields.note;
    shown.colour = keyColorForNote(names_[std::size_t(fields.note)]);
    return shown;
}

bool NoteColouring::play(std::int32_t tag, NoteView& view, NoteTables tables, const QString& pictureFile,
                         CyclingControl& control)
{
    if (!view.processPendingEvents())
        return false;
    const std::optional<ShownNote> shown = decode(tag);
    // A note shows only when it is louder than its row's meter reads.
    if (!shown || shown->level <= 0 || !(meter(shown->row) < float(shown->level)))
        return false;
    setMeter(shown->row, float(shown->level));
    view.showMeter(shown->row, float(shown->level));

    if (!view.processPendingEvents() || shown->row >= rowCount())
        return false;
    view.showNote(*shown);
    KeyColor& key = tables.keyColors[std::size_t(shown->row + 1)];
    key.red = std::int16_t(shown->colour.red);
    key.green = std::int16_t(shown->colour.green);
    key.blue = std::int16_t(shown->colour.blue);
    view.showTrackTotal(tables.trackCount - 1);

    if (!view.processPendingEvents())
        return false;
    if (generateMap(tables.trackCount, tables.keyColors, tables.generatedPalette) == GenerateOutcome::TooFewKeys)
        view.tooFewColours();
    else
        view.showGeneratedMap(tables.generatedPalette);
    const CyclingResult step = stepPalette(pictureFile, tables.generatedPalette, control);
    if (step.outcome == CyclingOutcome::Unloadable)
        view.pictureUnloadable(step.error);
    return true;
}

CyclingResult NoteColouring::stepPalette(const QString& pictureFile, const GeneratedPalette& palette,
                                         CyclingControl& control)
{
    return runCycling(picture_, messages_, pictureFile, palette, control, CyclingStart::OneStep);
}

}  // namespace lumarel
