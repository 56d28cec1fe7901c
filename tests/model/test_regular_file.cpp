// Names as bytes, names as shown, and opening only what is a regular file.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <random>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "model/path_codec.h"
#include "model/regular_file.h"
#include "model/visible_name.h"
#include "support/deadline.h"
#include "support/raw_files.h"

using namespace lumarel;

TEST(PathCodec, EveryByteNameComesBackExactly)
{
    // Valid UTF-8 reads as UTF-8; every other byte is carried and comes back as it was.
    const QByteArray latin1("lat\xe9n1.bmp");
    const QString decoded = decodePath(latin1);
    EXPECT_EQ(decoded, QString::fromUtf16(u"lat\xDCE9n1.bmp"));
    EXPECT_EQ(encodePath(decoded), latin1);
    EXPECT_EQ(decodePath(QByteArray("caf\xc3\xa9 \xf0\x9f\x8e\xb5")), QString::fromUtf8("caf\xc3\xa9 \xf0\x9f\x8e\xb5"));
    // Forms UTF-8 forbids are bytes, not characters: an overlong '/', an encoded surrogate, a code
    // point past U+10FFFF, a sequence cut short.
    for (const QByteArray& bad : {QByteArray("\xc0\xaf"), QByteArray("\xed\xa0\x80"), QByteArray("\xf4\x90\x80\x80"),
                                 QByteArray("a\xe2\x82")}) {
        const QString text = decodePath(bad);
        EXPECT_FALSE(text.contains(QChar(u'/'))) << bad.toHex().constData();
        EXPECT_EQ(encodePath(text), bad) << bad.toHex().constData();
        EXPECT_TRUE(isEscapedByte(text.back().unicode())) << bad.toHex().constData();
    }
    // Every name of up to two bytes, and many longer random ones, round-trip; where the bytes are
    // valid UTF-8, the text is what a UTF-8 decoder makes of them.
    std::mt19937 random(17);
    std::vector<QByteArray> names;
    for (int a = 1; a < 256; ++a) {
        names.push_back(QByteArray(1, char(a)));
        for (int b = 1; b < 256; ++b)
            names.push_back(QByteArray(1, char(a)) + char(b));
    }
    for (int i = 0; i < 20000; ++i) {
        QByteArray name(int(random() % 8) + 1, '\0');
        for (char& c : name)
            c = char(random() % 255 + 1);
        names.push_back(name);
    }
    for (const QByteArray& name : names) {
        const QString text = decodePath(name);
        ASSERT_EQ(encodePath(text), name) << name.toHex().constData();
        const bool escaped = std::any_of(text.begin(), text.end(), [](QChar c) { return isEscapedByte(c.unicode()); });
        if (!escaped) {
            ASSERT_EQ(text, QString::fromUtf8(name)) << name.toHex().constData();
        }
    }
}

TEST(VisibleName, ShowsWhatWouldActOrHide)
{
    EXPECT_EQ(visibleName(QString::fromUtf16(u"rtl\u202Egnp.bmp")), QStringLiteral("rtl<U+202E>gnp.bmp"));
    EXPECT_EQ(visibleName(decodePath("lat\xe9n1.bmp")), QStringLiteral("lat\\xE9n1.bmp"));
    EXPECT_EQ(visibleName(decodePath("latin1 caf\xe9")), QStringLiteral("latin1 caf\\xE9"));
    EXPECT_EQ(visibleName(QString::fromUtf16(u"a\u2066b\u2069\u200Fc")), QStringLiteral("a<U+2066>b<U+2069><U+200F>c"));
    EXPECT_EQ(visibleName(QStringLiteral("tab\there\nline")), QStringLiteral("tab<U+0009>here<U+000A>line"));
    EXPECT_EQ(visibleName(QString::fromUtf16(u"soft\u00ADhyphen\u2028")), QStringLiteral("soft<U+00AD>hyphen<U+2028>"));
    // A format character beyond the first plane (a tag character).
    EXPECT_EQ(visibleName(QString::fromUcs4(U"x\U000E0041y")), QStringLiteral("x<U+E0041>y"));
    // Ordinary names, other scripts, emoji sequences with their joiner, stay as they are.
    for (const QString& name : {QStringLiteral("FRACT001.GIF"), QString::fromUtf8("caf\xc3\xa9 \xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d.map"),
                               QString::fromUtf16(u"\U0001F469\u200D\U0001F4BB.bmp"), QStringLiteral("  spaced  .bmp")})
        EXPECT_EQ(visibleName(name), name);
}

