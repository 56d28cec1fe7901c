#include "app/render_command_line.h"

#include <QRegularExpression>
#include <cmath>

namespace lumarel {

namespace {

RenderUsageError usage(const QString& text) { return {text}; }

// "1280x720" to a size; empty on anything else.
QSize sizeOf(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
}

QString clock(double seconds)
{
    const int whole = int(std::lround(std::max(0.0, seconds)));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

RenderArguments parseRenderArguments(const QStringList& arguments)
{
    RenderCommand command;
    QStringList positional;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return RenderHelp{};
        if (arg == QLatin1String("--version"))
            return RenderVersion{};
        if (arg == QLatin1String("--quiet") || arg == QLatin1String("-q")) {
            command.quiet = true;
            continue;
        }
        if (arg == QLatin1String("--")) {
            positional += arguments.mid(i + 1);
            break;
        }
        const bool takesValue = arg == QLatin1String("-o") || arg == QLatin1String("--output")
                                || arg == QLatin1String("--size") || arg == QLatin1String("--fps")
                                || arg == QLatin1String("--soundfont") || arg == QLatin1String("--save-map");
        if (takesValue) {
            if (i + 1 >= arguments.size())
                return usage(QStringLiteral("%1 needs a value").arg(arg));
            const QString value = arguments[++i];
            if (arg == QLatin1String("-o") || arg == QLatin1String("--output")) {
                command.request.output = value;
            } else if (arg == QLatin1String("--size")) {
                command.request.size = sizeOf(value);
                if (command.request.size.isEmpty())
                    return usage(QStringLiteral("--size takes WIDTHxHEIGHT in pixels, such as 1280x720, not \"%1\"").arg(value));
            } else if (arg == QLatin1String("--fps")) {
                bool number = false;
                command.request.fps = value.toInt(&number);
                if (!number || command.request.fps < 1 || command.request.fps > kMaxExportFps)
                    return usage(QStringLiteral("--fps takes a whole number from 1 to %1, not \"%2\"").arg(kMaxExportFps).arg(value));
            } else if (arg == QLatin1String("--soundfont")) {
                command.request.soundFont = value;
            } else {
                command.request.mapFile = value;
            }
            continue;
        }
        if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
            return usage(QStringLiteral("unknown option %1 (see --help)").arg(arg));
        positional << arg;
    }
    if (positional.size() != 2)
        return usage(QStringLiteral("give a song and a picture, then -o and the file to write (see --help)"));
    if (command.request.output.isEmpty())
        return usage(QStringLiteral("give the file to write with -o (.mp4, .webm or .gif)"));
    command.request.song = positional[0];
    command.request.picture = positional[1];
    return command;
}

QString renderHelpText()
{
    return QStringLiteral(
        "Usage: lumarel-render SONG PICTURE -o OUT [options]\n"
        "Renders what a MIDI song paints on a picture's colours into a video with the song's sound,\n"
        "or into a looping GIF. The format follows the extension of OUT:\n"
        "  .mp4   H.264 video and AAC sound\n"
        "  .webm  VP9 video and Opus sound\n"
        "  .gif   a silent GIF that loops, one frame per change of colours\n"
        "\n"
        "Options:\n"
        "  -o, --output FILE   the file to write\n"
        "  --size WxH          the size of the output in pixels (a video: 1280x720; a GIF: the\n"
        "                      picture's own); the picture keeps its aspect, with black bars\n"
        "  --fps N             video frames a second, 1 to 120 (30)\n"
        "  --soundfont FILE    the SoundFont to play the song with (the built-in synth's)\n"
        "  --save-map FILE     also write the last generated map as a .map file\n"
        "  -q, --quiet         no progress on the terminal\n"
        "  -h, --help          this text\n"
        "  --version           the program's version\n"
        "\n"
        "Nothing is left behind when the export fails or is stopped (Ctrl+C).\n");
}

QString renderProgressLine(const ExportProgress& progress, int columns)
{
    const double fraction = std::clamp(progress.fraction, 0.0, 1.0);
    QString tail = QStringLiteral(" %1%").arg(int(std::floor(fraction * 100)), 3);
    if (progress.framesTotal > 0)
        tail += QStringLiteral("  frames %1/%2").arg(progress.framesDone).arg(progress.framesTotal);
    if (progress.outputSeconds > 0 && progress.elapsedSeconds > 0 && fraction > 0) {
        const double speed = fraction * progress.outputSeconds / progress.elapsedSeconds;
        tail += QStringLiteral("  %1x").arg(speed, 0, 'f', 1);
    }
    if (fraction > 0.01 && progress.elapsedSeconds > 0)
        tail += QStringLiteral("  %1 left").arg(clock(progress.elapsedSeconds * (1 - fraction) / fraction));
    const int barWidth = std::max(10, columns - int(tail.size()) - 3);
    const int filled = int(std::floor(fraction * barWidth));
    return QLatin1Char('[') + QString(filled, QLatin1Char('#')) + QString(barWidth - filled, QLatin1Char(' ')) + QLatin1Char(']')
           + tail;
}

}  // namespace lumarel
