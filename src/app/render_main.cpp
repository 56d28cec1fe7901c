// lumarel-render: what a song paints on a picture, exported to a video or a GIF from the
// command line.
#include <QCoreApplication>
#include <QFileInfo>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

#include "app/render_command_line.h"
#include "model/version.h"
#include "model/visible_name.h"

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void requestStop(int)
{
    stopRequested = true;
}

int terminalColumns()
{
    winsize size{};
    return ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20 ? size.ws_col : 80;
}

void say(const QString& text)
{
    std::fprintf(stderr, "lumarel-render: %s\n", text.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumarel-render"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(lumarel::version::kText));

    const lumarel::RenderArguments parsed = lumarel::parseRenderArguments(QCoreApplication::arguments().mid(1));
    if (std::holds_alternative<lumarel::RenderHelp>(parsed)) {
        std::fputs(lumarel::renderHelpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (std::holds_alternative<lumarel::RenderVersion>(parsed)) {
        std::printf("lumarel-render %s\n", lumarel::version::kText);
        return 0;
    }
    if (const auto* wrong = std::get_if<lumarel::RenderUsageError>(&parsed)) {
        say(wrong->text);
        return 2;
    }
    const lumarel::RenderCommand& command = std::get<lumarel::RenderCommand>(parsed);

    // Ctrl+C stops the export at the next frame; nothing is left behind.
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    const bool showProgress = !command.quiet && isatty(STDERR_FILENO);
    const int columns = terminalColumns();
    const lumarel::ExportOutcome outcome =
        lumarel::exportSong(command.request, &stopRequested, [&](const lumarel::ExportProgress& progress) {
            if (showProgress)
                std::fprintf(stderr, "\r%s", lumarel::renderProgressLine(progress, columns - 1).toLocal8Bit().constData());
        });
    if (showProgress)
        std::fputs("\n", stderr);
    if (stopRequested) {
        say(QStringLiteral("stopped; nothing was written"));
        return 130;
    }
    if (!outcome.ok) {
        say(outcome.error);
        return 1;
    }
    if (!command.quiet) {
        say(QStringLiteral("wrote %1: %2 frames, %3x%4, %5 s in %6 s (%7x real time)")
                .arg(lumarel::visibleName(QFileInfo(command.request.output).fileName()))
                .arg(outcome.frames)
                .arg(outcome.size.width())
                .arg(outcome.size.height())
                .arg(outcome.outputSeconds, 0, 'f', 1)
                .arg(outcome.wallSeconds, 0, 'f', 1)
                .arg(outcome.wallSeconds > 0 ? outcome.outputSeconds / outcome.wallSeconds : 0.0, 0, 'f', 1));
    }
    return 0;
}
