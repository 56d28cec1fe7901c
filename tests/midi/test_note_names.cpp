#include "midi/note_colors.h"
#include "midi/note_names.h"

#include <gtest/gtest.h>

namespace lumarel {
namespace {

const QString kDegree(QChar(0x00B0));

TEST(NoteNames, SyllableThenOctaveLabelIn15Characters)
{
    const NoteNames names = definizione_note();
    for (int n = 0; n < 128; ++n) {
        const QString& name = names[std::size_t(n)];
        EXPECT_EQ(name.size(), 15) << n;
        EXPECT_EQ(name.count(kDegree), 1) << n;
        EXPECT_TRUE(name.endsWith(QStringLiteral(" Ottava"))) << n;
        EXPECT_EQ(name.at(0) == u's', n % 12 == 8) << n;
    }
    EXPECT_EQ(names[0], QStringLiteral("Do   1") + kDegree + QStringLiteral("  Ottava"));
    EXPECT_EQ(names[60], QStringLiteral("Do   6") + kDegree + QStringLiteral("  Ottava"));
    EXPECT_EQ(names[68], QStringLiteral("sol# 6") + kDegree + QStringLiteral("  Ottava"));
    EXPECT_EQ(names[69], QStringLiteral("La   6") + kDegree + QStringLiteral("  Ottava"));
    EXPECT_EQ(names[107], QStringLiteral("Si   9") + kDegree + QStringLiteral("  Ottava"));
    EXPECT_EQ(names[119], QStringLiteral("Si   10") + kDegree + QStringLiteral(" Ottava"));
    EXPECT_EQ(names[127], QStringLiteral("Sol  10") + kDegree + QStringLiteral(" Ottava"));

    for (int n = 0; n < 128; ++n) {
        // The syllable repeats every 12 notes; notes 108..127 share the tenth octave's label.
        EXPECT_EQ(names[std::size_t(n)].left(5), names[std::size_t(n % 12)].left(5)) << n;
        EXPECT_EQ(names[std::size_t(n)].mid(5), names[std::size_t(std::min(n, 119) / 12 * 12)].mid(5)) << n;
    }
    for (int n = 120; n < 128; ++n)
        EXPECT_EQ(names[std::size_t(n)].mid(5), QStringLiteral("10") + kDegree + QStringLiteral(" Ottava"));
    EXPECT_NE(names[96].mid(5), names[108].mid(5));
    EXPECT_EQ(definizione_note(), names);
}

TEST(NoteColors, FirstTwoCharactersPickTheColourCaseSensitively)
{
    EXPECT_EQ(keyColorForNote(u"Do   "), (NoteColor{255, 0, 0}));
    EXPECT_EQ(keyColorForNote(u"Do#  "), (NoteColor{255, 0, 0}));
    EXPECT_EQ(keyColorForNote(u"Re#  "), (NoteColor{255, 127, 0}));
    EXPECT_EQ(keyColorForNote(u"Mi   "), (NoteColor{255, 255, 0}));
    EXPECT_EQ(keyColorForNote(u"Fa#  "), (NoteColor{0, 255, 0}));
    EXPECT_EQ(keyColorForNote(u"Sol  "), (NoteColor{0, 255, 255}));
    EXPECT_EQ(keyColorForNote(u"La#  "), (NoteColor{127, 127, 255}));
    EXPECT_EQ(keyColorForNote(u"Si   "), (NoteColor{255, 0, 255}));
    const NoteColor grey{192, 192, 192};
    EXPECT_EQ(keyColorForNote(u"sol# "), grey);
    EXPECT_EQ(keyColorForNote(u"DO   "), grey);
    EXPECT_EQ(keyColorForNote(u"D"), grey);
    EXPECT_EQ(keyColorForNote(u""), grey);

    const NoteNames names = definizione_note();
    for (int n = 0; n < 128; ++n) {
        const NoteColor colour = keyColorForNote(names[std::size_t(n)]);
        EXPECT_EQ(colour == grey, n % 12 == 8) << n;
    }
    EXPECT_EQ(keyColorForNote(names[127]), (NoteColor{0, 255, 255}));
    EXPECT_EQ(keyColorForNote(names[61]), (NoteColor{255, 0, 0}));
}

}  // namespace
}  // namespace lumarel
