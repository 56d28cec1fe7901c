// Feeds arbitrary bytes to the map reader. Besides crashes, it checks the reader against the line
// tokenizer: the palette must be what splitting the lines and tokenizing each one gives, and a
// refused input must leave the palette untouched.

#include <QByteArray>
#include <QList>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "maps/map_file.h"

namespace {

lumarel::MapPalette startingPalette()
{
    lumarel::MapPalette palette;
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = {std::uint8_t(i), std::uint8_t(i ^ 0x5A), 77, 3};
    return palette;
}

int channelValue(const QString& digits)
{
    // Digits only; anything past three significant digits is above 255 anyway.
    int value = 0;
    for (const QChar ch : digits)
        value = std::min(value * 10 + (ch.unicode() - u'0'), 1000);
    return std::min(value, 255);
}

// The palette the reader should make: lines end at LF, CR or CRLF, at most 256 are used.
bool expectedPalette(const QByteArray& bytes, lumarel::MapPalette& palette)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size() && lines.size() < 256; ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.append(bytes.mid(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size() && lines.size() < 256)
        lines.append(bytes.mid(start));

    bool anyColour = false;
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const auto tokens = lumarel::splitMapLine(QString::fromLatin1(lines[k]));
        lumarel::PaletteEntry entry;
        if (!tokens[0].isEmpty() && !tokens[1].isEmpty() && !tokens[2].isEmpty()) {
            entry.red = std::uint8_t(channelValue(tokens[0]));
            entry.green = std::uint8_t(channelValue(tokens[1]));
            entry.blue = std::uint8_t(channelValue(tokens[2]));
            anyColour = true;
        }
        palette[std::size_t(k)] = entry;
    }
    return anyColour;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    lumarel::MapPalette palette = startingPalette();
    const lumarel::MapReadResult result = lumarel::readMapData(bytes, palette);
    if (result.linesRead < 0 || result.linesRead > 256 || result.ok != result.error.isEmpty())
        std::abort();
    if (bytes.size() > lumarel::kMaxMapBytes)
        return 0;

    lumarel::MapPalette expected = startingPalette();
    const bool accepted = expectedPalette(bytes, expected);
    if (accepted != result.ok)
        std::abort();
    if (palette != (accepted ? expected : startingPalette()))
        std::abort();
    return 0;
}
