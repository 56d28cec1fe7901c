#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_listing.h"
#include "model/path_codec.h"
#include "support/raw_files.h"

using namespace lumarel;

namespace {
void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}
}  // namespace

TEST(FileListing, PatternsMatchWithoutRegardToCase)
{
    EXPECT_TRUE(matchesPattern("FRACT001.GIF", "*.gif;*.bmp"));
    EXPECT_TRUE(matchesPattern("logo.Bmp", "*.gif;*.bmp"));
    EXPECT_TRUE(matchesPattern("LANDSCAP.MAP", "*.map"));
    EXPECT_FALSE(matchesPattern("notes.txt", "*.gif;*.bmp"));
    EXPECT_FALSE(matchesPattern("x.map.txt", "*.map"));
    EXPECT_FALSE(matchesPattern("anything", ""));

    QTemporaryDir dir;
    for (const char* name : {"b.GIF", "A.bmp", "c.map", "d.txt", "e.Gif"})
        touch(dir.filePath(name));
    QDir(dir.path()).mkdir("sub.gif");  // a folder is not a file
    EXPECT_EQ(matchingFiles(dir.path(), "*.gif;*.bmp"), (QStringList{"A.bmp", "b.GIF", "e.Gif"}));
    EXPECT_EQ(matchingFiles(dir.path(), "*.map"), QStringList{"c.map"});
}

TEST(FileListing, AFolderShowsItsAncestorsThenItsSubfolders)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("work/Zeta");
    QDir(dir.path()).mkpath("work/alpha");
    const QString work = QDir(dir.path()).filePath("work");
    const QList<FolderEntry> entries = folderEntries(work);
    ASSERT_GE(entries.size(), 4);
    EXPECT_EQ(entries.first().path, QDir::rootPath());
    const auto current = std::find_if(entries.begin(), entries.end(), [](const FolderEntry& e) { return e.current; });
    ASSERT_NE(current, entries.end());
    EXPECT_EQ(current->path, work);
    EXPECT_EQ(entries[entries.size() - 2].label, "alpha");
    EXPECT_EQ(entries.last().label, "Zeta");
    EXPECT_GT(entries.last().depth, current->depth);
}

TEST(FileListing, FoldersThatCannotBeEnteredSayWhy)
{
    QTemporaryDir dir;
    const QString gone = dir.filePath("gone");
    QDir().mkdir(gone);
    QDir().rmdir(gone);
    QString why;
    EXPECT_FALSE(canEnterFolder(gone, &why));
    EXPECT_TRUE(why.contains("no longer exists"));

    const QString locked = dir.filePath("locked");
    QDir().mkdir(locked);
    QFile::setPermissions(locked, QFileDevice::Permissions());
    if (geteuid() != 0) {  // root enters any folder
        EXPECT_FALSE(canEnterFolder(locked, &why));
        EXPECT_TRUE(why.contains("permission"));
    }
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(canEnterFolder(locked, &why));
    EXPECT_TRUE(why.isEmpty());
}

TEST(FileListing, DrivesStartWithTheRootAndHoldEveryPath)
{
    const QStringList drives = availableDrives();
    ASSERT_FALSE(drives.isEmpty());
    EXPECT_EQ(drives.first(), QDir::rootPath());
    EXPECT_EQ(driveOf("/", {"/", "/home"}), "/");
    EXPECT_EQ(driveOf("/home/me/maps", {"/", "/home"}), "/home");
    EXPECT_EQ(driveOf("/homework", {"/", "/home"}), "/");
}

