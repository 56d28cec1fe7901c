#pragma once
// What the drive, folder and file lists show, computed without any widget: mounted file systems
// as drives, a folder with its ancestors and subfolders, and the files that match a pattern.

#include <QList>
#include <QString>
#include <QStringList>

namespace lumarel {

// One entry per mounted file system, the root first.
QStringList availableDrives();
// The drive (mount root) that holds path: the longest drive that is a prefix of it.
QString driveOf(const QString& path, const QStringList& drives);

struct FolderEntry {
    QString path;   // full path of the folder
    QString label;  // what the list shows (the folder's own name, or the root's path)
    int depth = 0;  // indentation: ancestors 0.., the folder itself, then its subfolders one deeper
    bool current = false;
};
// The folder, its ancestors (root first) and its subfolders (sorted without regard to case).
QList<FolderEntry> folderEntries(const QString& path);

// Whether the folder can be entered and listed; *why gets a user-facing reason when not.
bool canEnterFolder(const QString& path, QString* why);

// Whether name matches one of the masks of pattern ("*.gif;*.bmp"), without regard to letter case.
bool matchesPattern(const QString& name, const QString& pattern);
// The names (without folder) of the files in folder that match pattern, sorted without regard to case.
QStringList matchingFiles(const QString& folder, const QString& pattern);

}  // namespace lumarel
