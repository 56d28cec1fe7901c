// The main window's copy and save commands.
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>

#include "app/form1.h"
#include "app/form2.h"
#include "model/visible_name.h"
#include "platform/widgets/dialogs.h"
#include "platform/widgets/file_list.h"
#include "platform/widgets/picture_box.h"

namespace lumarel {

void Form1::copyPicture()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(Picture4->image());
}

void Form1::saveBitmap()
{
    copyPicture();

    FileDialogSettings settings;
    settings.filters = {QStringLiteral("Files Bmp (*.BMP)"), QStringLiteral("Tutti i files (*.*)")};
    settings.defaultSuffix = QStringLiteral("bmp");
    settings.folder = filListBmp->path();  // the folder being browsed
    const QString fileName = dialogs_.saveFileName(this, settings);
    if (fileName.isEmpty())
        return;  // cancelled: nothing more, silently

    // The picture goes through the clipboard and the hidden window as a plain bitmap.
    QImage bitmap = QGuiApplication::clipboard()->image();
    if (bitmap.isNull())
        bitmap = Picture4->image();
    bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    form2().picture()->setImage(bitmap);

    QImageWriter writer(fileName, "BMP");
    if (bitmap.isNull() || !writer.write(bitmap)) {
        const QString why = bitmap.isNull() ? QStringLiteral("there is no picture to save") : writer.errorString();
        dialogs_.message(this, QStringLiteral("Lumarel"),
                         QStringLiteral("Cannot save \"%1\": %2").arg(visibleName(QFileInfo(fileName).fileName()), why));
        return;
    }
    setWindowTitle(QStringLiteral("Lumarel - ") + visibleName(fileName));
}

}  // namespace lumarel
