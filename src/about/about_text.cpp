#include "about/about_text.h"

namespace lumarel {

ProgramVersion programVersion()
{
    return {LUMAREL_VERSION_MAJOR, LUMAREL_VERSION_MINOR, LUMAREL_VERSION_PATCH};
}

QString aboutCaption(const QString& title) { return QStringLiteral("About ") + title; }

QString versionLine(const ProgramVersion& version)
{
    return QStringLiteral("Version %1.%2.%3").arg(version.major).arg(version.minor).arg(version.revision);
}

}  // namespace lumarel
