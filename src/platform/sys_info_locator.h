#pragma once
// Finds the program that shows the computer's system information: first through the two registry
// entries that name the system's viewer, then, on a desktop without that registry, among the
// desktop's own system-information programs on the PATH. Window-free: the registry, the file
// check and the PATH search are passed in.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "platform/registry_reader.h"

namespace lumarel {

using FileExistsCheck = std::function<bool(const QString& path)>;
// Returns the full path of an executable program called name, or an empty string.
using ProgramLookup = std::function<QString(const QString& name)>;

// Registry entries of the system's viewer: the first holds its full path, the second the folder
// that holds kSysInfoProgramName.
inline const QString kSysInfoPathKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
inline const QString kSysInfoPathValue = QStringLiteral("PATH");
inline const QString kSysInfoFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
inline const QString kSysInfoFolderValue = QStringLiteral("MSINFO");
inline const QString kSysInfoProgramName = QStringLiteral("\\MSINFO32.EXE");

// Desktop system-information programs, most detailed first.
QStringList desktopSysInfoPrograms();

// The program to start, or nothing when no viewer can be found.
std::optional<QString> findSysInfoProgram(RegistryReader& registry, const FileExistsCheck& fileExists,
                                          const ProgramLookup& findProgram);

// The full path of the executable file called name in one of the folders of pathVariable
// (separated as the platform's PATH is), or an empty string. Empty entries are skipped.
QString findProgramOnPath(const QString& name, const QString& pathVariable);

}  // namespace lumarel
