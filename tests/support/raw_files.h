#pragma once
// For tests of names that are not valid UTF-8: files made and removed by their raw bytes, which
// Qt's own file classes cannot name (QTemporaryDir would leave such entries behind).

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <fcntl.h>
#include <ftw.h>
#include <unistd.h>

#include "model/path_codec.h"

namespace lumarel::test {

// Writes bytes to the file at the raw path; false when that fails.
inline bool writeRaw(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), std::size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

// Removes the folder at the raw path and everything in it, links not followed.
inline void removeTree(const QByteArray& path)
{
    ::nftw(path.constData(),
           [](const char* entry, const struct stat*, int kind, FTW*) {
               if (kind == FTW_DP)
                   ::rmdir(entry);
               else
                   ::unlink(entry);
               return 0;
           },
           16, FTW_DEPTH | FTW_PHYS);
}

// A temporary folder, removed by its raw bytes so that names Qt cannot spell go too.
struct RawFolder {
    QTemporaryDir dir;
    const QByteArray raw = QFile::encodeName(dir.path());
    ~RawFolder() { removeTree(raw); }
    // The path of the entry with this raw name in the folder.
    QString path(const QByteArray& name) const { return decodePath(raw + '/' + name); }
};

}  // namespace lumarel::test
