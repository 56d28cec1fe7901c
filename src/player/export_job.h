#pragma once
// An export started from the player: it runs on a thread of its own while a progress dialog with
// Cancel shows how far it is; the windows stay responsive and a song that plays goes on.

#include <QObject>
#include <QPointer>
#include <atomic>
#include <memory>
#include <thread>

#include "export/song_export.h"

class QProgressDialog;
class QWidget;

namespace lumarel {

class ExportJob : public QObject {
    Q_OBJECT
public:
    // Starts at once; parent shows the progress dialog.
    ExportJob(const ExportRequest& request, QWidget* parent);
    ~ExportJob() override;  // cancels and waits for the thread

    void cancel() { cancel_ = true; }
    bool running() const { return !done_; }

signals:
    // The export ended: ok, or the reason (a cancel gives cancelled true).
    void finished(const lumarel::ExportOutcome& outcome);

private:
    void showProgress(const ExportProgress& progress);
    void end(const ExportOutcome& outcome);

    std::atomic<bool> cancel_{false};
    bool done_ = false;
    QPointer<QProgressDialog> dialog_;
    std::thread worker_;
};

}  // namespace lumarel
