#include "maps/map_file.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include "model/regular_file.h"
#include "model/visible_name.h"

namespace lumarel {

namespace {

constexpr int kEntryCount = 256;

bool isMapDigit(char16_t ch)
{
    return ch >= u'0' && ch <= u'9';
}

// Reads map text as it arrives, in pieces of any size, into a palette. Lines are split here and
// their numbers taken in the same pass, so a file is never held whole and a huge line costs no
// memory. The numbers follow splitMapLine exactly (digit runs, any other character separates them);
// only their values are kept, capped so a long run of digits cannot overflow.
class MapTextReader {
public:
    explicit MapTextReader(MapPalette& palette) : palette_(palette) {}

    // Takes the next piece of the text. Returns false once nothing more is wanted: the 256th line
    // has ended, or the text has run past kMaxMapBytes before it.
    bool feed(const char* data, qsizetype size)
    {
        for (qsizetype i = 0; i < size && !finished(); ++i) {
            if (++bytesSeen_ > kMaxMapBytes) {
                tooLong_ = true;
                break;
            }
            const char ch = data[i];
            if (afterCr_) {
                afterCr_ = false;
                if (ch == '\n')
                    continue;  // the LF of a CRLF
            }
            if (ch == '\r' || ch == '\n') {
                endLine();
                afterCr_ = (ch == '\r');
                continue;
            }
            lineOpen_ = true;
            if (isMapDigit(char16_t(static_cast<unsigned char>(ch)))) {
                inNumber_ = true;
                value_ = std::min(value_ * 10 + (ch - '0'), 256);
            } else {
                endNumber();
            }
        }
        return !finished() && !tooLong_;
    }

    // The end of the text ends a last line that has no line end of its own.
    void finish()
    {
        if (lineOpen_ && !finished() && !tooLong_)
            endLine();
    }

    bool tooLong() const { return tooLong_; }
    int linesRead() const { return linesRead_; }
    int colourLines() const { return colourLines_; }

private:
    bool finished() const { return linesRead_ >= kEntryCount; }

    void endNumber()
    {
        if (!inNumber_)
            return;
        if (numberCount_ < 3)
            numbers_[numberCount_++] = std::min(value_, 255);
        inNumber_ = false;
        value_ = 0;
    }

    void endLine()
    {
        endNumber();
        PaletteEntry entry;  // black unless the line holds three numbers
        if (numberCount_ == 3) {
            entry.red = std::uint8_t(numbers_[0]);
            entry.green = std::uint8_t(numbers_[1]);
            entry.blue = std::uint8_t(numbers_[2]);
            ++colourLines_;
        }
        palette_[std::size_t(linesRead_)] = entry;
        ++linesRead_;
        numberCount_ = 0;
        lineOpen_ = false;
    }

    MapPalette& palette_;
    qsizetype bytesSeen_ = 0;
    int linesRead_ = 0;
    int colourLines_ = 0;    // lines that held three numbers
    bool afterCr_ = false;   // the last byte was a CR, so an LF now belongs to it
    bool lineOpen_ = false;  // bytes of a line have arrived since the last line end
    bool tooLong_ = false;
    std::array<int, 3> numbers_{};
    int numberCount_ = 0;
    bool inNumber_ = false;
    int value_ = 0;  // the number being read, capped at 256
};

// Checks what the reader made of the whole text; on success the parsed copy replaces palette.
MapReadResult conclude(const MapTextReader& reader, const MapPalette& parsed, MapPalette& palette,
                       const QString& quotedName)
{
    MapReadResult result;
    if (reader.tooLong()) {
        result.error = QStringLiteral("%1 is not a colour map: its lines are far too long").arg(quotedName);
        return result;
    }
    if (reader.colourLines() == 0) {
        result.error = QStringLiteral("%1 is not a colour map: no line holds three numbers").arg(quotedName);
        return result;
    }
    palette = parsed;
    result.ok = true;
    result.linesRead = reader.linesRead();
    return result;
}

QString quoted(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

}  // namespace

std::array<QString, 3> splitMapLine(QStringView line)
{
    qsizetype first = 0;
    qsizetype last = line.size();
    while (first < last && line[first] == u' ')
        ++first;
    while (last > first && line[last - 1] == u' ')
        --last;
    // The added blank ends a number that runs to the end of the line.
    const QString s = line.sliced(first, last - first).toString() + QLatin1Char(' ');

    std::array<QString, 3> tokens;
    std::size_t tokenCount = 0;
    QString current;
    bool inNumber = false;
    for (qsizetype position = 0; position < s.size() && tokenCount < tokens.size(); ++position) {
        const QChar ch = s[position];
        if (isMapDigit(ch.unicode())) {
            current += ch;
            inNumber = true;
        } else if (inNumber) {
            tokens[tokenCount++] = current;
            current.clear();
            inNumber = false;
        }
    }
    return tokens;
}

MapReadResult readMapData(const QByteArray& bytes, MapPalette& palette)
{
    MapPalette parsed = palette;
    MapTextReader reader(parsed);
    if (reader.feed(bytes.constData(), bytes.size()))
        reader.finish();
    return conclude(reader, parsed, palette, QStringLiteral("The text"));
}

MapReadResult readMapFile(const QString& path, MapPalette& palette)
{
    const QString name = quoted(visibleName(QFileInfo(path).fileName()));
    MapReadResult failed;
    // Only a regular file is read; its size does not matter, as the reader stops by itself.
    const RegularFile opened = openRegularFile(path, QStringLiteral("a map"), kAnySize);
    if (!opened.file) {
        failed.error = opened.error;
        return failed;
    }
    QFile& file = *opened.file;

    MapPalette parsed = palette;
    MapTextReader reader(parsed);
    std::array<char, 64 * 1024> buffer;
    for (;;) {
        const qint64 got = file.read(buffer.data(), qint64(buffer.size()));
        if (got < 0) {
            failed.error = QStringLiteral("Cannot read the map file %1: %2").arg(name, file.errorString());
            return failed;
        }
        if (got == 0) {
            reader.finish();
            break;
        }
        if (!reader.feed(buffer.data(), qsizetype(got)))
            break;
    }
    return conclude(reader, parsed, palette, name);
}

}  // namespace lumarel
