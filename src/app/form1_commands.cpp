// The main window's copy and save commands.
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>

#include "app/form1.h"
#include "app/form2.h"
#include "platform/visible_name.h"

namespace lumarel {

void Form1::copyPicture()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(Picture4->picture());
}

void Form1::saveBitmap()
{
    copyPicture();

    const QString fileName = askSaveFileName ? askSaveFileName() : [this] {
        // It opens where the user is browsing pictures.
        QFileDialog dialog(this, QString(), filListBmp->path());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters({QStringLiteral("Files Bmp (*.BMP)"), QStringLiteral("Tutti i files (*.*)")});
        dialog.selectNameFilter(QStringLiteral("Files Bmp (*.BMP)"));
        dialog.setDefaultSuffix(QStringLiteral("bmp"));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().constFirst()
                   : QString();
    }();
    if (fileName.isEmpty())
        return;  // cancelled: nothing more, silently

    // The picture goes through the clipboard and the hidden window as a plain bitmap.
    QImage bitmap = QGuiApplication::clipboard()->image();
    if (bitmap.isNull())
        bitmap = Picture4->picture();
    bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    form2().Picture1->setPicture(bitmap);

    QImageWriter writer(fileName, "BMP");
    if (bitmap.isNull() || !writer.write(bitmap)) {
        const QString why = bitmap.isNull() ? QStringLiteral("there is no picture to save") : writer.errorString();
        showMessage(QStringLiteral("Cannot save \"%1\": %2").arg(visibleName(QFileInfo(fileName).fileName()), why));
        return;
    }
    setWindowTitle(QStringLiteral("Lumarel - ") + visibleName(fileName));
}

}  // namespace lumarel
