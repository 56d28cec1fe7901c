#pragma once
// Says when a file system is mounted or unmounted. The system marks the mount table as changed
// with an exceptional condition on an open copy of it (POLLPRI), which a socket notifier of type
// Exception sees; no polling.

#include <QObject>

class QSocketNotifier;

namespace lumarel {

class MountWatcher : public QObject {
    Q_OBJECT
public:
    explicit MountWatcher(QObject* parent = nullptr);
    ~MountWatcher() override;

    bool isWatching() const { return descriptor_ >= 0; }

signals:
    void changed();

private:
    int descriptor_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace lumarel
