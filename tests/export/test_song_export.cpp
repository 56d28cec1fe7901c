// The whole export: what the song paints, in frames and GIF frames, and nothing left behind when
// it cannot be made.
#include "export/export_frames.h"
#include "export/song_export.h"
#include "maps/map_file.h"
#include "midi/midifile.h"
#include "midi/song_queue.h"
#include "music/timeline.h"
#include "support/midi_builder.h"
#include "video_readback.h"

#include <gif_lib.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumarel {
namespace {

// Two seconds at 120 beats a minute, 480 ticks a quarter (960 ticks a second): two voices play a
// short note at 0.5 s; the song ends at 2 s.
QByteArray twoSecondSong()
{
    std::vector<test::TrackBuilder> tracks(3);
    tracks[0].tempo(0, 500000).event(1920, {0xFF, 0x01, 0}).end();
    tracks[1].meta(0, 3, "Low").event(480, {0x90, 60, 100}).event(48, {0x80, 60, 0}).end();
    tracks[2].meta(0, 3, "High").event(480, {0x91, 64, 90}).event(48, {0x81, 64, 0}).end();
    return test::smf(1, 480, tracks);
}

// A 64x48 picture: its left half index 1, its right half index 2; own colours grey and brown.
QImage twoHalves()
{
    QImage image(64, 48, QImage::Format_Indexed8);
    QList<QRgb> colours(256, qRgb(0, 0, 0));
    colours[1] = qRgb(120, 120, 120);
    colours[2] = qRgb(150, 90, 40);
    image.setColorTable(colours);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, y, x < 32 ? 1 : 2);
    return image;
}

