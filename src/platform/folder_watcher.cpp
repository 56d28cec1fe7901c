#include "platform/folder_watcher.h"

#include <algorithm>
#include <limits>

#include <fcntl.h>
#include <unistd.h>

#include "model/path_codec.h"

namespace lumarel {

namespace {
constexpr qint64 kSettleMs = 100;        // a burst of changes within this gives one signal
constexpr qint64 kBusyShareFactor = 4;   // re-reading takes at most a fifth of the time
constexpr qint64 kNever = std::numeric_limits<qint64>::max() / 2;
}  // namespace

FolderWatcher::FolderWatcher(QObject* parent) : QObject(parent)
{
    settle_.setSingleShot(true);
    connect(&settle_, &QTimer::timeout, this, &FolderWatcher::settled);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (settle_.isActive())
            return;
        // After a quiet spell the lists follow at once; while changes keep coming, re-reading
        // waits until it has been idle for a few times what it last cost.
        const qint64 rested = sinceLast_.isValid() ? sinceLast_.elapsed() : kNever;
        settle_.start(int(std::max<qint64>(kSettleMs, kBusyShareFactor * lastCostMs_ - rested)));
    });
}

FolderWatcher::~FolderWatcher() { release(); }

void FolderWatcher::release()
{
    const QStringList watched = watcher_.directories();
    if (!watched.isEmpty())
        watcher_.removePaths(watched);
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
}

void FolderWatcher::watch(const QString& folder)
{
    if (folder == folder_ && !watcher_.directories().isEmpty())
        return;
    release();
    folder_ = folder;
    if (folder.isEmpty())
        return;
    const QByteArray encoded = encodePath(folder);
    if (encoded == folder.toUtf8()) {
        watcher_.addPath(folder);
        return;
    }
    // Qt hands watched paths to the system as UTF-8, which cannot carry a name's undecodable
    // bytes; such a folder is watched through a descriptor of ours, by its /proc/self/fd link.
    descriptor_ = ::open(encoded.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (descriptor_ >= 0)
        watcher_.addPath(QStringLiteral("/proc/self/fd/%1").arg(descriptor_));
}

void FolderWatcher::settled()
{
    QElapsedTimer work;
    work.start();
    emit changed();
    lastCostMs_ = work.elapsed();
    sinceLast_.start();
}

}  // namespace lumarel