TEST(RegularFile, OpensOnlyRegularFilesAndSaysWhatElseItIs)
{
    test::RawFolder dir;
    const QString folder = dir.dir.path();
    const QByteArray& raw = dir.raw;
    auto link = [&](const char* name, const QByteArray& target) {
        EXPECT_EQ(::symlink(target.constData(), (raw + '/' + name).constData()), 0) << name;
        return decodePath(raw + '/' + name);
    };
    ASSERT_EQ(::mkfifo((raw + "/y.map").constData(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = raw + "/s.mid";
    std::memcpy(address.sun_path, socketPath.constData(), std::size_t(socketPath.size()));
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    struct Case {
        QString path;
        QString expected;
    };
    const Case cases[] = {
        {link("zero.bmp", "/dev/zero"), "\"zero.bmp\" is a device, not a picture."},
        {link("rnd.gif", "/dev/urandom"), "\"rnd.gif\" is a device, not a picture."},
        {folder + "/y.map", "\"y.map\" is a named pipe (FIFO), not a picture."},
        {link("fifolink.map", raw + "/y.map"), "\"fifolink.map\" is a named pipe (FIFO), not a picture."},
        {folder + "/s.mid", "\"s.mid\" is a socket, not a picture."},
        {link("dir.bmp", raw), "\"dir.bmp\" is a folder, not a picture."},
        {folder + "/missing.bmp", "\"missing.bmp\" does not exist."},
        {link("dangling.bmp", raw + "/nowhere"), "\"dangling.bmp\" is a link to a file that does not exist."},
        {link("loop.bmp", raw + "/loop.bmp"), "\"loop.bmp\" is a link that leads round in a loop."},
        {link(QByteArray("rtl\xe2\x80\xae" "pmb.gif").constData(), "/dev/zero"), "\"rtl<U+202E>pmb.gif\" is a device, not a picture."},
    };
    const long long before = test::residentBytes();
    for (const Case& c : cases) {
        const RegularFile opened = test::withinDeadline("opening " + c.path.toStdString(), [&c] {
            return openRegularFile(c.path, QStringLiteral("a picture"), 1024);
        });
        EXPECT_EQ(opened.file, nullptr) << c.path.toStdString();
        EXPECT_EQ(opened.error, c.expected);
    }
    EXPECT_LT(test::residentBytes() - before, 16ll << 20);
    ::close(sock);
}

TEST(RegularFile, ReadsRegularFilesByAnyNameWithinTheirLimit)
{
    test::RawFolder folder;
    const QTemporaryDir& dir = folder.dir;
    const QByteArray& raw = folder.raw;
    ASSERT_TRUE(test::writeRaw(raw + "/lat\xe9n1.map", "1 2 3\n"));
    const QString latin1 = decodePath(raw + "/lat\xe9n1.map");
    RegularFile opened = openRegularFile(latin1, QStringLiteral("a map"), kAnySize);
    ASSERT_NE(opened.file, nullptr) << opened.error.toStdString();
    EXPECT_EQ(opened.size, 6);
    QString error;
    EXPECT_EQ(readWholeFile(opened, &error), QByteArray("1 2 3\n"));
    ASSERT_TRUE(fileStamp(latin1).has_value());
    EXPECT_EQ(fileStamp(latin1)->size, 6);
    EXPECT_FALSE(fileStamp(decodePath(raw + "/nothing")).has_value());

    // A link to a regular file is that file.
    ASSERT_EQ(::symlink((raw + "/lat\xe9n1.map").constData(), (raw + "/link.map").constData()), 0);
    opened = openRegularFile(dir.filePath("link.map"), QStringLiteral("a map"), 6);
    ASSERT_NE(opened.file, nullptr) << opened.error.toStdString();

    // Too large: refused from its size alone (the file is sparse; nothing is read).
    const QByteArray big = raw + "/big.bmp";
    ASSERT_TRUE(test::writeRaw(big, "BM"));
    ASSERT_EQ(::truncate(big.constData(), 700ll << 20), 0);
    const long long before = test::residentBytes();
    opened = openRegularFile(dir.filePath("big.bmp"), QStringLiteral("a picture"), 512ll << 20);
    EXPECT_EQ(opened.file, nullptr);
    EXPECT_EQ(opened.error, QStringLiteral("\"big.bmp\" is too large to be a picture (700.0 MB; at most 512 MB)."));
    EXPECT_LT(test::residentBytes() - before, 16ll << 20);

    // The open file is a plain blocking one.
    opened = openRegularFile(latin1, QStringLiteral("a map"), kAnySize);
    ASSERT_NE(opened.file, nullptr);
    EXPECT_EQ(::fcntl(opened.file->handle(), F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(::fcntl(opened.file->handle(), F_GETFD) & FD_CLOEXEC, 0);
}

TEST(RegularFile, SaysWhenPermissionIsLacking)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads a file whatever its permissions";
    QTemporaryDir dir;
    const QByteArray locked = QFile::encodeName(dir.filePath("locked.mid"));
    ASSERT_TRUE(test::writeRaw(locked, "MThd"));
    ASSERT_EQ(::chmod(locked.constData(), 0), 0);
    const RegularFile opened = openRegularFile(dir.filePath("locked.mid"), QStringLiteral("a MIDI file"), kAnySize);
    EXPECT_EQ(opened.file, nullptr);
    EXPECT_EQ(opened.error, QStringLiteral("You do not have permission to read \"locked.mid\"."));
}
