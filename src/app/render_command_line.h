#pragma once
// The command line of lumarel-render, read without any window: what to render, or a request for
// help or the version, or one clear line saying what is wrong.

#include <QString>
#include <QStringList>
#include <variant>

#include "export/song_export.h"

namespace lumarel {

struct RenderCommand {
    ExportRequest request;
    bool quiet = false;  // no progress on the terminal
};
struct RenderHelp {};
struct RenderVersion {};
struct RenderUsageError {
    QString text;
};

using RenderArguments = std::variant<RenderCommand, RenderHelp, RenderVersion, RenderUsageError>;

// arguments: without the program's own name.
RenderArguments parseRenderArguments(const QStringList& arguments);

// The text of --help.
QString renderHelpText();

// One line of progress for a terminal of `columns` characters: a bar, the percentage, the frames,
// the speed as a multiple of real time and the time left.
QString renderProgressLine(const ExportProgress& progress, int columns);

}  // namespace lumarel
