// "Export video…": the loaded song over the main window's picture, to a video or a GIF, while
// the windows go on.
#include <QAction>
#include <QFileInfo>

#include "model/visible_name.h"
#include "platform/widgets/dialogs.h"
#include "player/export_job.h"
#include "player/form3.h"

namespace lumarel {

void Form3::createExportAction()
{
    // A shortcut, and the window's context menu (createSoundMenu): no control of the window moves.
    exportAction_ = new QAction(QStringLiteral("Export video…"), this);
    exportAction_->setObjectName(QStringLiteral("exportVideo"));
    exportAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    exportAction_->setShortcutContext(Qt::WindowShortcut);
    addAction(exportAction_);
    connect(exportAction_, &QAction::triggered, this, [this] { exportVideo(); });
}

void Form3::exportVideo()
{
    if (export_ && export_->running())
        return;
    if (Midifile1.fileName().isEmpty() || !Midifile1.isOpen()) {
        dialogs_.message(this, QStringLiteral("Lumarel"), QStringLiteral("Open a MIDI file first: the export plays its song."));
        return;
    }
    FileDialogSettings settings;
    settings.title = QStringLiteral("Export video");
    settings.filters = {QStringLiteral("MP4 video (*.mp4)"), QStringLiteral("WebM video (*.webm)"),
                        QStringLiteral("Animated GIF (*.gif)")};
    settings.defaultSuffix = QStringLiteral("mp4");
    settings.suffixFromFilter = true;
    settings.folder = QFileInfo(Midifile1.fileName()).absolutePath();
    // The song's name, without a suffix: the chosen type adds its own.
    settings.fileName = QFileInfo(Midifile1.fileName()).completeBaseName();
    const QString output = dialogs_.saveFileName(this, settings);
    if (output.isEmpty())
        return;
    ExportRequest request;
    request.song = Midifile1.fileName();
    request.picture = state_.imagePath;
    request.output = output;
    export_ = std::make_unique<ExportJob>(request, this);
    connect(export_.get(), &ExportJob::finished, this, [this](const ExportOutcome& outcome) {
        if (!outcome.ok && !outcome.cancelled)
            dialogs_.message(this, QStringLiteral("Lumarel"), outcome.error);
    });
}

}  // namespace lumarel
