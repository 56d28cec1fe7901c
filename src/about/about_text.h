#pragma once
// The texts of the about window that follow from the program's name and version.

#include <QString>

namespace lumarel {

inline const QString kAppTitle = QStringLiteral("Lumarel");

struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

ProgramVersion programVersion();  // this build's version (the project's version in CMake)

// "About " followed by the title.
QString aboutCaption(const QString& title);
// "Version major.minor.revision", each number in decimal without leading zeros.
QString versionLine(const ProgramVersion& version);

}  // namespace lumarel
