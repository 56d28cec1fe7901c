#pragma once
// What the drive, folder and file lists show, computed without any widget: mounted file systems
// as drives, a folder with its ancestors and subfolders, and the files that match a pattern.
// Folders and names are the path codec's strings (platform/path_codec.h): every entry is listed,
// whether or not its name is valid UTF-8, and opens again by the name given here.

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
    QString label;  // the folder's own name, or the root's path (shown through visibleName)
    int depth = 0;  // indentation: ancestors 0.., the folder itself, then its subfolders one deeper
    bool current = false;
};
// The folder, its ancestors (root first) and its subfolders (sorted without regard to case, as
// shown). A subfolder is an entry that is a folder once links are followed; links that lead
// nowhere, or back to the folder itself, are left out.
QList<FolderEntry> folderEntries(const QString& path);

// Whether the folder can be entered and listed; *why gets a user-facing reason when not.
bool canEnterFolder(const QString& path, QString* why);
// path if it can be entered, else its nearest ancestor that can (the root at worst).
QString nearestEnterableFolder(const QString& path);

// Whether name matches one of the masks of pattern ("*.gif;*.bmp"), without regard to letter case.
bool matchesPattern(const QString& name, const QString& pattern);
// The names (without folder) of the entries of folder that match pattern and are not folders once
// links are followed, sorted without regard to case as shown. Links that lead nowhere are left out;
// devices and named pipes are listed (choosing one says what it is).
QStringList matchingFiles(const QString& folder, const QString& pattern);

}  // namespace lumarel