std::array<QRgb, 256> ownColours()
{
    std::array<QRgb, 256> own{};
    const QList<QRgb> table = twoHalves().colorTable();
    for (int i = 0; i < 256; ++i)
        own[std::size_t(i)] = table[i];
    return own;
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

struct Export {
    QTemporaryDir dir;
    ExportRequest request;
    SongTimeline timeline;

    explicit Export(const QString& output)
    {
        request.song = dir.filePath("song.mid");
        request.picture = dir.filePath("halves.bmp");
        request.output = dir.filePath(output);
        QFile song(request.song);
        song.open(QIODevice::WriteOnly);
        song.write(twoSecondSong());
        song.close();
        twoHalves().save(request.picture, "BMP");
        Midifile file;
        file.setFileName(request.song);
        file.setAction(Midifile::Open);
        timeline = colourTimeline(songMessages(file), file.trackCount());
    }
    // Every file in the folder but the song and the picture.
    QStringList leftOver() const
    {
        QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        files.removeAll("song.mid");
        files.removeAll("halves.bmp");
        return files;
    }
};

TEST(SongExport, AVideoShowsTheTimelineFrameByFrameAsLongAsItsSound)
{
    Export run("out.mp4");
    ASSERT_EQ(run.timeline.changes.size(), 2u);
    ASSERT_EQ(run.timeline.changes.front().timeUs, 500'000);
    run.request.size = QSize(128, 96);
    run.request.mapFile = run.dir.filePath("last.map");
    const ExportOutcome outcome = exportSong(run.request);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    EXPECT_TRUE(outcome.frames == 60 || outcome.frames == 61) << outcome.frames;

    const test::ReadBack video = test::readBack(run.request.output);
    ASSERT_EQ(std::int64_t(video.colours.size()), outcome.frames);
    EXPECT_NEAR(video.audioSeconds, 2.0, 0.05);
    // Just before the notes the picture shows its own colours; just after, only the palette changed:
    // each half shows the timeline's colour for its index.
    FrameColours colours(run.timeline.changes, ownColours());
    const auto& before = colours.at(14 * 1'000'000 / 30);
    EXPECT_TRUE(near(video.colours[14].first, before[1], 10));
    EXPECT_TRUE(near(video.colours[14].second, before[2], 10));
    const auto& after = colours.at(16 * 1'000'000 / 30);
    EXPECT_TRUE(near(video.colours[16].first, after[1], 10));
    EXPECT_TRUE(near(video.colours[16].second, after[2], 10));
    EXPECT_FALSE(near(video.colours[14].first, video.colours[16].first, 10));

    // The last generated map, written beside it, reads back to the same colours.
    MapPalette read{};
    ASSERT_TRUE(readMapFile(run.request.mapFile, read).ok);
    for (std::size_t i = 0; i < 256; ++i) {
        const KeyColor& want = run.timeline.lastMap[i + 1];
        EXPECT_EQ(read[i], (PaletteEntry{std::uint8_t(want.red), std::uint8_t(want.green), std::uint8_t(want.blue), 0})) << i;
    }
    EXPECT_EQ(run.leftOver(), (QStringList{"last.map", "out.mp4"}));
}

TEST(SongExport, AGifShowsEachChangeForItsTimeAndLoops)
{
    Export run("out.gif");
    const ExportOutcome outcome = exportSong(run.request);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    int error = 0;
    GifFileType* gif = DGifOpenFileName(QFile::encodeName(run.request.output).constData(), &error);
    ASSERT_TRUE(gif);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->SWidth, 64);  // the picture's own size
    ASSERT_EQ(gif->ImageCount, 2);  // the picture's own colours, then the notes' palette
    int totalCs = 0;
    for (int k = 0; k < gif->ImageCount; ++k) {
        GraphicsControlBlock control;
        DGifSavedExtensionToGCB(gif, k, &control);
        totalCs += control.DelayTime;
        const ColorMapObject* table = gif->SavedImages[k].ImageDesc.ColorMap;
        ASSERT_TRUE(table);
        for (int i = 0; i < 256; ++i) {
            const GifColorType c = table->Colors[i];
            const QRgb expected = k == 0 ? ownColours()[std::size_t(i)]
                                         : qRgb(run.timeline.changes.back().palette[std::size_t(i)].red,
                                                run.timeline.changes.back().palette[std::size_t(i)].green,
                                                run.timeline.changes.back().palette[std::size_t(i)].blue);
            EXPECT_EQ(qRgb(c.Red, c.Green, c.Blue), expected | 0xff000000u) << k << " " << i;
        }
    }
    EXPECT_NEAR(totalCs * 10, 2000, 10);  // the song's two seconds, in 1/100 s
    DGifCloseFile(gif, &error);
}

TEST(SongExport, WhatCannotBeMadeLeavesNothing)
{
    Export run("out.mp4");
    // A refused song, a refused picture, a folder that does not exist, a bad name, a cancel.
    std::vector<std::pair<ExportRequest, QString>> cases;
    ExportRequest notASong = run.request;
    notASong.song = run.request.picture;
    cases.push_back({notASong, "is not a MIDI file"});
    ExportRequest notAPicture = run.request;
    notAPicture.picture = run.request.song;
    cases.push_back({notAPicture, "Cannot show the picture"});
    ExportRequest nowhere = run.request;
    nowhere.output = run.dir.filePath("missing/out.mp4");
    cases.push_back({nowhere, "does not exist"});
    ExportRequest badName = run.request;
    badName.output = run.dir.filePath("out.avi");
    cases.push_back({badName, ".mp4, .webm or .gif"});
    for (const auto& [request, says] : cases) {
        const ExportOutcome outcome = exportSong(request);
        EXPECT_FALSE(outcome.ok);
        EXPECT_TRUE(outcome.error.contains(says)) << outcome.error.toStdString();
    }
    for (const char* name : {"out.mp4", "out.webm", "out.gif"}) {
        ExportRequest request = run.request;
        request.output = run.dir.filePath(name);
        request.mapFile = run.dir.filePath("last.map");
        std::atomic<bool> cancel{false};
        const ExportOutcome outcome = exportSong(request, &cancel, [&](const ExportProgress& progress) {
            if (progress.framesDone > 0)
                cancel = true;
        });
        EXPECT_FALSE(outcome.ok) << name;
        EXPECT_TRUE(outcome.cancelled) << name;
    }
    EXPECT_EQ(run.leftOver(), QStringList{});
}

TEST(SongExport, ThePictureKeepsItsAspectBetweenBlackBars)
{
    EXPECT_EQ(letterbox(QSize(640, 480), QSize(1920, 1080), true), QRect(240, 0, 1440, 1080));
    EXPECT_EQ(letterbox(QSize(640, 480), QSize(640, 480), false), QRect(0, 0, 640, 480));
    EXPECT_EQ(letterbox(QSize(100, 300), QSize(300, 300), false), QRect(100, 0, 100, 300));
    const QRect odd = letterbox(QSize(333, 111), QSize(1280, 720), true);
    EXPECT_EQ(odd.x() % 2 + odd.y() % 2 + odd.width() % 2 + odd.height() % 2, 0);
    EXPECT_TRUE(QRect(0, 0, 1280, 720).contains(odd));
}

}  // namespace
}  // namespace lumarel
