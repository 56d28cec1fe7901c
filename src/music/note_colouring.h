#pragma once
// The colouring of a picture by played notes, without windows. A played note's tag gives its row
// and level; a note louder than its row's meter raises the meter, takes its key colour from the
// note's name into the row's key colour, regenerates the map from all key colours and puts the map
// on the picture with one cycling step. The player window runs it live, with the output's clock;
// export runs it in song time.

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "animation/cycling.h"
#include "midi/note_colors.h"
#include "midi/note_names.h"
#include "model/shared_state.h"

namespace lumarel {

// A note that shows: the row it lights and what the row's boxes show.
struct ShownNote {
    int row = 0;
    int level = 0;  // velocity + 1, 1..128
    int note = 0;   // 0..127
    NoteColor colour{0, 0, 0};
};

// What a window does between the steps of a played note. The defaults do nothing (export).
class NoteView {
public:
    virtual ~NoteView() = default;
    // Lets the program's other handlers run; they may change the rows or the meters. False when
    // the note no longer belongs to what is shown (its playback stopped, another song opened):
    // the note then ends there.
    virtual bool processPendingEvents() { return true; }
    virtual void showMeter(int /*row*/, float /*level*/) {}
    // Paints the row's level and note boxes.
    virtual void showNote(const ShownNote&) {}
    virtual void showTrackTotal(int) {}
    virtual void showGeneratedMap(const GeneratedPalette&) {}
    // The generator had fewer than two key colours to work with.
    virtual void tooFewColours() {}
    // The palette step could not load the picture.
    virtual void pictureUnloadable(const QString&) {}
};

// The program's tables a played note changes.
struct NoteTables {
    KeyColorTable& keyColors;
    GeneratedPalette& generatedPalette;
    std::int16_t trackCount = 0;  // the generator uses keys 1 .. trackCount - 1
};

class NoteColouring {
public:
    // picture and messages: where the palette step goes and takes its one message from.
    NoteColouring(const NoteNames& names, PaletteSurface& picture, MessageSource& messages)
        : names_(names), picture_(picture), messages_(messages)
    {
    }

    // The rows of the open song: row r shows track r + firstTrack. Rows that stay keep their
    // meters; new rows start at 0.
    void setRows(int firstTrack, int rowCount);
    int rowCount() const { return int(meters_.size()); }
    int firstTrack() const { return firstTrack_; }

    // Level meters, 0..128, one per row.
    float meter(int row) const { return meters_[std::size_t(row)]; }
    void setMeter(int row, float level) { meters_[std::size_t(row)] = level; }
    void clearMeters();
    // One tick of the decay timer on every meter.
    void decayMeters(int step);

    // The played-note handler for one tag. Returns whether the note showed.
    bool play(std::int32_t tag, NoteView& view, NoteTables tables, const QString& pictureFile, CyclingControl& control);
    // The palette step alone (a note's last step, and "Animate!"): the generated map on the
    // picture, one cycling step.
    CyclingResult stepPalette(const QString& pictureFile, const GeneratedPalette& palette, CyclingControl& control);

    // The row a tag would light and its level, when the tag names a row and a note; nullopt else.
    // The meter rule is not applied.
    std::optional<ShownNote> decode(std::int32_t tag) const;

private:
    const NoteNames& names_;
    PaletteSurface& picture_;
    MessageSource& messages_;
    int firstTrack_ = 1;
    std::vector<float> meters_ = std::vector<float>(1, 0.0f);
};

}  // namespace lumarel
