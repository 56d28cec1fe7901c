#include "platform/mount_watcher.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

namespace lumarel {

MountWatcher::MountWatcher(QObject* parent) : QObject(parent)
{
    descriptor_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (descriptor_ < 0)
        return;  // no mount table to watch: the drives stay as they were first listed
    notifier_ = new QSocketNotifier(descriptor_, QSocketNotifier::Exception, this);
    // The system reports each change once, to the first poll after it.
    connect(notifier_, &QSocketNotifier::activated, this, &MountWatcher::changed);
}

MountWatcher::~MountWatcher()
{
    delete notifier_;
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

}  // namespace lumarel
