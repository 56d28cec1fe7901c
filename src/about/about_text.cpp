#include "about/about_text.h"

#include "model/version.h"

namespace lumarel {

ProgramVersion programVersion()
{
    return {version::kMajor, version::kMinor, version::kPatch};
}

QString aboutCaption(const QString& title) { return QStringLiteral("About ") + title; }

QString versionLine(const ProgramVersion& version)
{
    return QStringLiteral("Version %1.%2.%3").arg(version.major).arg(version.minor).arg(version.revision);
}

}  // namespace lumarel
