#include "platform/sys_info_locator.h"

#include <QDir>
#include <QFileInfo>

#include "platform/get_key_value.h"

namespace lumarel {

QStringList desktopSysInfoPrograms()
{
    return {QStringLiteral("hardinfo2"),          QStringLiteral("hardinfo"),
            QStringLiteral("kinfocenter"),        QStringLiteral("gnome-system-monitor"),
            QStringLiteral("plasma-systemmonitor"), QStringLiteral("ksysguard"),
            QStringLiteral("mate-system-monitor"), QStringLiteral("xfce4-taskmanager")};
}

std::optional<QString> findSysInfoProgram(RegistryReader& registry, const FileExistsCheck& fileExists,
                                          const ProgramLookup& findProgram)
{
    QString value;
    if (GetKeyValue(registry, kHkeyLocalMachine, kSysInfoPathKey, kSysInfoPathValue, value))
        return value;
    if (GetKeyValue(registry, kHkeyLocalMachine, kSysInfoFolderKey, kSysInfoFolderValue, value)) {
        const QString program = value + kSysInfoProgramName;
        if (fileExists(program))
            return program;
    }
    for (const QString& name : desktopSysInfoPrograms()) {
        const QString program = findProgram(name);
        if (!program.isEmpty())
            return program;
    }
    return std::nullopt;
}

QString findProgramOnPath(const QString& name, const QString& pathVariable)
{
    const QStringList folders = pathVariable.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString& folder : folders) {
        const QFileInfo candidate(QDir(folder), name);
        if (candidate.isFile() && candidate.isExecutable())
            return candidate.absoluteFilePath();
    }
    return {};
}

}  // namespace lumarel
