#include "platform/file_listing.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>
#include <algorithm>

namespace lumarel {

namespace {

void sortCaseless(QStringList& names)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::sort(names.begin(), names.end(), collator);
}

}  // namespace

QStringList availableDrives()
{
    QStringList drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = volume.rootPath();
        if (!drives.contains(root))
            drives << root;
    }
    const QString root = QDir::rootPath();
    drives.removeAll(root);
    sortCaseless(drives);
    drives.prepend(root);
    return drives;
}

QString driveOf(const QString& path, const QStringList& drives)
{
    const QString clean = QDir::cleanPath(path);
    QString best;
    for (const QString& drive : drives) {
        const QString d = QDir::cleanPath(drive);
        const bool inside = clean == d || d == QDir::rootPath()
                            || clean.startsWith(d + QLatin1Char('/'));
        if (inside && d.size() > best.size())
            best = drive;
    }
    return best.isEmpty() ? QDir::rootPath() : best;
}

QList<FolderEntry> folderEntries(const QString& path)
{
    QList<FolderEntry> entries;
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());

    QStringList chain;  // from the folder up to the root
    QDir dir(clean);
    chain << dir.absolutePath();
    while (dir.cdUp())
        chain << dir.absolutePath();
    std::reverse(chain.begin(), chain.end());

    int depth = 0;
    for (const QString& folder : chain) {
        FolderEntry entry;
        entry.path = folder;
        entry.label = QDir(folder).isRoot() ? folder : QFileInfo(folder).fileName();
        entry.depth = depth++;
        entry.current = folder == chain.last();
        entries << entry;
    }

    QStringList subfolders = QDir(clean).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    subfolders.removeIf([](const QString& name) { return name.startsWith(QLatin1Char('.')); });
    sortCaseless(subfolders);
    for (const QString& name : subfolders) {
        FolderEntry entry;
        entry.path = QDir(clean).filePath(name);
        entry.label = name;
        entry.depth = depth;
        entries << entry;
    }
    return entries;
}

bool canEnterFolder(const QString& path, QString* why)
{
    const QFileInfo info(path);
    QString reason;
    if (!info.exists())
        reason = QStringLiteral("The folder \"%1\" no longer exists.").arg(path);
    else if (!info.isDir())
        reason = QStringLiteral("\"%1\" is not a folder.").arg(path);
    else if (!info.isReadable() || !info.isExecutable())
        reason = QStringLiteral("You do not have permission to open the folder \"%1\".").arg(path);
    if (why)
        *why = reason;
    return reason.isEmpty();
}

bool matchesPattern(const QString& name, const QString& pattern)
{
    const QStringList masks = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& mask : masks) {
        const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(mask.trimmed()),
                                    QRegularExpression::CaseInsensitiveOption);
        if (re.match(name).hasMatch())
            return true;
    }
    return false;
}

QStringList matchingFiles(const QString& folder, const QString& pattern)
{
    QStringList names;
    const QStringList all = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : all) {
        if (matchesPattern(name, pattern))
            names << name;
    }
    sortCaseless(names);
    return names;
}

}  // namespace lumarel
