#include "app/paths.h"

#include <QDir>

#include "model/text.h"

namespace lumarel {

namespace {
const QChar kSep = QDir::separator();
}

QString joinFolderPath(const QString& folder, const QString& name)
{
    if (folder.endsWith(kSep))
        return folder + name;
    return folder + kSep + name;
}

QString helpFilePath(const QString& programFolder)
{
    const QString trimmed = trimmedBlanks(programFolder);
    if (trimmed.endsWith(kSep))
        return programFolder + QStringLiteral("Lmr.HLP");
    return programFolder + kSep + QStringLiteral("Lmr.HLP");
}

QString logoPath(const QString& programFolder)
{
    return programFolder + kSep + QStringLiteral("Lmrlogo.bmp");
}

}  // namespace lumarel
