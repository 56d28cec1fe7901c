#include "maps/map_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

#include <unistd.h>

#include "support/test_support.h"

namespace lumarel {
namespace {

using Tokens = std::array<QString, 3>;

Tokens tokens(const char* a, const char* b, const char* c)
{
    return {QString::fromLatin1(a), QString::fromLatin1(b), QString::fromLatin1(c)};
}

// A palette whose every entry is distinct and none is black, to see which entries a read touched.
MapPalette markedPalette()
{
    MapPalette palette;
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = {std::uint8_t(i), 200, std::uint8_t(255 - i), 7};
    return palette;
}

// Line k (from 0) holds the colour (k, k + 1, k + 2) modulo 256.
PaletteEntry lineColour(int k)
{
    return {std::uint8_t(k), std::uint8_t(k + 1), std::uint8_t(k + 2), 0};
}

QByteArray numberedLines(int count, const char* lineEnd)
{
    QByteArray text;
    for (int k = 0; k < count; ++k) {
        const PaletteEntry c = lineColour(k);
        text += QByteArray::number(c.red) + ' ' + QByteArray::number(c.green) + ' '
            + QByteArray::number(c.blue) + lineEnd;
    }
    return text;
}

TEST(SplitMapLine, DigitRunsAreTheNumbersAndEverythingElseSeparates)
{
    EXPECT_EQ(splitMapLine(u"255 0 0 red"), tokens("255", "0", "0"));
    EXPECT_EQ(splitMapLine(u"  12,34;56"), tokens("12", "34", "56"));
    EXPECT_EQ(splitMapLine(u"007 8 9"), tokens("007", "8", "9"));
    EXPECT_EQ(splitMapLine(u"1.5 2 3"), tokens("1", "5", "2"));
    EXPECT_EQ(splitMapLine(u"-1 2 3"), tokens("1", "2", "3"));
    EXPECT_EQ(splitMapLine(u"10 20 30 40"), tokens("10", "20", "30"));
    EXPECT_EQ(splitMapLine(u"\t1\t2\t3\t"), tokens("1", "2", "3"));
    EXPECT_EQ(splitMapLine(u"1 2"), tokens("1", "2", ""));
    EXPECT_EQ(splitMapLine(u"   "), tokens("", "", ""));
    EXPECT_EQ(splitMapLine(u""), tokens("", "", ""));
    EXPECT_EQ(splitMapLine(u"300 4 99999"), tokens("300", "4", "99999"));
    // Only ASCII digits count: an Arabic-Indic digit separates like any other character.
    EXPECT_EQ(splitMapLine(u"1\u06652 3"), tokens("1", "2", "3"));
}

TEST(ReadMapData, EveryKindOfLineEndEndsALine)
{
    const QByteArray lines[] = {
        "1 2 3\n4 5 6\n7 8 9\n",
        "1 2 3\r4 5 6\r7 8 9\r",
        "1 2 3\r\n4 5 6\r\n7 8 9\r\n",
        "1 2 3\r\n4 5 6\n7 8 9",      // mixed, and the last line has no line end
        "1 2 3\n\r4 5 6\n7 8 9\n",    // LF then CR is two line ends: an empty line between
    };
    for (const QByteArray& text : lines) {
        SCOPED_TRACE(text.toStdString());
        MapPalette palette = markedPalette();
        const MapReadResult result = readMapData(text, palette);
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(palette[0], (PaletteEntry{1, 2, 3, 0}));
        const bool emptyLine = text.contains("\n\r");
        EXPECT_EQ(result.linesRead, emptyLine ? 4 : 3);
        const std::size_t offset = emptyLine ? 1 : 0;
        if (emptyLine) {
            EXPECT_EQ(palette[1], PaletteEntry{});
        }
        EXPECT_EQ(palette[1 + offset], (PaletteEntry{4, 5, 6, 0}));
        EXPECT_EQ(palette[2 + offset], (PaletteEntry{7, 8, 9, 0}));
        EXPECT_EQ(palette[3 + offset], markedPalette()[3 + offset]);
    }
}

TEST(ReadMapData, LinesFillTheirEntriesAndTheRestKeepTheirValues)
{
    const MapPalette before = markedPalette();
    for (const char* lineEnd : {"\n", "\r\n"}) {
        MapPalette palette = before;
        ASSERT_TRUE(readMapData(numberedLines(10, lineEnd), palette).ok);
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(palette[std::size_t(i)], lineColour(i)) << i;
        for (std::size_t i = 10; i < 256; ++i)
            EXPECT_EQ(palette[i], before[i]) << i;

        // Ten colours and an empty line: the empty line is an entry of its own, and black.
        palette = before;
        const MapReadResult result = readMapData(numberedLines(10, lineEnd) + lineEnd, palette);
        EXPECT_EQ(result.linesRead, 11);
        EXPECT_EQ(palette[9], lineColour(9));
        EXPECT_EQ(palette[10], PaletteEntry{});
        EXPECT_EQ(palette[11], before[11]);
    }
}

TEST(ReadMapData, ReadsAtMost256Lines)
{
    for (const int count : {256, 300}) {
        MapPalette palette = markedPalette();
        const MapReadResult result = readMapData(numberedLines(count, "\n"), palette);
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.linesRead, 256);
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(palette[std::size_t(i)], lineColour(i)) << i;
    }
}

TEST(ReadMapData, BigValuesCountAs255AndShortLinesAsBlack)
{
    MapPalette palette = markedPalette();
    const QByteArray text = "256 0 1000\n"
                            "00000000000000000000000000000000000012 99999999999999999999999 3\n"
                            "\n"
                            "; a comment between colours\n"
                            "7 8\n"
                            "10 20 30 a comment after the numbers\n";
    const MapReadResult result = readMapData(text, palette);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.linesRead, 6);
    EXPECT_EQ(palette[0], (PaletteEntry{255, 0, 255, 0}));
    EXPECT_EQ(palette[1], (PaletteEntry{12, 255, 3, 0}));
    EXPECT_EQ(palette[2], PaletteEntry{});
    EXPECT_EQ(palette[3], PaletteEntry{});
    EXPECT_EQ(palette[4], PaletteEntry{});
    EXPECT_EQ(palette[5], (PaletteEntry{10, 20, 30, 0}));
    EXPECT_EQ(palette[6], markedPalette()[6]);
}

