#pragma once
// Watches one folder and says when its entries may have changed (an entry made, removed, renamed,
// or the folder itself removed or moved). A burst of changes gives one signal: changed() comes a
// short while after the first change. The work it sets off is timed, and while changes keep
// coming the next signal waits for four times that work, so a folder that changes all the time
// cannot keep the window busy re-reading it.

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

namespace lumarel {

class FolderWatcher : public QObject {
    Q_OBJECT
public:
    explicit FolderWatcher(QObject* parent = nullptr);
    ~FolderWatcher() override;

    // Watches folder (a path codec string) instead of the previous one. Watching the same folder
    // again renews a watch the system dropped (a folder removed and made again).
    void watch(const QString& folder);
    QString folder() const { return folder_; }

signals:
    void changed();

private:
    void release();
    void settled();

    QFileSystemWatcher watcher_;
    QTimer settle_;          // single shot: runs from the first change of a burst
    QElapsedTimer sinceLast_;  // since the last signal's work ended
    qint64 lastCostMs_ = 0;    // what the work of the last signal cost
    QString folder_;
    int descriptor_ = -1;      // held open for a folder watched through /proc/self/fd
};

}  // namespace lumarel
