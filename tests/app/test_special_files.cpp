// Every reader of the program (picture, map, song) against the disk as users have it: links to
// devices and to named pipes are refused at once, memory stays flat, and names that are not
// valid UTF-8 open like any other.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include "maps/map_file.h"
#include "platform/file_listing.h"
#include "model/path_codec.h"
#include "platform/picture_loader.h"
#include "support/midi_builder.h"
#include "midi/midifile.h"
#include "support/deadline.h"
#include "support/bmp_bytes.h"
#include "support/raw_files.h"

using namespace lumarel;

namespace {

// What each reader says of the file at path: empty when it read it.
QString readAsPicture(const QString& path) { return loadPictureFile(path).error; }

QString readAsMap(const QString& path)
{
    MapPalette palette{};
    palette[7] = PaletteEntry{1, 2, 3, 0};
    const MapReadResult result = readMapFile(path, palette);
    EXPECT_TRUE(result.ok || palette[7] == (PaletteEntry{1, 2, 3, 0})) << "a refused map changed the palette";
    return result.error;
}

QString readAsSong(const QString& path)
{
    Midifile file;
    file.setFileName(path);
    file.setAction(Midifile::Open);
    return file.error();
}

QByteArray songBytes()
{
    test::TrackBuilder track;
    track.event(0, {0x90, 60, 100}).event(96, {0x80, 60, 0}).end();
    return test::smf(0, 96, {track});
}

}  // namespace

TEST(SpecialFiles, DevicesAndPipesAreRefusedAtOnceByEveryReader)
{
    test::RawFolder folder;
    ASSERT_EQ(::mkfifo((folder.raw + "/y.map").constData(), 0644), 0);
    struct Link {
        QByteArray name;
        QByteArray target;
        QString kind;
    };
    const Link links[] = {
        {"zero.bmp", "/dev/zero", "is a device"},        {"rnd.gif", "/dev/urandom", "is a device"},
        {"fifolink.bmp", folder.raw + "/y.map", "is a named pipe (FIFO)"},
        {"zero.map", "/dev/zero", "is a device"},        {"rnd.map", "/dev/urandom", "is a device"},
        {"fifolink.map", folder.raw + "/y.map", "is a named pipe (FIFO)"},
        {"zero.mid", "/dev/zero", "is a device"},        {"rnd.mid", "/dev/urandom", "is a device"},
        {"fifolink.mid", folder.raw + "/y.map", "is a named pipe (FIFO)"},
    };
    const long long before = test::residentBytes();
    for (const Link& link : links) {
        ASSERT_EQ(::symlink(link.target.constData(), (folder.raw + '/' + link.name).constData()), 0);
        const QString path = folder.path(link.name);
        const std::string what = "reading " + link.name.toStdString();
        QString error;
        if (link.name.endsWith(".map"))
            error = test::withinDeadline(what, [&path] { return readAsMap(path); });
        else if (link.name.endsWith(".mid"))
            error = test::withinDeadline(what, [&path] { return readAsSong(path); });
        else
            error = test::withinDeadline(what, [&path] { return readAsPicture(path); });
        EXPECT_TRUE(error.contains('"' + QString::fromUtf8(link.name) + "\" " + link.kind)) << error.toStdString();
    }
    EXPECT_LT(test::residentBytes() - before, 32ll << 20);
}

TEST(SpecialFiles, FilesTooLargeForTheirReaderAreRefusedUnread)
{
    test::RawFolder folder;
    for (const auto& [name, bytes] : {std::pair<QByteArray, long long>{"huge.bmp", 600ll << 20},
                                      std::pair<QByteArray, long long>{"huge.mid", 300ll << 20}}) {
        ASSERT_TRUE(test::writeRaw(folder.raw + '/' + name, name.endsWith(".bmp") ? "BM" : "MThd"));
        ASSERT_EQ(::truncate((folder.raw + '/' + name).constData(), bytes), 0);  // sparse: nothing on disk
    }
    const long long before = test::residentBytes();
    EXPECT_TRUE(readAsPicture(folder.path("huge.bmp")).contains("\"huge.bmp\" is too large to be a picture"));
    EXPECT_TRUE(readAsSong(folder.path("huge.mid")).contains("\"huge.mid\" is too large to be a MIDI file"));
    EXPECT_LT(test::residentBytes() - before, 32ll << 20);
}

TEST(SpecialFiles, NamesThatAreNotUtf8AreListedAndRead)
{
    test::RawFolder folder;
    ASSERT_TRUE(test::writeRaw(folder.raw + "/lat\xe9n1.bmp", test::bmpBytes()));
    ASSERT_TRUE(test::writeRaw(folder.raw + "/lat\xe9n1.map", "255 0 0\n0 255 0\n"));
    ASSERT_TRUE(test::writeRaw(folder.raw + "/lat\xe9n1.mid", songBytes()));
    const QString here = folder.dir.path();
    for (const QString pattern : {"*.bmp", "*.map", "*.mid"}) {
        const QStringList names = matchingFiles(here, pattern);
        ASSERT_EQ(names.size(), 1) << pattern.toStdString();
        EXPECT_EQ(encodePath(names.first()), QByteArray("lat\xe9n1") + pattern.mid(1).toLatin1());
    }
    const PictureLoadResult picture = loadPictureFile(here + '/' + matchingFiles(here, "*.bmp").first());
    ASSERT_TRUE(picture.picture) << picture.error.toStdString();
    EXPECT_EQ(picture.picture->size, QSize(4, 3));
    MapPalette palette{};
    const MapReadResult map = readMapFile(here + '/' + matchingFiles(here, "*.map").first(), palette);
    ASSERT_TRUE(map.ok) << map.error.toStdString();
    EXPECT_EQ(palette[1], (PaletteEntry{0, 255, 0, 0}));
    Midifile song;
    song.setFileName(here + '/' + matchingFiles(here, "*.mid").first());
    song.setAction(Midifile::Open);
    ASSERT_TRUE(song.isOpen()) << song.error().toStdString();
    EXPECT_EQ(song.trackCount(), 1);
}
