#include <gtest/gtest.h>

#include "platform/get_key_value.h"
#include "fake_registry.h"

namespace lumarel {
namespace {

const QString kKey = QStringLiteral("SOFTWARE\\Example");

TEST(GetKeyValue, StringWithAndWithoutTerminatingNulReadAlike)
{
    test::FakeRegistry registry;
    registry.set(kKey, "terminated", kRegTypeString, QByteArray("C:\\Tools\\viewer.exe", 20));  // 19 chars + NUL
    registry.set(kKey, "bare", kRegTypeString, QByteArray("C:\\Tools\\viewer.exe"));

    QString withNul;
    QString withoutNul;
    ASSERT_TRUE(GetKeyValue(registry, kHkeyLocalMachine, kKey, "terminated", withNul));
    ASSERT_TRUE(GetKeyValue(registry, kHkeyLocalMachine, kKey, "bare", withoutNul));
    EXPECT_EQ(withNul, QStringLiteral("C:\\Tools\\viewer.exe"));
    EXPECT_EQ(withoutNul, withNul);

    // The query gets the whole NUL-filled buffer and the key is opened with full access.
    EXPECT_EQ(registry.sizeOnEntry, kRegistryValueBufferSize);
    EXPECT_TRUE(registry.allNulOnEntry);
    EXPECT_EQ(registry.lastAccess, kKeyAllAccess);
    EXPECT_EQ(registry.openCount, 0);

    // An empty string stored with its NUL reads as empty text.
    registry.set(kKey, "empty", kRegTypeString, QByteArray(1, '\0'));
    QString empty = QStringLiteral("before");
    ASSERT_TRUE(GetKeyValue(registry, kHkeyLocalMachine, kKey, "empty", empty));
    EXPECT_TRUE(empty.isEmpty());
}

TEST(GetKeyValue, DwordGivesHexOfEachKeptByteFromLastToFirst)
{
    test::FakeRegistry registry;
    // 0x1A2B3C4D stored least significant byte first: 4D 3C 2B 1A; no byte is NUL, so all four stay.
    const unsigned char full[] = {0x4D, 0x3C, 0x2B, 0x1A};
    registry.set(kKey, "full", kRegTypeDword, QByteArray(reinterpret_cast<const char*>(full), 4));
    // 0x00000A05: 05 0A 00 00. The last byte is NUL and is dropped as a terminator would be;
    // the kept bytes from last to first are 00, 0A, 05, each without leading zeros.
    const unsigned char small[] = {0x05, 0x0A, 0x00, 0x00};
    registry.set(kKey, "small", kRegTypeDword, QByteArray(reinterpret_cast<const char*>(small), 4));

    QString value;
    ASSERT_TRUE(GetKeyValue(registry, kHkeyLocalMachine, kKey, "full", value));
    EXPECT_EQ(value, QStringLiteral("&h") + "1A" + "2B" + "3C" + "4D");

    value.clear();
    ASSERT_TRUE(GetKeyValue(registry, kHkeyLocalMachine, kKey, "small", value));
    EXPECT_EQ(value, QStringLiteral("&h") + "0" + "A" + "5");

    // The digits follow whatever the caller passed in.
    value = QStringLiteral("7");
    ASSERT_TRUE(GetKeyValue(registry, kHkeyLocalMachine, kKey, "full", value));
    EXPECT_EQ(value, QStringLiteral("&h71A2B3C4D"));
    EXPECT_EQ(registry.openCount, 0);
}

TEST(GetKeyValue, MissingKeyOrValueGivesFalseAndEmptyText)
{
    test::FakeRegistry registry;
    registry.addKey(kKey);

    QString value = QStringLiteral("left over");
    EXPECT_FALSE(GetKeyValue(registry, kHkeyLocalMachine, QStringLiteral("SOFTWARE\\Missing"), "x", value));
    EXPECT_TRUE(value.isEmpty());

    value = QStringLiteral("left over");
    EXPECT_FALSE(GetKeyValue(registry, kHkeyLocalMachine, kKey, "missing", value));
    EXPECT_TRUE(value.isEmpty());
    EXPECT_EQ(registry.openCount, 0);  // the key opened for the missing value was closed again

    NoRegistryReader none;
    value = QStringLiteral("left over");
    EXPECT_FALSE(GetKeyValue(none, kHkeyLocalMachine, kKey, "x", value));
    EXPECT_TRUE(value.isEmpty());
}

TEST(GetKeyValue, OtherTypesAndOddSizes)
{
    test::FakeRegistry registry;
    registry.set(kKey, "binary", 3, QByteArray("\x01\x02", 2));
    // A size past the buffer counts as the whole buffer; a size of 0 keeps nothing.
    registry.set(kKey, "huge", kRegTypeString, QByteArray(kRegistryValueBufferSize, 'a'), 5000);
    registry.set(kKey, "none", kRegTypeString, QByteArray(), 0);

    QString value = QStringLiteral("as passed");
    ASSERT_TRUE(GetKeyValue(registry, kHkeyLocalMachine, kKey, "binary", value));
    EXPECT_EQ(value, QStringLiteral("as passed"));

    ASSERT_TRUE(GetKeyValue(registry, kHkeyLocalMachine, kKey, "huge", value));
    EXPECT_EQ(value, QString(kRegistryValueBufferSize, QLatin1Char('a')));

    ASSERT_TRUE(GetKeyValue(registry, kHkeyLocalMachine, kKey, "none", value));
    EXPECT_TRUE(value.isEmpty());
    EXPECT_EQ(registry.openCount, 0);
}

}  // namespace
}  // namespace lumarel
