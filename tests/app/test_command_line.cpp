// The command line, read before any window exists, and what dropped files open.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/command_line.h"
#include "app/open_request.h"

using namespace lumarel;

namespace {

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        for (const char* name : {"a.gif", "b.BMP", "warm.map", "cool.MAP", "song.mid", "other.midi", "karaoke.kar",
                                 "wrapped.rmi", "notes.txt"})
            touch(name);
        ASSERT_TRUE(QDir(folder_.path()).mkdir("pictures.gif"));  // a folder with a picture's name
    }
    void touch(const QString& name)
    {
        QFile file(folder_.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    CommandLine parse(const QStringList& arguments) { return parseCommandLine(arguments, folder_.path()); }
    QString path(const QString& name) const { return QDir::cleanPath(folder_.filePath(name)); }

    QTemporaryDir folder_;
};

}  // namespace

TEST_F(CommandLineTest, EachKindOfFileGoesWhereItOpensAndTheLastOfAKindWins)
{
    CommandLine line = parse({"a.gif"});
    ASSERT_EQ(line.action, CommandLine::Action::Run);
    EXPECT_EQ(line.files.picture, path("a.gif"));  // relative names are taken from the current folder
    EXPECT_TRUE(line.files.map.isEmpty());
    EXPECT_TRUE(line.files.song.isEmpty());

    line = parse({path("warm.map")});
    EXPECT_EQ(line.files.map, path("warm.map"));
    line = parse({"song.mid"});
    EXPECT_EQ(line.files.song, path("song.mid"));

    // Letter case does not matter; every song extension is a song.
    line = parse({"a.gif", "warm.map", "song.mid", "b.BMP", "cool.MAP", "karaoke.kar", "other.midi", "wrapped.rmi"});
    ASSERT_EQ(line.action, CommandLine::Action::Run);
    EXPECT_EQ(line.files.picture, path("b.BMP"));
    EXPECT_EQ(line.files.map, path("cool.MAP"));
    EXPECT_EQ(line.files.song, path("wrapped.rmi"));
    EXPECT_TRUE(line.files.others.isEmpty());
    EXPECT_TRUE(line.qtArguments.isEmpty());

    line = parse({});
    EXPECT_EQ(line.action, CommandLine::Action::Run);
    EXPECT_FALSE(line.files.opensSomething());
}

TEST_F(CommandLineTest, AFileThatCannotBeOpenedEndsWithOneLineNamingIt)
{
    struct Case {
        QStringList arguments;
        const char* says;
    };
    const Case cases[] = {
        {{"a.gif", "missing.gif"}, "lumarel: cannot open 'missing.gif': no such file"},
        {{"pictures.gif"}, "lumarel: cannot open 'pictures.gif': it is a folder"},
        {{"notes.txt"}, "lumarel: cannot open 'notes.txt': it is not a picture"},
    };
    for (const Case& c : cases) {
        const CommandLine line = parse(c.arguments);
        EXPECT_EQ(line.action, CommandLine::Action::Fail) << c.says;
        EXPECT_EQ(line.exitCode, 1) << c.says;
        EXPECT_TRUE(line.error.startsWith(QLatin1String(c.says))) << line.error.toStdString();
        EXPECT_FALSE(line.error.contains(QLatin1Char('\n')));
    }
}

TEST_F(CommandLineTest, UnknownOptionsEndWithStatusTwoAndTheToolkitsOwnArePassedOn)
{
    CommandLine line = parse({"--frobnicate", "a.gif"});
    EXPECT_EQ(line.action, CommandLine::Action::Fail);
    EXPECT_EQ(line.exitCode, 2);
    EXPECT_EQ(line.error, QString("lumarel: unknown option '--frobnicate' (see 'lumarel --help')"));
    EXPECT_EQ(parse({"-x"}).action, CommandLine::Action::Fail);

    line = parse({"-platform", "offscreen", "a.gif", "--style=fusion", "-reverse"});
    ASSERT_EQ(line.action, CommandLine::Action::Run) << line.error.toStdString();
    EXPECT_EQ(line.qtArguments, (QStringList{"-platform", "offscreen", "--style=fusion", "-reverse"}));
    EXPECT_EQ(line.files.picture, path("a.gif"));

    line = parse({"a.gif", "-style"});
    EXPECT_EQ(line.action, CommandLine::Action::Fail);
    EXPECT_EQ(line.exitCode, 2);
    EXPECT_TRUE(line.error.contains("'-style' needs a value"));
}

TEST_F(CommandLineTest, HelpAndVersionWinAndDoubleDashEndsTheOptions)
{
    EXPECT_EQ(parse({"a.gif", "--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(parse({"-h"}).action, CommandLine::Action::Help);
    EXPECT_EQ(parse({"--version", "missing.gif"}).action, CommandLine::Action::Version);
    EXPECT_TRUE(versionText().startsWith("lumarel "));
    EXPECT_TRUE(helpText().startsWith("Usage: lumarel [OPTION]... [FILE]..."));
    EXPECT_TRUE(helpText().contains("--version"));

    // After "--", a name that starts with a dash is a file.
    touch("-odd.map");
    CommandLine line = parse({"--", "-odd.map"});
    ASSERT_EQ(line.action, CommandLine::Action::Run) << line.error.toStdString();
    EXPECT_EQ(line.files.map, path("-odd.map"));
    EXPECT_EQ(parse({"-odd.map"}).action, CommandLine::Action::Fail);
    line = parse({"--", "--help"});
    EXPECT_EQ(line.action, CommandLine::Action::Fail);
    EXPECT_TRUE(line.error.contains("no such file"));
}

TEST(OpenRequest, DroppedFilesOpenTheLastOfEachKindAndTheRestAreNamedInOneMessage)
{
    const OpenRequest request = openRequestFor({"/a/one.gif", "/b/two.map", "/c/readme", "/a/three.bmp",
                                                "/d/tune.KAR", "https://example.org/x.gif", "/e/photo.png"});
    EXPECT_EQ(request.picture, QString("/a/three.bmp"));
    EXPECT_EQ(request.map, QString("/b/two.map"));
    EXPECT_EQ(request.song, QString("/d/tune.KAR"));
    // A web address is no file of this computer, whatever its name ends with.
    EXPECT_EQ(request.others, (QStringList{"/c/readme", "https://example.org/x.gif", "/e/photo.png"}));
    const QString text = refusedFilesText(request.others);
    EXPECT_TRUE(text.startsWith("\"readme\", \"x.gif\", \"photo.png\" cannot be opened")) << text.toStdString();
    EXPECT_TRUE(text.contains(".mid, .midi, .rmi, .kar"));
    EXPECT_FALSE(openRequestFor({"/x/notes.txt"}).opensSomething());
}
