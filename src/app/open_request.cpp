#include "app/open_request.h"

#include <QDir>
#include <QFileInfo>

namespace lumarel {

FileKind fileKindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"gif" || suffix == u"bmp")
        return FileKind::Picture;
    if (suffix == u"map")
        return FileKind::Map;
    if (suffix == u"mid" || suffix == u"midi" || suffix == u"rmi" || suffix == u"kar")
        return FileKind::Song;
    return FileKind::Other;
}

void OpenRequest::add(const QString& path)
{
    // Only files of this computer open; a web address dropped from a browser does not.
    if (!QDir::isAbsolutePath(path) || path.contains(QStringLiteral("://"))) {
        others << path;
        return;
    }
    switch (fileKindOf(path)) {
    case FileKind::Picture:
        picture = path;
        break;
    case FileKind::Map:
        map = path;
        break;
    case FileKind::Song:
        song = path;
        break;
    case FileKind::Other:
        others << path;
        break;
    }
}

OpenRequest openRequestFor(const QStringList& paths)
{
    OpenRequest request;
    for (const QString& path : paths)
        request.add(path);
    return request;
}

QString openableKinds()
{
    return QStringLiteral("pictures (.gif, .bmp), maps (.map) and songs (.mid, .midi, .rmi, .kar)");
}

QString refusedFilesText(const QStringList& others)
{
    QStringList names;
    for (const QString& path : others)
        names << QStringLiteral("\"%1\"").arg(QFileInfo(path).fileName());
    return QStringLiteral("%1 cannot be opened: Lumarel opens files on this computer that are %2.")
        .arg(names.join(QStringLiteral(", ")), openableKinds());
}

}  // namespace lumarel
