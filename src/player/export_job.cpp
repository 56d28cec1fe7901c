#include "player/export_job.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QProgressDialog>

#include "model/visible_name.h"

namespace lumarel {

ExportJob::ExportJob(const ExportRequest& request, QWidget* parent) : QObject(parent)
{
    dialog_ = new QProgressDialog(parent);
    dialog_->setObjectName(QStringLiteral("exportProgress"));
    dialog_->setWindowTitle(QStringLiteral("Export"));
    dialog_->setLabelText(QStringLiteral("Exporting %1…").arg(visibleName(QFileInfo(request.output).fileName())));
    dialog_->setRange(0, 1000);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    // Not modal: the player and the main window go on while the export runs.
    dialog_->setWindowModality(Qt::NonModal);
    connect(dialog_, &QProgressDialog::canceled, this, [this] { cancel(); });
    dialog_->show();

    worker_ = std::thread([this, request] {
        const ExportOutcome outcome = exportSong(request, &cancel_, [this](const ExportProgress& progress) {
            QMetaObject::invokeMethod(this, [this, progress] { showProgress(progress); }, Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(this, [this, outcome] { end(outcome); }, Qt::QueuedConnection);
    });
}

ExportJob::~ExportJob()
{
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
    delete dialog_;
}

void ExportJob::showProgress(const ExportProgress& progress)
{
    if (!dialog_ || done_)
        return;
    dialog_->setValue(int(progress.fraction * 1000));
    if (progress.framesTotal > 0)
        dialog_->setLabelText(QStringLiteral("Exporting: frame %1 of %2").arg(progress.framesDone).arg(progress.framesTotal));
}

void ExportJob::end(const ExportOutcome& outcome)
{
    if (done_)
        return;
    done_ = true;
    if (worker_.joinable())
        worker_.join();
    if (dialog_)
        dialog_->close();
    emit finished(outcome);
}

}  // namespace lumarel
