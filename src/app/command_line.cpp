#include "app/command_line.h"

#include <QDir>
#include <QFileInfo>

#include "model/version.h"

namespace lumarel {

namespace {

// The toolkit's own options: those followed by a value, and those that stand alone. They may be
// written with one dash or two.
const QStringList qtOptionsWithValue = {
    QStringLiteral("platform"),   QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
    QStringLiteral("plugin"),     QStringLiteral("qwindowgeometry"),    QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"), QStringLiteral("session"),          QStringLiteral("display"),
    QStringLiteral("geometry"),   QStringLiteral("style"),              QStringLiteral("stylesheet"),
};
const QStringList qtFlags = {QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("sync"),
                             QStringLiteral("nograb"), QStringLiteral("dograb")};
// Options the toolkit also reads as "-name=value".
const QStringList qtOptionsWithJoinedValue = {QStringLiteral("style"), QStringLiteral("stylesheet"),
                                              QStringLiteral("qmljsdebugger")};

CommandLine failure(const QString& text, int exitCode)
{
    CommandLine result;
    result.action = CommandLine::Action::Fail;
    result.error = QStringLiteral("lumarel: ") + text;
    result.exitCode = exitCode;
    return result;
}

QString optionName(const QString& argument)
{
    return argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
}

// Why a file given on the command line cannot be opened, or empty when it can.
QString fileProblem(const QString& argument, const QString& path)
{
    const QFileInfo info(path);
    const QString quoted = QStringLiteral("'%1'").arg(argument);
    if (!info.exists())
        return QStringLiteral("cannot open %1: no such file").arg(quoted);
    if (info.isDir())
        return QStringLiteral("cannot open %1: it is a folder").arg(quoted);
    if (!info.isFile())
        return QStringLiteral("cannot open %1: it is not a regular file").arg(quoted);
    if (!info.isReadable())
        return QStringLiteral("cannot open %1: permission denied").arg(quoted);
    if (fileKindOf(path) == FileKind::Other)
        return QStringLiteral("cannot open %1: it is not a picture (.gif, .bmp), a map (.map) or a song "
                              "(.mid, .midi, .rmi, .kar)")
            .arg(quoted);
    return {};
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments, const QString& currentFolder)
{
    CommandLine result;
    const QDir here(currentFolder);
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool isOption = !optionsEnded && argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
        if (!isOption) {
            const QString path = QDir::cleanPath(here.absoluteFilePath(argument));
            if (const QString problem = fileProblem(argument, path); !problem.isEmpty())
                return failure(problem, 1);
            result.files.add(path);
            continue;
        }
        if (argument == u"--") {
            optionsEnded = true;
            continue;
        }
        if (argument == u"-h" || argument == u"--help") {
            result.action = CommandLine::Action::Help;
            return result;
        }
        if (argument == u"-v" || argument == u"--version") {
            result.action = CommandLine::Action::Version;
            return result;
        }
        const QString name = optionName(argument);
        const QString joinedName = name.section(QLatin1Char('='), 0, 0);
        if (name.contains(QLatin1Char('=')) && qtOptionsWithJoinedValue.contains(joinedName)) {
            result.qtArguments << argument;
        } else if (qtFlags.contains(name)) {
            result.qtArguments << argument;
        } else if (qtOptionsWithValue.contains(name)) {
            if (i + 1 >= arguments.size())
                return failure(QStringLiteral("option '%1' needs a value").arg(argument), 2);
            result.qtArguments << argument << arguments[i + 1];
            ++i;
        } else {
            return failure(QStringLiteral("unknown option '%1' (see 'lumarel --help')").arg(argument), 2);
        }
    }
    return result;
}

QString helpText()
{
    return QStringLiteral(
        "Usage: lumarel [OPTION]... [FILE]...\n"
        "Show fractal pictures and their colour maps, and let MIDI music drive their colours.\n"
        "\n"
        "Each FILE opens as if it had been chosen in the program: a picture (.gif, .bmp) is\n"
        "shown and the picture list moves to it; a map (.map) is chosen in the map list and\n"
        "drawn as a strip; a song (.mid, .midi, .rmi, .kar) is loaded into the player, ready\n"
        "to play. Of several files of one kind, the last one opens.\n"
        "\n"
        "Options:\n"
        "  -h, --help       show this help and exit\n"
        "  -v, --version    show the version and exit\n"
        "  --               take every later argument as a file name\n"
        "\n"
        "Qt's own options (such as -platform or -style) are handed on to Qt.\n"
        "\n"
        "A file that does not exist or cannot be read, or an unknown option, ends the program with\n"
        "a message and exit status 1 (a file) or 2 (an option) before any window opens.\n");
}

QString versionText()
{
    return QStringLiteral("lumarel %1\n").arg(QLatin1String(version::kText));
}

}  // namespace lumarel
