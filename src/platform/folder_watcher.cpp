#include "platform/folder_watcher.h"

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

#include "platform/path_codec.h"

namespace lumarel {

namespace {
constexpr int kSettleMs = 100;        // a burst of changes within this gives one signal
constexpr int kBusyShareFactor = 4;   // re-reading takes at most a fifth of the time
}  // namespace

FolderWatcher::FolderWatcher(QObject* parent) : QObject(parent)
{
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &FolderWatcher::settled);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!settle_.isActive())
            settle_.start();
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
    // The next burst waits for at least a few times what this one cost.
    settle_.setInterval(std::max<qint64>(kSettleMs, work.elapsed() * kBusyShareFactor));
}

}  // namespace lumarel