TEST(FileListing, EveryNameIsListedAndOpensByTheNameGiven)
{
    QTemporaryDir dir;
    const QByteArray raw = QFile::encodeName(dir.path());
    ASSERT_TRUE(test::writeRaw(raw + "/lat\xe9n1.bmp", "BM"));
    ASSERT_TRUE(test::writeRaw(raw + "/plain.bmp", "BM"));
    ASSERT_EQ(::mkdir((raw + "/latin1 caf\xe9").constData(), 0755), 0);
    ASSERT_TRUE(test::writeRaw(raw + "/latin1 caf\xe9/inner.map", "1 2 3"));

    const QString folder = dir.path();
    const QStringList files = matchingFiles(folder, "*.gif;*.bmp");
    ASSERT_EQ(files.size(), 2);
    const QString latin1 = decodePath("lat\xe9n1.bmp");
    EXPECT_TRUE(files.contains(latin1));
    // The name given opens the very file on disk.
    struct stat status {};
    EXPECT_EQ(::stat(encodePath(folder + '/' + latin1).constData(), &status), 0);

    const QList<FolderEntry> entries = folderEntries(folder);
    const QString cafe = folder + '/' + decodePath("latin1 caf\xe9");
    ASSERT_EQ(entries.last().path, cafe);
    EXPECT_EQ(encodePath(entries.last().label), QByteArray("latin1 caf\xe9"));
    QString why;
    EXPECT_TRUE(canEnterFolder(cafe, &why)) << why.toStdString();
    EXPECT_EQ(matchingFiles(cafe, "*.map"), QStringList{"inner.map"});
    // Inside it, the chain of folders leads back up through its own name.
    const QList<FolderEntry> inside = folderEntries(cafe);
    ASSERT_GE(inside.size(), 2);
    EXPECT_EQ(inside.last().path, cafe);
    EXPECT_TRUE(inside.last().current);
    EXPECT_EQ(inside[inside.size() - 2].path, QDir::cleanPath(folder));
    test::removeTree(raw);
}

TEST(FileListing, OnlyWhatIsAFolderAfterFollowingLinksIsListedAsOne)
{
    QTemporaryDir dir;
    const QByteArray raw = QFile::encodeName(dir.path());
    ASSERT_TRUE(test::writeRaw(raw + "/target.bmp", "BM"));
    ASSERT_EQ(::mkdir((raw + "/real").constData(), 0755), 0);
    const std::pair<const char*, QByteArray> links[] = {
        {"to_file", raw + "/target.bmp"}, {"to_device", "/dev/null"}, {"to_folder", raw + "/real"},
        {"to_self", "."},                 {"dangling", raw + "/none"}, {"zero.bmp", "/dev/zero"},
        {"nothing.bmp", raw + "/none"},
    };
    for (const auto& [name, target] : links)
        ASSERT_EQ(::symlink(target.constData(), (raw + '/' + name).constData()), 0) << name;
    ASSERT_EQ(::mkfifo((raw + "/pipe.bmp").constData(), 0644), 0);

    const QList<FolderEntry> entries = folderEntries(dir.path());
    const auto current = std::find_if(entries.begin(), entries.end(), [](const FolderEntry& e) { return e.current; });
    ASSERT_NE(current, entries.end());
    QStringList subfolders;
    for (auto entry = current + 1; entry != entries.end(); ++entry)
        subfolders << entry->label;
    EXPECT_EQ(subfolders, (QStringList{"real", "to_folder"}));
    // Files: links to files and devices, and named pipes, are listed (choosing one says what it
    // is); links that lead nowhere are not.
    EXPECT_EQ(matchingFiles(dir.path(), "*.bmp"), (QStringList{"pipe.bmp", "target.bmp", "zero.bmp"}));

    // /dev/fd holds the descriptors of whoever lists it: none of its entries that is not a folder
    // is listed as one, and the listing's own descriptor (its folder) is not listed at all.
    for (const FolderEntry& entry : folderEntries("/dev/fd")) {
        if (entry.path.startsWith("/dev/fd/")) {
            struct stat status {};
            EXPECT_EQ(::stat(encodePath(entry.path).constData(), &status), 0) << entry.path.toStdString();
            EXPECT_TRUE(S_ISDIR(status.st_mode)) << entry.path.toStdString();
        }
    }
}

TEST(FileListing, ARemovedFolderGivesWayToItsNearestAncestor)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("a/b/c");
    const QString deep = dir.filePath("a/b/c");
    EXPECT_EQ(nearestEnterableFolder(deep), deep);
    QDir(dir.filePath("a")).removeRecursively();
    EXPECT_EQ(nearestEnterableFolder(deep), QDir::cleanPath(dir.path()));
    EXPECT_EQ(nearestEnterableFolder("/no/such/folder/anywhere"), QDir::rootPath());
}
