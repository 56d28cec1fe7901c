#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

#include "platform/file_listing.h"

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