TEST(ReadMapData, RefusesTextWithoutAColourAndLeavesThePaletteAlone)
{
    // Binary bytes with a couple of numbers on each of their lines, never three.
    QByteArray junk;
    for (int i = 0; i < 4000; ++i) {
        junk += char(0x80 + i % 128);
        if (i % 50 == 0)
            junk += QByteArray("\x00" "12\xfe" "7\n", 6);
    }
    const QByteArray refused[] = {QByteArray(), "\n\n\n", "no colours here\r\n1 2\r\n", junk,
                                  QByteArray(kMaxMapBytes + 10, ' ') + "1 2 3\n"};
    for (const QByteArray& text : refused) {
        MapPalette palette = markedPalette();
        const MapReadResult result = readMapData(text, palette);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.error.isEmpty());
        EXPECT_EQ(result.linesRead, 0);
        EXPECT_EQ(palette, markedPalette());
    }
}

TEST(ReadMapFile, ReadsAFileAndNamesItWhenRefused)
{
    const QString good = test::writeTempFile(QStringLiteral("good.map"), numberedLines(20, "\r\n"));
    MapPalette palette = markedPalette();
    MapReadResult result = readMapFile(good, palette);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.linesRead, 20);
    EXPECT_EQ(palette[19], lineColour(19));
    EXPECT_EQ(palette[20], markedPalette()[20]);

    // A file far longer than a map is only read as far as its 256th line.
    QByteArray huge = numberedLines(256, "\n");
    huge += QByteArray(kMaxMapBytes + 1000, '7');
    const QString big = test::writeTempFile(QStringLiteral("big.map"), huge);
    palette = markedPalette();
    result = readMapFile(big, palette);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(palette[255], lineColour(255));

    const QString empty = test::writeTempFile(QStringLiteral("empty.map"), QByteArray());
    const QString binary = test::writeTempFile(QStringLiteral("picture.map"),
                                               QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff", 14));
    const QString missing = test::tempDir() + QStringLiteral("/missing.map");
    struct Case {
        QString path;
        QString error;
    };
    const Case cases[] = {
        {empty, QStringLiteral("\"empty.map\" is not a colour map: no line holds three numbers")},
        {binary, QStringLiteral("\"picture.map\" is not a colour map: no line holds three numbers")},
        {missing, QStringLiteral("\"missing.map\" does not exist.")},
        {test::tempDir(), QStringLiteral("\"%1\" is a folder, not a map.").arg(QFileInfo(test::tempDir()).fileName())},
    };
    for (const Case& c : cases) {
        palette = markedPalette();
        result = readMapFile(c.path, palette);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(palette, markedPalette());
    }
}

TEST(ReadMapFile, RefusesAFileItMayNotRead)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads a file whatever its permissions";
    const QString locked = test::writeTempFile(QStringLiteral("locked.map"), "1 2 3\n");
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions()));
    MapPalette palette = markedPalette();
    const MapReadResult result = readMapFile(locked, palette);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, QStringLiteral("You do not have permission to read \"locked.map\"."));
    EXPECT_EQ(palette, markedPalette());
}

TEST(ReadMapFile, TheShippedMapsAreWhole)
{
    const QStringList maps = test::filesUnder(test::sourceDir() + QStringLiteral("/data/ship"), {QStringLiteral(".map")});
    ASSERT_GE(maps.size(), 2);
    for (const QString& path : maps) {
        MapPalette palette = markedPalette();
        const MapReadResult result = readMapFile(path, palette);
        ASSERT_TRUE(result.ok) << path.toStdString();
        EXPECT_EQ(result.linesRead, 256) << path.toStdString();
        // Each has many distinct colours, and its last line was read.
        EXPECT_NE(palette[255], markedPalette()[255]);
        EXPECT_NE(palette[0], palette[128]) << path.toStdString();
    }
}

TEST(ReadMapFile, EveryCorpusMapReads)
{
    if (!test::corpusPresent())
        GTEST_SKIP() << "no corpus beside the source tree";
    const QStringList maps = test::filesUnder(test::corpusDir() + QStringLiteral("/maps"), {QStringLiteral(".map")});
    ASSERT_FALSE(maps.isEmpty());
    int coloured = 0;
    for (const QString& path : maps) {
        MapPalette palette{};
        const MapReadResult result = readMapFile(path, palette);
        EXPECT_TRUE(result.ok) << path.toStdString() << ": " << result.error.toStdString();
        EXPECT_GE(result.linesRead, 16) << path.toStdString();
        // A real map is mostly colour, not the black of unreadable lines.
        int black = 0;
        for (int i = 0; i < result.linesRead; ++i)
            black += palette[std::size_t(i)] == PaletteEntry{};
        coloured += black < result.linesRead / 2;
    }
    std::printf("corpus maps read: %lld, mostly coloured: %d\n", static_cast<long long>(maps.size()), coloured);
    EXPECT_GT(coloured, maps.size() * 9 / 10);
}

}  // namespace
}  // namespace lumarel
