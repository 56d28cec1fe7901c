#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QTimer>
#include <cstdio>
#include <vector>

#include "app/command_line.h"
#include "app/form1.h"
#include "app/program.h"
#include "model/version.h"

int main(int argc, char** argv)
{
    // The command line is read before anything of the toolkit exists: --help, --version and a
    // wrong command line need no display and open no window.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const lumarel::CommandLine line = lumarel::parseCommandLine(arguments, QDir::currentPath());
    switch (line.action) {
    case lumarel::CommandLine::Action::Help:
        std::fputs(lumarel::helpText().toLocal8Bit().constData(), stdout);
        return 0;
    case lumarel::CommandLine::Action::Version:
        std::fputs(lumarel::versionText().toLocal8Bit().constData(), stdout);
        return 0;
    case lumarel::CommandLine::Action::Fail:
        std::fprintf(stderr, "%s\n", line.error.toLocal8Bit().constData());
        return line.exitCode;
    case lumarel::CommandLine::Action::Run:
        break;
    }

    // The toolkit sees the program's name and its own options only.
    std::vector<QByteArray> qtArguments;
    qtArguments.reserve(std::size_t(line.qtArguments.size()));
    std::vector<char*> qtArgv{argv[0]};
    for (const QString& argument : line.qtArguments) {
        qtArguments.push_back(argument.toLocal8Bit());
        qtArgv.push_back(qtArguments.back().data());
    }
    int qtArgc = int(qtArgv.size());
    qtArgv.push_back(nullptr);

    QApplication app(qtArgc, qtArgv.data());
    QApplication::setApplicationName(QStringLiteral("Lumarel"));
    QApplication::setApplicationVersion(QString::fromLatin1(lumarel::version::kText));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.lumarel.Lumarel"));

    lumarel::Program program(QCoreApplication::applicationDirPath());
    program.show();
    // The files open once the windows are up, as if the user chose them.
    if (line.files.opensSomething())
        QTimer::singleShot(0, &program.mainWindow(), [&program, files = line.files] { program.openFiles(files); });
    return QApplication::exec();
}
