#pragma once
// Path rules of the main window: joining a list's folder with a chosen name, and the files that
// ship beside the program.

#include <QString>

namespace lumarel {

// folder + separator + name, except when the folder already ends with the separator (a root).
QString joinFolderPath(const QString& folder, const QString& name);
// The help file: folder (blanks trimmed) + "Lmr.HLP", with a separator unless it ends with one.
QString helpFilePath(const QString& programFolder);
// The logo: always folder + separator + "Lmrlogo.bmp" (no test for a root folder).
QString logoPath(const QString& programFolder);

}  // namespace lumarel
