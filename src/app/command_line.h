#pragma once
// The program's command line, `lumarel [OPTION]... [FILE]...`, read before any window exists:
// files to open, --help and --version, and the toolkit's own options, which are handed on to it.

#include <QString>
#include <QStringList>

#include "app/open_request.h"

namespace lumarel {

struct CommandLine {
    enum class Action {
        Run,      // start the program and open files
        Help,     // print helpText() and end
        Version,  // print versionText() and end
        Fail,     // print error (one line) on stderr and end with exitCode
    };
    Action action = Action::Run;
    OpenRequest files;        // absolute paths of existing, readable files of known kinds
    QStringList qtArguments;  // the toolkit's options with their values, in their order
    QString error;            // for Fail: one line, starting with "lumarel: "
    int exitCode = 0;         // for Fail: 2 for a wrong option, 1 for a file that cannot be opened
};

// arguments: the command line without the program's name. Relative file names are taken from
// currentFolder. Files are checked here (they exist, are regular files and can be read), so a
// wrong command line ends the program before a window opens.
CommandLine parseCommandLine(const QStringList& arguments, const QString& currentFolder);

QString helpText();
QString versionText();

}  // namespace lumarel
