#include <gtest/gtest.h>

#include "app/render_command_line.h"

namespace lumarel {
namespace {

RenderArguments parse(const QStringList& arguments) { return parseRenderArguments(arguments); }

QString usageOf(const RenderArguments& parsed)
{
    const auto* wrong = std::get_if<RenderUsageError>(&parsed);
    return wrong ? wrong->text : QString();
}

TEST(RenderCommandLine, ReadsWhatToRenderAndItsOptions)
{
    const RenderArguments parsed = parse({"song.mid", "--fps", "60", "pic.gif", "-o", "out.webm", "--size", "640x360",
                                          "--soundfont", "gm.sf2", "--save-map", "last.map", "--quiet"});
    const auto* command = std::get_if<RenderCommand>(&parsed);
    ASSERT_TRUE(command) << usageOf(parsed).toStdString();
    EXPECT_EQ(command->request.song, "song.mid");
    EXPECT_EQ(command->request.picture, "pic.gif");
    EXPECT_EQ(command->request.output, "out.webm");
    EXPECT_EQ(command->request.size, QSize(640, 360));
    EXPECT_EQ(command->request.fps, 60);
    EXPECT_EQ(command->request.soundFont, "gm.sf2");
    EXPECT_EQ(command->request.mapFile, "last.map");
    EXPECT_TRUE(command->quiet);

    // Defaults; and a file whose name starts with a dash after "--".
    const RenderArguments plainParsed = parse({"-o", "a.mp4", "--", "-s.mid", "p.bmp"});
    const auto* plain = std::get_if<RenderCommand>(&plainParsed);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->request.song, "-s.mid");
    EXPECT_TRUE(plain->request.size.isEmpty());
    EXPECT_EQ(plain->request.fps, 30);
    EXPECT_FALSE(plain->quiet);

    EXPECT_TRUE(std::holds_alternative<RenderHelp>(parse({"a", "--help"})));
    EXPECT_TRUE(std::holds_alternative<RenderVersion>(parse({"--version"})));
}

TEST(RenderCommandLine, SaysWhatIsWrongInOneLine)
{
    EXPECT_TRUE(usageOf(parse({"song.mid", "pic.gif"})).contains("-o"));
    EXPECT_TRUE(usageOf(parse({"song.mid", "-o", "a.mp4"})).contains("a song and a picture"));
    EXPECT_TRUE(usageOf(parse({"a", "b", "c", "-o", "a.mp4"})).contains("a song and a picture"));
    EXPECT_TRUE(usageOf(parse({"a", "b", "-o", "a.mp4", "--fps", "0"})).contains("1 to 120"));
    EXPECT_TRUE(usageOf(parse({"a", "b", "-o", "a.mp4", "--fps", "121"})).contains("1 to 120"));
    EXPECT_TRUE(usageOf(parse({"a", "b", "-o", "a.mp4", "--fps", "fast"})).contains("fast"));
    EXPECT_TRUE(usageOf(parse({"a", "b", "-o", "a.mp4", "--size", "big"})).contains("WIDTHxHEIGHT"));
    EXPECT_TRUE(usageOf(parse({"a", "b", "-o", "a.mp4", "--size", "0x5"})).contains("WIDTHxHEIGHT"));
    EXPECT_TRUE(usageOf(parse({"a", "b", "-o"})).contains("needs a value"));
    EXPECT_TRUE(usageOf(parse({"a", "b", "-o", "a.mp4", "--loud"})).contains("--loud"));
    for (const char* option : {"-o", "--size", "--fps", "--soundfont", "--save-map"})
        EXPECT_TRUE(renderHelpText().contains(QLatin1String(option))) << option;
}

TEST(RenderCommandLine, ProgressShowsPercentFramesSpeedAndTimeLeft)
{
    ExportProgress progress;
    progress.fraction = 0.5;
    progress.framesDone = 900;
    progress.framesTotal = 1800;
    progress.outputSeconds = 60;
    progress.elapsedSeconds = 10;
    const QString line = renderProgressLine(progress, 100);
    EXPECT_LE(line.size(), 100) << line.toStdString();  // fits the terminal
    EXPECT_GE(line.size(), 95) << line.toStdString();   // and uses it
    EXPECT_TRUE(line.contains(" 50%"));
    EXPECT_TRUE(line.contains("frames 900/1800"));
    EXPECT_TRUE(line.contains("3.0x"));  // 30 s of output made in 10 s
    EXPECT_TRUE(line.contains("0:10 left"));
    EXPECT_TRUE(line.startsWith('['));
}

}  // namespace
}  // namespace lumarel
