#include "platform/file_listing.h"

#include <QCollator>
#include <QDir>
#include <QStorageInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/path_codec.h"
#include "model/visible_name.h"

namespace lumarel {

namespace {

// Sorts names without regard to case, as they are shown, numbers by value ("img2" before "img10").
void sortCaseless(QStringList& names)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::vector<std::pair<QString, QString>> keyed;  // (as shown, as on disk)
    keyed.reserve(std::size_t(names.size()));
    for (const QString& name : names)
        keyed.emplace_back(visibleName(name), name);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [&collator](const auto& a, const auto& b) { return collator.compare(a.first, b.first) < 0; });
    for (std::size_t i = 0; i < keyed.size(); ++i)
        names[qsizetype(i)] = keyed[i].second;
}

enum class Wanted { Folders, Files };

// Calls take(name) for each entry of folder that is a folder (or, for Files, anything else) once
// links are followed and that accept(name) lets through; accept runs first, so only names it
// keeps cost a status. Entries whose links lead nowhere, and links back to folder itself (such as
// the descriptor this reading holds, seen in /dev/fd), are skipped.
void forEachEntry(const QString& folder, Wanted wanted, const std::function<bool(const QString&)>& accept,
                  const std::function<void(const QString&)>& take)
{
    const QByteArray encoded = encodePath(folder);
    if (encoded.isEmpty() || encoded.contains('\0'))
        return;
    const int fd = ::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat self {};
    DIR* dir = ::fstat(fd, &self) == 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const char* raw = entry->d_name;
        if (std::strcmp(raw, ".") == 0 || std::strcmp(raw, "..") == 0)
            continue;
        const QString name = decodePath(QByteArrayView(raw));
        if (!accept(name))
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat target {};
            if (::fstatat(fd, raw, &target, 0) != 0)
                continue;  // a dangling link, a loop, or no permission to look
            if (S_ISDIR(target.st_mode) && target.st_dev == self.st_dev && target.st_ino == self.st_ino)
                continue;
            isFolder = S_ISDIR(target.st_mode);
        }
        if (isFolder == (wanted == Wanted::Folders))
            take(name);
    }
    ::closedir(dir);
}

// Whether name matches one mask: '*' stands for any run of characters, '?' for one character;
// letters are compared case-folded. Works on any string, names with escaped bytes included.
bool matchesMask(QStringView name, QStringView mask)
{
    const auto same = [](QChar a, QChar b) { return a == b || a.toCaseFolded() == b.toCaseFolded(); };
    const auto width = [](QStringView s, qsizetype i) {
        return s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate() ? 2 : 1;
    };
    qsizetype n = 0, m = 0;
    qsizetype starAt = -1, resumeAt = 0;  // the last '*' seen, and where its run ends so far
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == u'*') {
            starAt = m++;
            resumeAt = n;
        } else if (m < mask.size() && mask[m] == u'?') {
            ++m;
            n += width(name, n);
        } else if (m < mask.size() && same(mask[m], name[n])) {
            ++m;
            ++n;
        } else if (starAt >= 0) {
            m = starAt + 1;
            resumeAt += width(name, resumeAt);
            n = resumeAt;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == u'*')
        ++m;
    return m == mask.size();
}

QStringList masksOf(const QString& pattern)
{
    QStringList masks;
    for (const QString& mask : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        masks << mask.trimmed();
    return masks;
}

bool matchesAnyMask(const QString& name, const QStringList& masks)
{
    return std::any_of(masks.begin(), masks.end(), [&name](const QString& mask) { return matchesMask(name, mask); });
}

QString parentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QDir::rootPath() : path.left(slash);
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

    // The chain from the root down to the folder, worked out on the path alone: asking the disk
    // would go through Qt's own encoding, which loses names that are not valid UTF-8.
    QStringList chain;
    for (QString folder = clean; folder != QDir::rootPath(); folder = parentOf(folder))
        chain.prepend(folder);
    chain.prepend(QDir::rootPath());

    int depth = 0;
    for (const QString& folder : chain) {
        FolderEntry entry;
        entry.path = folder;
        entry.label = folder == QDir::rootPath() ? folder : folder.mid(folder.lastIndexOf(QLatin1Char('/')) + 1);
        entry.depth = depth++;
        entry.current = folder == chain.last();
        entries << entry;
    }

    QStringList subfolders;
    forEachEntry(
        clean, Wanted::Folders, [](const QString& name) { return !name.startsWith(QLatin1Char('.')); },
        [&subfolders](const QString& name) { subfolders << name; });
    sortCaseless(subfolders);
    const QString prefix = clean == QDir::rootPath() ? clean : clean + QLatin1Char('/');
    for (const QString& name : subfolders) {
        FolderEntry entry;
        entry.path = prefix + name;
        entry.label = name;
        entry.depth = depth;
        entries << entry;
    }
    return entries;
}

bool canEnterFolder(const QString& path, QString* why)
{
    const QByteArray encoded = encodePath(path);
    const QString shown = visibleName(path);
    QString reason;
    struct stat status {};
    const bool named = !encoded.isEmpty() && !encoded.contains('\0');
    const int error = named && ::stat(encoded.constData(), &status) == 0 ? 0 : named ? errno : ENOENT;
    if (error == EACCES)
        reason = QStringLiteral("You do not have permission to open the folder \"%1\".").arg(shown);
    else if (error != 0)
        reason = QStringLiteral("The folder \"%1\" no longer exists.").arg(shown);
    else if (!S_ISDIR(status.st_mode))
        reason = QStringLiteral("\"%1\" is not a folder.").arg(shown);
    else if (::access(encoded.constData(), R_OK | X_OK) != 0)
        reason = QStringLiteral("You do not have permission to open the folder \"%1\".").arg(shown);
    if (why)
        *why = reason;
    return reason.isEmpty();
}

QString nearestEnterableFolder(const QString& path)
{
    QString folder = QDir::cleanPath(QDir(path).absolutePath());
    while (folder != QDir::rootPath() && !canEnterFolder(folder, nullptr))
        folder = parentOf(folder);
    return folder;
}

bool matchesPattern(const QString& name, const QString& pattern)
{
    return matchesAnyMask(name, masksOf(pattern));
}

QStringList matchingFiles(const QString& folder, const QString& pattern)
{
    const QStringList masks = masksOf(pattern);
    QStringList names;
    forEachEntry(
        folder, Wanted::Files, [&masks](const QString& name) { return matchesAnyMask(name, masks); },
        [&names](const QString& name) { names << name; });
    sortCaseless(names);
    return names;
}

}  // namespace lumarel
