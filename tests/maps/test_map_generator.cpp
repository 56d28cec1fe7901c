#include "maps/map_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace lumarel {
namespace {

constexpr std::int16_t kUnwritten = 999;  // a value the generator never produces from 0..255 keys

GeneratedPalette sentinelPalette()
{
    GeneratedPalette palette;
    for (KeyColor& entry : palette.items())
        entry = {kUnwritten, kUnwritten, kUnwritten, 4242};
    return palette;
}

// numerator / denominator (both >= 0) rounded to the nearest whole number, halves to the even one.
int roundRational(long numerator, long denominator)
{
    const long q = numerator / denominator;
    const long twiceRest = 2 * (numerator % denominator);
    if (twiceRest > denominator || (twiceRest == denominator && q % 2 != 0))
        return int(q + 1);
    return int(q);
}

// Where each segment begins and ends, worked out the way the entries are laid out: positions grow
// by adding 256 / (keys - 1) again and again in double precision.
struct Segments {
    std::vector<int> first;  // first[k - 1]: the entry that takes key k
    std::vector<int> last;   // last[k - 1]: the last entry segment k writes
};

Segments segmentsFor(int keyCount)
{
    Segments s;
    const double length = 256.0 / (keyCount - 1);
    double start = 1.0;
    double end = length;
    for (int k = 1; k < keyCount; ++k) {
        s.first.push_back(int(std::floor(start)));
        s.last.push_back(int(std::floor(std::min(end, 256.0))));
        start += length;
        end += length;
    }
    return s;
}

KeyColorTable keys(std::initializer_list<KeyColor> colours)
{
    KeyColorTable table;
    std::size_t i = 1;
    for (const KeyColor& c : colours)
        table[i++] = c;
    return table;
}

TEST(GenerateMap, ThreeKeysMakeTwoGradientsOf128Entries)
{
    KeyColorTable table = keys({{0, 0, 0, 55}, {255, 0, 0, 55}, {0, 0, 255, 55}});
    GeneratedPalette palette = sentinelPalette();
    ASSERT_EQ(generateMap(4, table, palette), GenerateOutcome::Generated);

    // Each channel that changes by 255 over 128 entries moves 255/128 per entry.
    for (int m = 1; m <= 128; ++m) {
        EXPECT_EQ(palette[m].red, roundRational(long(m - 1) * 255, 128)) << m;
        EXPECT_EQ(palette[m].blue, 0) << m;
    }
    for (int m = 129; m <= 255; ++m) {
        EXPECT_EQ(palette[m].red, roundRational(255L * 128 - long(m - 129) * 255, 128)) << m;
        EXPECT_EQ(palette[m].blue, roundRational(long(m - 129) * 255, 128)) << m;
    }
    for (const KeyColor& entry : palette.items()) {
        EXPECT_EQ(entry.green, 0);
        EXPECT_EQ(entry.fourth, 4242);  // the spare field is never written
    }
    EXPECT_EQ(palette[2].red, 2);
    EXPECT_EQ(palette[3].red, 4);
    EXPECT_EQ(palette[128].red, 253);
    EXPECT_EQ(palette[129].red, 255);
    EXPECT_EQ(palette[255].red, 4);
    EXPECT_EQ(palette[256].red, 0);
    EXPECT_EQ(palette[129].blue, 0);
    EXPECT_EQ(palette[130].blue, 2);
    EXPECT_EQ(palette[255].blue, 251);
    EXPECT_EQ(palette[256].blue, 255);

    // Direction fields hold the last channel's: key 2's red falls but its blue rises.
    EXPECT_EQ(table[1].fourth, -1);
    EXPECT_EQ(table[2].fourth, -1);
    EXPECT_EQ(table[3].fourth, 55);  // the last key's is left alone

    table = keys({{0, 0, 255, 55}, {0, 0, 0, 55}, {0, 0, 10, 55}});
    generateMap(4, table, palette);
    EXPECT_EQ(table[1].fourth, 0);
    EXPECT_EQ(table[2].fourth, -1);
}

TEST(GenerateMap, TwoKeysSpanEveryEntry)
{
    KeyColorTable table = keys({{10, 20, 30, 0}, {10, 20, 30, 0}});
    GeneratedPalette palette = sentinelPalette();
    ASSERT_EQ(generateMap(3, table, palette), GenerateOutcome::Generated);
    for (int m = 1; m <= 256; ++m)
        EXPECT_EQ(palette[m], (KeyColor{10, 20, 30, 4242})) << m;

    // 0 to 255 runs one unit per entry; 255 to 0 the other way.
    table = keys({{0, 255, 0, 0}, {255, 0, 0, 0}});
    generateMap(3, table, palette);
    for (int m = 1; m <= 256; ++m) {
        EXPECT_EQ(palette[m].red, m - 1) << m;
        EXPECT_EQ(palette[m].green, 256 - m) << m;
    }
}

TEST(GenerateMap, FractionalStepsRoundHalvesToEven)
{
    // 192 over 128 entries is 1.5 a step: 1.5, 3, 4.5, 6 ... rising and 190.5, 189 ... falling.
    KeyColorTable table = keys({{0, 192, 0, 0}, {192, 0, 0, 0}, {0, 0, 0, 0}});
    GeneratedPalette palette;
    generateMap(4, table, palette);
    for (int m = 1; m <= 128; ++m) {
        EXPECT_EQ(palette[m].red, roundRational(long(m - 1) * 3, 2)) << m;
        EXPECT_EQ(palette[m].green, roundRational(192L * 2 - long(m - 1) * 3, 2)) << m;
    }
    EXPECT_EQ(palette[4].red, 4);      // 4.5
    EXPECT_EQ(palette[6].red, 8);      // 7.5
    EXPECT_EQ(palette[2].green, 190);  // 190.5

    // 15 keys alternating 0 and 255: about 13.95 a step over segments of about 18.3 entries.
    KeyColorTable fifteen;
    for (std::size_t k = 1; k <= 15; ++k)
        fifteen[k] = {std::int16_t(k % 2 ? 0 : 255), 0, 0, 0};
    palette = sentinelPalette();
    generateMap(16, fifteen, palette);
    const Segments seg = segmentsFor(15);
    for (std::size_t s = 0; s < seg.first.size(); ++s) {
        const bool rising = s % 2 == 0;
        for (int m = seg.first[s]; m <= seg.last[s]; ++m) {
            const long j = m - seg.first[s];  // steps of 255 * 14 / 256 = 3570 / 256 each
            const int expected = rising ? roundRational(j * 3570, 256) : roundRational(255L * 256 - j * 3570, 256);
            EXPECT_EQ(palette[m].red, expected) << "segment " << s + 1 << " entry " << m;
            if (m > seg.first[s]) {
                EXPECT_NE(palette[m].red, palette[m - 1].red) << m;
            }
        }
    }
}

TEST(GenerateMap, SegmentBoundariesComeFromRepeatedAddition)
{
    // The model of the boundaries agrees with what is known of them.
    EXPECT_EQ(segmentsFor(13).last[5], 127);
    EXPECT_EQ(segmentsFor(13).first[6], 129);
    EXPECT_EQ(segmentsFor(15).last[6], 127);
    EXPECT_EQ(segmentsFor(15).first[7], 128);
    for (const int keyCount : {7, 8, 11, 14, 15})
        EXPECT_EQ(segmentsFor(keyCount).last.back(), 255) << keyCount;

    for (int keyCount = 2; keyCount <= 16; ++keyCount) {
        SCOPED_TRACE(keyCount);
        KeyColorTable table;
        for (int k = 1; k <= keyCount; ++k)
            table[std::size_t(k)] = {std::int16_t(10 * k), std::int16_t(250 - 10 * k), std::int16_t(k % 2 ? 40 : 0), 0};
        GeneratedPalette palette = sentinelPalette();
        ASSERT_EQ(generateMap(std::int16_t(keyCount + 1), table, palette), GenerateOutcome::Generated);

        const Segments seg = segmentsFor(keyCount);
        std::vector<bool> written(257, false);
        written[256] = true;
        for (std::size_t s = 0; s < seg.first.size(); ++s) {
            const int k = int(s) + 1;
            EXPECT_EQ(palette[seg.first[s]].red, 10 * k);
            EXPECT_EQ(palette[seg.first[s]].green, 250 - 10 * k);
            for (int m = seg.first[s]; m <= seg.last[s]; ++m) {
                written[m] = true;
                // Between the segment's two keys, reaching the next only where its own segment starts.
                EXPECT_GE(palette[m].red, 10 * k) << m;
                EXPECT_LE(palette[m].red, 10 * k + 10) << m;
            }
        }
        for (int m = 1; m <= 256; ++m) {
            if (written[m]) {
                EXPECT_NE(palette[m].red, kUnwritten) << m;
            } else {
                EXPECT_EQ(palette[m], (KeyColor{kUnwritten, kUnwritten, kUnwritten, 4242})) << m;
            }
        }
        EXPECT_EQ(palette[256], (KeyColor{std::int16_t(10 * keyCount), std::int16_t(250 - 10 * keyCount),
                                          std::int16_t(keyCount % 2 ? 40 : 0), 4242}));
        if (keyCount == 13) {
            EXPECT_EQ(palette[128].red, kUnwritten);
            EXPECT_EQ(palette[129].red, 70);
        }
        if (keyCount == 15) {
            EXPECT_EQ(palette[128].red, 80);
            EXPECT_LT(palette[127].red, 80);
        }
    }
}

TEST(GenerateMap, FewerThanTwoKeysChangeNothing)
{
    KeyColorTable table = keys({{1, 2, 3, 4}, {200, 100, 50, 7}, {9, 9, 9, 9}});
    const KeyColorTable tableBefore = table;
    GeneratedPalette palette = sentinelPalette();
    palette[10] = {1, 2, 3, 4};
    const GeneratedPalette paletteBefore = palette;
    for (const std::int16_t trackCount : {std::int16_t(2), std::int16_t(1), std::int16_t(0), std::int16_t(-3),
                                          std::numeric_limits<std::int16_t>::min()}) {
        EXPECT_EQ(generateMap(trackCount, table, palette), GenerateOutcome::TooFewKeys) << trackCount;
        EXPECT_EQ(table, tableBefore);
        EXPECT_EQ(palette, paletteBefore);
    }

    // More tracks than key colours use the 16 keys there are.
    KeyColorTable all;
    for (std::size_t k = 1; k <= 16; ++k)
        all[k] = {std::int16_t(k * 15), 0, 0, 0};
    KeyColorTable allCopy = all;
    GeneratedPalette many;
    GeneratedPalette sixteen;
    EXPECT_EQ(generateMap(40, all, many), GenerateOutcome::Generated);
    generateMap(17, allCopy, sixteen);
    EXPECT_EQ(many, sixteen);
}

}  // namespace
}  // namespace lumarel
