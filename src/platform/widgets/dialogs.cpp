#include "platform/widgets/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace lumarel {

namespace {

QString ask(QWidget* parent, const FileDialogSettings& settings, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, settings.title, settings.folder);
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptOpen)
        dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails, !settings.showPatterns);
    dialog.setNameFilters(settings.filters);
    if (!settings.filters.isEmpty())
        dialog.selectNameFilter(settings.filters.constFirst());
    dialog.setDefaultSuffix(settings.defaultSuffix);
    if (settings.suffixFromFilter) {
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            // "MP4 video (*.mp4)" gives "mp4".
            const qsizetype star = filter.indexOf(QLatin1String("*."));
            if (star >= 0)
                dialog.setDefaultSuffix(filter.mid(star + 2).section(QRegularExpression(QStringLiteral("[ )]")), 0, 0));
        });
    }
    if (!settings.fileName.isEmpty())
        dialog.selectFile(settings.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

void QtDialogs::message(QWidget* parent, const QString& title, const QString& text, Icon icon)
{
    const QMessageBox::Icon shown = icon == Icon::Information ? QMessageBox::Information : QMessageBox::Warning;
    QMessageBox box(shown, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString QtDialogs::openFileName(QWidget* parent, const FileDialogSettings& settings)
{
    return ask(parent, settings, QFileDialog::AcceptOpen);
}

QString QtDialogs::saveFileName(QWidget* parent, const FileDialogSettings& settings)
{
    return ask(parent, settings, QFileDialog::AcceptSave);
}

}  // namespace lumarel
