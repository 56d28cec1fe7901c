#include "model/regular_file.h"

#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "model/path_codec.h"
#include "model/visible_name.h"

namespace lumarel {

namespace {

// Closes the descriptor unless it was handed on.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

QString quotedName(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return QLatin1Char('"') + visibleName(name.isEmpty() ? path : name) + QLatin1Char('"');
}

QString kindRefusal(const QString& quoted, mode_t mode, const QString& what)
{
    QString kind;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        kind = QStringLiteral("a device");
    else if (S_ISFIFO(mode))
        kind = QStringLiteral("a named pipe (FIFO)");
    else if (S_ISSOCK(mode))
        kind = QStringLiteral("a socket");
    else if (S_ISDIR(mode))
        kind = QStringLiteral("a folder");
    else
        kind = QStringLiteral("not a plain file");
    return QStringLiteral("%1 is %2, not %3.").arg(quoted, kind, what);
}

// Why path has no status (stat failed with error), or could not be opened.
QString accessRefusal(const QByteArray& encoded, const QString& quoted, int error)
{
    switch (error) {
    case ENOENT: {
        struct stat link {};
        if (::lstat(encoded.constData(), &link) == 0 && S_ISLNK(link.st_mode))
            return QStringLiteral("%1 is a link to a file that does not exist.").arg(quoted);
        return QStringLiteral("%1 does not exist.").arg(quoted);
    }
    case ENOTDIR:
        return QStringLiteral("%1 does not exist.").arg(quoted);
    case EACCES:
    case EPERM:
        return QStringLiteral("You do not have permission to read %1.").arg(quoted);
    case ELOOP:
        return QStringLiteral("%1 is a link that leads round in a loop.").arg(quoted);
    default:
        return QStringLiteral("Cannot open %1: %2.").arg(quoted, qt_error_string(error));
    }
}

QString sizeRefusal(const QString& quoted, qint64 size, qint64 maxBytes, const QString& what)
{
    const QLocale c = QLocale::c();
    return QStringLiteral("%1 is too large to be %2 (%3; at most %4).")
        .arg(quoted, what, c.formattedDataSize(size, 1, QLocale::DataSizeTraditionalFormat),
             c.formattedDataSize(maxBytes, 0, QLocale::DataSizeTraditionalFormat));
}

RegularFile refused(const QString& quoted, const QString& error)
{
    RegularFile result;
    result.error = error;
    result.shownName = quoted;
    return result;
}

}  // namespace

RegularFile openRegularFile(const QString& path, const QString& what, qint64 maxBytes)
{
    const QString quoted = quotedName(path);
    const QByteArray encoded = encodePath(path);
    if (encoded.isEmpty() || encoded.contains('\0'))
        return refused(quoted, QStringLiteral("%1 does not exist.").arg(quoted));

    // Its status first, links followed: anything but a regular file is refused unopened.
    struct stat status {};
    if (::stat(encoded.constData(), &status) != 0)
        return refused(quoted, accessRefusal(encoded, quoted, errno));
    if (!S_ISREG(status.st_mode))
        return refused(quoted, kindRefusal(quoted, status.st_mode, what));

    // O_NONBLOCK: should a named pipe have taken the file's place since, opening it cannot wait.
    Descriptor fd(::open(encoded.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        return refused(quoted, accessRefusal(encoded, quoted, errno));
    if (::fstat(fd.get(), &status) != 0)
        return refused(quoted, accessRefusal(encoded, quoted, errno));
    if (!S_ISREG(status.st_mode))
        return refused(quoted, kindRefusal(quoted, status.st_mode, what));
    if (maxBytes != kAnySize && status.st_size > maxBytes)
        return refused(quoted, sizeRefusal(quoted, status.st_size, maxBytes, what));
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags == -1 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) == -1)
        return refused(quoted, accessRefusal(encoded, quoted, errno));

    auto file = std::make_unique<QFile>();
    if (!file->open(fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return refused(quoted, QStringLiteral("Cannot open %1: %2.").arg(quoted, file->errorString()));
    fd.release();
    RegularFile result;
    result.file = std::move(file);
    result.size = status.st_size;
    result.shownName = quoted;
    return result;
}

std::optional<QByteArray> readWholeFile(RegularFile& opened, QString* error)
{
    if (!opened.file) {
        if (error)
            *error = opened.error;
        return std::nullopt;
    }
    QByteArray bytes;
    bytes.resize(opened.size);
    qint64 got = 0;
    while (got < opened.size) {
        const qint64 count = opened.file->read(bytes.data() + got, opened.size - got);
        if (count < 0) {
            if (error)
                *error = QStringLiteral("Cannot read %1: %2.").arg(opened.shownName, opened.file->errorString());
            return std::nullopt;
        }
        if (count == 0)
            break;  // it shrank since it was opened
        got += count;
    }
    bytes.truncate(got);
    return bytes;
}

std::optional<FileStamp> fileStamp(const QString& path)
{
    const QByteArray encoded = encodePath(path);
    struct stat status {};
    if (encoded.isEmpty() || encoded.contains('\0') || ::stat(encoded.constData(), &status) != 0)
        return std::nullopt;
    return FileStamp{qint64(status.st_size), qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

}  // namespace lumarel
