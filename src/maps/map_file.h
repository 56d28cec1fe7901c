#pragma once
// Reading .map colour maps: plain text, one colour per line as three decimal numbers (red, green,
// blue), optionally followed by comment text.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>

#include "model/palette_types.h"

namespace lumarel {

// The first three runs of decimal digits in a line, each a string of digits or empty when the line
// holds fewer numbers. Every character that is not 0-9 separates numbers (spaces, tabs, commas,
// signs, decimal points, letters), so "1.5 2 3" gives 1, 5, 2 and "-1 2 3" gives 1, 2, 3.
std::array<QString, 3> splitMapLine(QStringView line);

struct MapReadResult {
    bool ok = false;
    QString error;      // for the user, naming the file; empty when ok
    int linesRead = 0;  // lines taken into the palette, at most 256
};

// The largest part of a file the reader looks at before its 256th line has ended. Real maps are a
// few kilobytes; past this the file is refused instead of being read on and on.
inline constexpr qsizetype kMaxMapBytes = 16 * 1024 * 1024;

// Reads map text into palette, line k (from 1) into entry k - 1, flags 0. Lines end at LF, CR or
// CRLF; a final line end makes no extra entry. A value above 255 counts as 255; a line with fewer
// than three numbers gives black; lines after the 256th are ignored; entries past the last line
// keep what they held. Text in which no line holds three numbers is refused, and then palette is
// left exactly as it was.
MapReadResult readMapData(const QByteArray& bytes, MapPalette& palette);

// The same for a file on disk, read only as far as its 256th line. A file that cannot be opened or
// read is refused with the system's reason, and palette is left as it was.
MapReadResult readMapFile(const QString& path, MapPalette& palette);

}  // namespace lumarel
