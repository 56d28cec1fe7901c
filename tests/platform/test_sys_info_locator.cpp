#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/get_key_value.h"
#include "platform/sys_info_locator.h"
#include "fake_registry.h"

namespace lumarel {
namespace {

QByteArray nulTerminated(const char* text) { return QByteArray(text) + '\0'; }

struct Lookups {
    QStringList checkedFiles;
    QStringList searchedPrograms;
    QStringList existingFiles;
    QMap<QString, QString> programs;  // name -> path

    FileExistsCheck fileExists()
    {
        return [this](const QString& path) {
            checkedFiles << path;
            return existingFiles.contains(path);
        };
    }
    ProgramLookup findProgram()
    {
        return [this](const QString& name) {
            searchedPrograms << name;
            return programs.value(name);
        };
    }
};

TEST(FindSysInfoProgram, FirstRegistryEntryWinsWheneverItExists)
{
    test::FakeRegistry registry;
    registry.set(kSysInfoPathKey, kSysInfoPathValue, kRegTypeString, nulTerminated("D:\\Info\\msinfo32.exe"));
    registry.set(kSysInfoFolderKey, kSysInfoFolderValue, kRegTypeString, nulTerminated("C:\\Shared"));
    Lookups lookups;
    lookups.existingFiles << "C:\\Shared\\MSINFO32.EXE";
    lookups.programs["hardinfo"] = "/usr/bin/hardinfo";

    const auto program = findSysInfoProgram(registry, lookups.fileExists(), lookups.findProgram());
    ASSERT_TRUE(program.has_value());
    EXPECT_EQ(*program, QStringLiteral("D:\\Info\\msinfo32.exe"));
    // Neither the second entry, nor its folder, nor the PATH was looked at; the path is not checked.
    EXPECT_EQ(registry.openedNames, QStringList{kSysInfoPathKey});
    EXPECT_TRUE(lookups.checkedFiles.isEmpty());
    EXPECT_TRUE(lookups.searchedPrograms.isEmpty());
    EXPECT_EQ(registry.lastRoot, kHkeyLocalMachine);
}

TEST(FindSysInfoProgram, SecondEntryFolderOnlyWhenFirstIsMissing)
{
    test::FakeRegistry registry;
    registry.addKey(kSysInfoPathKey);  // the key exists, its PATH value does not
    registry.set(kSysInfoFolderKey, kSysInfoFolderValue, kRegTypeString, nulTerminated("C:\\Shared"));
    Lookups lookups;
    lookups.existingFiles << "C:\\Shared\\MSINFO32.EXE";

    auto program = findSysInfoProgram(registry, lookups.fileExists(), lookups.findProgram());
    ASSERT_TRUE(program.has_value());
    EXPECT_EQ(*program, QStringLiteral("C:\\Shared\\MSINFO32.EXE"));
    EXPECT_EQ(registry.openedNames, (QStringList{kSysInfoPathKey, kSysInfoFolderKey}));
    EXPECT_EQ(lookups.checkedFiles, QStringList{"C:\\Shared\\MSINFO32.EXE"});

    // The folder named but no viewer in it: the desktop's programs are searched next.
    Lookups noViewer;
    noViewer.programs["kinfocenter"] = "/usr/bin/kinfocenter";
    program = findSysInfoProgram(registry, noViewer.fileExists(), noViewer.findProgram());
    ASSERT_TRUE(program.has_value());
    EXPECT_EQ(*program, QStringLiteral("/usr/bin/kinfocenter"));
    EXPECT_EQ(noViewer.checkedFiles, QStringList{"C:\\Shared\\MSINFO32.EXE"});
}

TEST(FindSysInfoProgram, DesktopProgramsInTheirOrderThenNothing)
{
    NoRegistryReader registry;
    Lookups lookups;
    const QStringList candidates = desktopSysInfoPrograms();
    ASSERT_GE(candidates.size(), 2);
    // The two last candidates installed: the earlier of them is chosen.
    lookups.programs[candidates.last()] = "/opt/last";
    lookups.programs[candidates[candidates.size() - 2]] = "/opt/second-last";

    auto program = findSysInfoProgram(registry, lookups.fileExists(), lookups.findProgram());
    ASSERT_TRUE(program.has_value());
    EXPECT_EQ(*program, QStringLiteral("/opt/second-last"));
    EXPECT_EQ(lookups.searchedPrograms, candidates.mid(0, candidates.size() - 1));
    EXPECT_TRUE(lookups.checkedFiles.isEmpty());  // no registry folder, so no file to check

    Lookups nothing;
    EXPECT_FALSE(findSysInfoProgram(registry, nothing.fileExists(), nothing.findProgram()).has_value());
    EXPECT_EQ(nothing.searchedPrograms, candidates);
}

TEST(FindProgramOnPath, FindsOnlyExecutableFilesInThePathFolders)
{
    QTemporaryDir first;
    QTemporaryDir second;
    ASSERT_TRUE(first.isValid() && second.isValid());
    auto makeFile = [](const QString& path, bool executable) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        file.setPermissions(executable ? (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
                                       : (QFile::ReadOwner | QFile::WriteOwner));
    };
    makeFile(first.filePath("viewer"), false);  // not executable: skipped
    makeFile(second.filePath("viewer"), true);
    QDir(first.path()).mkdir("tool");  // a folder of that name is not a program
    makeFile(second.filePath("tool"), true);

    const QString path = first.path() + QDir::listSeparator() + QDir::listSeparator() + second.path();
    EXPECT_EQ(findProgramOnPath("viewer", path), second.filePath("viewer"));
    EXPECT_EQ(findProgramOnPath("tool", path), second.filePath("tool"));
    EXPECT_TRUE(findProgramOnPath("absent", path).isEmpty());
    EXPECT_TRUE(findProgramOnPath("viewer", QString()).isEmpty());
}

}  // namespace
}  // namespace lumarel
