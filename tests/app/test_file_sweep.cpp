// Every real file we have, and every malformed one we made, through the program's own loaders:
// each map is read or refused, each picture shown or refused, each song played or refused,
// always with a message for a refusal, and nothing crashes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

#include "maps/map_file.h"
#include "platform/picture_loader.h"
#include "midi/midi_output.h"
#include "midi/midifile.h"
#include "midi/recording_device.h"
#include "midi/song_queue.h"
#include "support/test_support.h"

using namespace lumarel;

namespace {

QStringList sweepFolders()
{
    QStringList folders{test::sourceDir() + "/tests/data/bad", test::sourceDir() + "/data/ship"};
    if (test::corpusPresent())
        folders << test::corpusDir();
    return folders;
}

QStringList filesWith(const QStringList& suffixes)
{
    QStringList files;
    for (const QString& folder : sweepFolders())
        files << test::filesUnder(folder, suffixes);
    return files;
}

}  // namespace

TEST(FileSweep, EveryMapIsReadOrRefusedWithAMessage)
{
    int read = 0, refused = 0;
    for (const QString& path : filesWith({".map"})) {
        MapPalette palette{};
        palette[200] = PaletteEntry{9, 9, 9, 0};
        const MapPalette before = palette;
        const MapReadResult result = readMapFile(path, palette);
        if (result.ok) {
            ++read;
        } else {
            ++refused;
            EXPECT_FALSE(result.error.isEmpty()) << path.toStdString();
            EXPECT_TRUE(palette == before) << "a refused map changed the palette: " << path.toStdString();
        }
    }
    std::printf("map sweep: read=%d refused=%d\n", read, refused);
    EXPECT_GT(read + refused, 0);
    EXPECT_GT(refused, 0);  // the malformed ones are refused
}

TEST(FileSweep, EveryPictureIsShownOrRefusedWithAMessage)
{
    int shown = 0, refused = 0;
    for (const QString& path : filesWith({".gif", ".bmp"})) {
        const PictureLoadResult result = loadPictureFile(path);
        if (result.picture) {
            ++shown;
            const IndexedPicture& picture = *result.picture;
            ASSERT_FALSE(picture.isNull()) << path.toStdString();
            ASSERT_EQ(picture.indices.size(), std::size_t(picture.size.width()) * std::size_t(picture.size.height()));
            EXPECT_EQ(picture.toImage().size(), picture.size);
            // Damaged or not, a file shows the same pixels every time.
            const PictureLoadResult again = loadPictureFile(path);
            ASSERT_TRUE(again.picture) << path.toStdString();
            EXPECT_TRUE(again.picture->indices == picture.indices && again.picture->palette == picture.palette)
                << "a second load differs: " << path.toStdString();
        } else {
            ++refused;
            EXPECT_FALSE(result.error.isEmpty()) << path.toStdString();
        }
    }
    std::printf("picture sweep: shown=%d refused=%d\n", shown, refused);
    EXPECT_GT(shown, 0);
    EXPECT_GT(refused, 0);
}

TEST(FileSweep, EverySongIsPlayedOrRefusedWithAMessage)
{
    int played = 0, damaged = 0, refused = 0;
    for (const QString& path : filesWith({".mid", ".midi", ".rmi", ".kar"})) {
        Midifile file;
        file.setAction(Midifile::Close);
        file.setFileName(path);
        file.setAction(Midifile::Open);
        if (!file.isOpen()) {
            ++refused;
            EXPECT_FALSE(file.error().isEmpty()) << path.toStdString();
            continue;
        }
        if (file.damaged()) {
            ++damaged;
            EXPECT_FALSE(file.damageText().isEmpty()) << path.toStdString();
        } else {
            ++played;
        }
        // Played through a recording device on a clock the test moves: it ends, and ends silent.
        auto clock = std::make_shared<FakeClock>();
        auto log = std::make_shared<RecordingLog>();
        MIDIOutput output(std::make_unique<RecordingDeviceProvider>(log, clock), clock);
        output.setDeviceIndex(-1);
        output.setAction(MIDIOutput::Open);
        queueSong(file, output, [](int percent) { EXPECT_TRUE(percent >= 0 && percent < 100); });
        output.setAction(MIDIOutput::Start);
        for (int i = 0; i < 100000 && output.isPlaying(); ++i)
            clock->advanceBy(60'000'000);
        EXPECT_FALSE(output.isPlaying()) << path.toStdString();
        output.setAction(MIDIOutput::Stop);
        output.setAction(MIDIOutput::Close);
        EXPECT_EQ(log->soundingNotes(), 0) << path.toStdString();
    }
    std::printf("midi sweep: played=%d damaged=%d refused=%d\n", played, damaged, refused);
    EXPECT_GT(refused, 0);
    EXPECT_GT(damaged, 0);
}
