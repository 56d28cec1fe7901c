#include <gtest/gtest.h>

#include "music/note_colouring.h"
#include "music/track_rows.h"

namespace lumarel {
namespace {

class RecordingPicture : public PaletteSurface {
public:
    bool loadPicture(const QString& file, QString* error) override
    {
        if (file.isEmpty()) {
            *error = QStringLiteral("no picture");
            return false;
        }
        return true;
    }
    void realizePalette(const LogPalette& palette) override { shown.push_back(palette.entries); }
    void animatePalette(int first, int count, const PaletteEntry* entries) override
    {
        for (int i = 0; i < count; ++i)
            shown.back()[std::size_t(first + i)] = entries[i];
    }
    std::vector<std::array<PaletteEntry, 256>> shown;  // one per step
};

class NoMessages : public MessageSource {
public:
    WindowMessage get() override { return {}; }
};

// Records what the window is asked to show, and can make the note go stale at a chosen step.
class RecordingView : public NoteView {
public:
    bool processPendingEvents() override { return ++passes != staleAtPass; }
    void showMeter(int row, float level) override { calls.push_back("meter " + std::to_string(row) + " " + std::to_string(int(level))); }
    void showNote(const ShownNote& note) override { calls.push_back("note " + std::to_string(note.row)); }
    void showTrackTotal(int total) override { calls.push_back("total " + std::to_string(total)); }
    void showGeneratedMap(const GeneratedPalette&) override { calls.push_back("map"); }
    void tooFewColours() override { calls.push_back("too few"); }
    void pictureUnloadable(const QString& error) override { calls.push_back("unloadable " + error.toStdString()); }
    std::vector<std::string> calls;
    int passes = 0;
    int staleAtPass = -1;
};

struct Colouring {
    NoteNames names = definizione_note();
    RecordingPicture picture;
    NoMessages messages;
    NoteColouring colouring{names, picture, messages};
    KeyColorTable keys;
    GeneratedPalette palette;
    CyclingControl control;
    std::int16_t trackCount = 4;

    bool play(std::int32_t tag, NoteView& view, const QString& file = QStringLiteral("picture.gif"))
    {
        return colouring.play(tag, view, {keys, palette, trackCount}, file, control);
    }
};

TEST(NoteColouring, ALouderNoteLightsItsRowSetsItsKeyAndStepsTheGeneratedMap)
{
    Colouring c;
    c.colouring.setRows(2, 3);  // tracks 2..4
    RecordingView view;
    EXPECT_TRUE(c.play(3'062'100, view));  // track 3, Re, level 100
    EXPECT_EQ(view.calls, (std::vector<std::string>{"meter 1 100", "note 1", "total 3", "map"}));
    EXPECT_EQ(view.passes, 3);  // the handler lets other handlers run three times
    EXPECT_EQ(c.colouring.meter(1), 100.0f);
    EXPECT_EQ(c.keys[2], (KeyColor{255, 127, 0, c.keys[2].fourth}));
    ASSERT_EQ(c.picture.shown.size(), 1u);
    // The step shows the generated map rotated by one place: index i shows entry i + 2.
    EXPECT_EQ(c.picture.shown[0][0].green, std::uint8_t(c.palette[2].green));
    EXPECT_EQ(c.picture.shown[0][255].red, std::uint8_t(c.palette[1].red));
    EXPECT_TRUE(c.control.stopAnimation);

    // Not louder than the meter: nothing at all, an equal level included.
    RecordingView quiet;
    EXPECT_FALSE(c.play(3'064'100, quiet));
    EXPECT_FALSE(c.play(3'064'050, quiet));
    EXPECT_EQ(quiet.calls, std::vector<std::string>{});
    EXPECT_EQ(c.picture.shown.size(), 1u);
    EXPECT_EQ(c.keys[2].green, 127);

    // After the meter falls, the same note shows again.
    for (int tick = 0; tick < 7; ++tick)
        c.colouring.decayMeters(kMeterDecayStep);
    EXPECT_EQ(c.colouring.meter(1), 0.0f);
    EXPECT_TRUE(c.play(3'064'050, quiet));
}

TEST(NoteColouring, TagsOutsideTheRowsAndStaleNotesChangeNothing)
{
    Colouring c;
    c.trackCount = 16;
    c.colouring.setRows(2, 15);
    RecordingView view;
    for (std::int32_t tag : {-1, 0, 1'060'100, 17'060'100, 3'128'100, 3'060'000})
        EXPECT_FALSE(c.play(tag, view)) << tag;
    EXPECT_TRUE(c.picture.shown.empty());
    // Track 16 has a row (the 16,000,000 bound does not hide it).
    EXPECT_TRUE(c.play(16'067'080, view));
    EXPECT_EQ(c.keys[15], (KeyColor{0, 255, 255, c.keys[15].fourth}));

    // A note that goes stale while other handlers run (its playback stopped) ends there.
    for (int pass = 1; pass <= 3; ++pass) {
        Colouring stale;
        stale.colouring.setRows(2, 3);
        RecordingView stopped;
        stopped.staleAtPass = pass;
        EXPECT_FALSE(stale.play(2'060'100, stopped)) << pass;
        EXPECT_TRUE(stale.picture.shown.empty()) << pass;
        EXPECT_EQ(stale.keys[1].red, pass == 3 ? 255 : 0) << pass;  // the key is set before the last pass
    }
}

TEST(NoteColouring, TooFewKeysStillStepsAndAnUnloadablePictureIsReported)
{
    Colouring c;
    c.trackCount = 2;  // one key: the generator has too few
    c.colouring.setRows(2, 1);
    RecordingView view;
    EXPECT_TRUE(c.play(2'060'100, view));
    EXPECT_EQ(view.calls.back(), "too few");
    EXPECT_EQ(c.picture.shown.size(), 1u);  // the picture still gets its step

    c.colouring.clearMeters();
    RecordingView noPicture;
    EXPECT_TRUE(c.play(2'060'100, noPicture, QString()));
    EXPECT_EQ(noPicture.calls.back(), "unloadable no picture");
}

TEST(NoteColouring, RowsThatStayKeepTheirMeters)
{
    Colouring c;
    c.colouring.setRows(2, 2);
    c.colouring.setMeter(1, 90);
    c.colouring.setRows(2, 5);
    EXPECT_EQ(c.colouring.rowCount(), 5);
    EXPECT_EQ(c.colouring.meter(1), 90.0f);
    EXPECT_EQ(c.colouring.meter(4), 0.0f);
    c.colouring.setRows(1, 0);  // never fewer than one row
    EXPECT_EQ(c.colouring.rowCount(), 1);
}

}  // namespace
}  // namespace lumarel
