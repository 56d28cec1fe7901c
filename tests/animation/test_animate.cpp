#include <deque>
#include <gtest/gtest.h>

#include "animation/animate.h"
#include "animation/cycling.h"

namespace lumarel {
namespace {

// Records what a run does to its surface, as a palette display would show it.
class FakeSurface : public PaletteSurface {
public:
    bool loadPicture(const QString& file, QString* error) override
    {
        loads.push_back(file);
        if (file.endsWith(QStringLiteral(".bad"))) {
            *error = QStringLiteral("cannot open ") + file;
            return false;
        }
        return true;
    }
    void realizePalette(const LogPalette& palette) override
    {
        ++realizes;
        shown = palette.entries;
        entry255AtRealize = shown[255];
    }
    void animatePalette(int first, int count, const PaletteEntry* entries) override
    {
        for (int i = 0; i < count; ++i)
            shown[std::size_t(first + i)] = entries[i];
        ++pushesSinceMessage;
        entry255Changed = entry255Changed || shown[255] != entry255AtRealize;
    }
    std::vector<QString> loads;
    int realizes = 0;
    std::array<PaletteEntry, 256> shown{};
    PaletteEntry entry255AtRealize;
    bool entry255Changed = false;
    int pushesSinceMessage = 0;
};

// Hands out scripted messages; records the pushes made before each was taken.
class FakeMessages : public MessageSource {
public:
    explicit FakeMessages(FakeSurface& surface) : surface_(surface) {}
    WindowMessage get() override
    {
        pushesPerStep.push_back(surface_.pushesSinceMessage);
        surface_.pushesSinceMessage = 0;
        ++taken;
        if (script.empty())
            return key(0x1B);  // a run left running ends with Escape
        const WindowMessage next = script.front();
        script.pop_front();
        return next;
    }
    static WindowMessage key(int code, WindowMessage::Kind kind = WindowMessage::Kind::KeyDown)
    {
        WindowMessage m;
        m.kind = kind;
        m.virtualKey = code;
        return m;
    }
    static WindowMessage mouse() { return {WindowMessage::Kind::Mouse, 0, false}; }
    std::deque<WindowMessage> script;
    std::vector<int> pushesPerStep;
    int taken = 0;

private:
    FakeSurface& surface_;
};

struct CycleRun {
    GeneratedPalette palette;
    CyclingControl control;
    FakeSurface surface;
    FakeMessages messages{surface};
    Animate animator{surface, messages};
    QString file = QStringLiteral("/pictures/fractal.gif");

    CycleRun()
    {
        for (std::size_t i = 1; i <= 256; ++i)
            palette[i] = {std::int16_t(i - 1), std::int16_t(256 - i), std::int16_t((i * 5) % 256), 0};
    }
    bool show(QString* error = nullptr) { return animator.Show(file, palette, control, error); }
    PaletteEntry generated(std::size_t i) const
    {
        const KeyColor& c = palette[i];
        return {std::uint8_t(c.red), std::uint8_t(c.green), std::uint8_t(c.blue), kPcReserved};
    }
    LogPalette initial() const
    {
        LogPalette palette;
        for (std::size_t i = 0; i < 256; ++i)
            palette.entries[i] = generated(i + 1);
        return palette;
    }
};

TEST(Animate, ARunStartedWithStopSetMakesOneStepWithOneMessage)
{
    CycleRun run;
    run.control.stopAnimation = true;
    run.messages.script = {FakeMessages::mouse(), FakeMessages::mouse()};
    ASSERT_TRUE(run.show());
    EXPECT_EQ(run.surface.loads, std::vector<QString>{QStringLiteral("/pictures/fractal.gif")});
    EXPECT_EQ(run.animator.stepsMade(), 1);
    EXPECT_EQ(run.messages.taken, 1);
    EXPECT_EQ(run.surface.realizes, 1);
    EXPECT_EQ(run.animator.pushesMade(), 1);
    EXPECT_TRUE(run.control.stopAnimation);
    // Shown entry i is generated entry i + 2; entry 255 is generated entry 1.
    for (std::size_t i = 0; i < 255; ++i)
        EXPECT_EQ(run.surface.shown[i], run.generated(i + 2)) << i;
    EXPECT_EQ(run.surface.shown[255], run.generated(1));
    const LogPalette& buffer = run.animator.paletteBuffer();
    EXPECT_EQ(buffer.version, 0x300);
    EXPECT_EQ(buffer.count, 256);
    for (const PaletteEntry& entry : buffer.entries)
        EXPECT_EQ(entry.flags, kPcReserved);
}

TEST(Animate, RotationsComeBackToTheStart)
{
    CycleRun plain;
    LogPalette palette = plain.initial();
    for (int i = 0; i < 256; ++i)
        Animate::rotateTowardLower(palette);
    EXPECT_EQ(palette, plain.initial());
    Animate::rotateTowardLower(palette);
    EXPECT_NE(palette, plain.initial());
    Animate::rotateTowardHigher(palette);
    EXPECT_EQ(palette, plain.initial());

    // A whole run of 256 steps (255 mouse moves, then Escape) ends where it began, and entry 255
    // of the shown palette never moved.
    CycleRun run;
    for (int i = 0; i < 255; ++i)
        run.messages.script.push_back(i % 2 ? FakeMessages::mouse() : FakeMessages::key(0x25, WindowMessage::Kind::KeyUp));
    ASSERT_TRUE(run.show());
    EXPECT_EQ(run.animator.stepsMade(), 256);
    EXPECT_EQ(run.animator.paletteBuffer(), run.initial());
    EXPECT_FALSE(run.surface.entry255Changed);
    EXPECT_TRUE(run.control.stopAnimation);
}

TEST(Animate, ArrowsSteerWithoutEndingTheRun)
{
    CycleRun run;
    // step 1 lower, Right; step 2 higher (back to start), keypad keys; steps 3, 4 higher;
    // Left; step 5 lower; Escape.
    run.messages.script = {FakeMessages::key(0x27), FakeMessages::key(0x6D), FakeMessages::key(0x6B),
                           FakeMessages::key(0x25), FakeMessages::key(0x1B)};
    ASSERT_TRUE(run.show());
    EXPECT_EQ(run.animator.stepsMade(), 5);
    LogPalette expected = run.initial();
    Animate::rotateTowardHigher(expected);
    EXPECT_EQ(run.animator.paletteBuffer(), expected);
    EXPECT_TRUE(run.control.stopAnimation);
    EXPECT_EQ(run.control.cycleDelay, 0);
    EXPECT_FALSE(run.surface.entry255Changed);
}

TEST(Animate, AnyOtherKeyEndsTheRunButKeyUpsMouseAndFailuresDoNot)
{
    for (int code : {0x1B, 0x41, 0x51, 0x10, 0x20, 0x0D, 0xFF}) {
        CycleRun run;
        run.messages.script = {FakeMessages::key(code, WindowMessage::Kind::KeyUp), FakeMessages::mouse(),
                               {WindowMessage::Kind::KeyDown, 0x1B, true}, FakeMessages::key(code),
                               FakeMessages::mouse()};
        ASSERT_TRUE(run.show());
        EXPECT_EQ(run.messages.taken, 4) << code;
        EXPECT_TRUE(run.control.stopAnimation) << code;
        LogPalette expected = run.initial();
        for (int i = 0; i < 4; ++i)
            Animate::rotateTowardLower(expected);
        EXPECT_EQ(run.animator.paletteBuffer(), expected) << code;
    }
}

TEST(Animate, KeypadKeysSetThePace)
{
    CycleRun run;
    run.messages.script = {FakeMessages::key(0x6B), FakeMessages::key(0x6D), FakeMessages::key(0x6D),
                           FakeMessages::key(0x6D), FakeMessages::mouse(), FakeMessages::key(0x1B)};
    ASSERT_TRUE(run.show());
    EXPECT_EQ(run.control.cycleDelay, 15);
    EXPECT_EQ(run.messages.pushesPerStep, (std::vector<int>{1, 1, 6, 11, 16, 16}));
    EXPECT_EQ(run.animator.pushesMade(), 51);

    // Slower stops at 32765, the largest multiple of 5 a 16-bit count holds.
    CycleRun slow;
    slow.control.cycleDelay = 32760;
    slow.messages.script = {FakeMessages::key(0x6D), FakeMessages::key(0x6D)};
    ASSERT_TRUE(slow.show());
    EXPECT_EQ(slow.control.cycleDelay, Animate::kMaxCycleDelay);
    EXPECT_EQ(slow.messages.pushesPerStep, (std::vector<int>{32761, 32766, 32766}));
}

TEST(Animate, APictureThatCannotBeLoadedStopsBeforeAnyPaletteWork)
{
    CycleRun run;
    run.file = QStringLiteral("/pictures/broken.bad");
    QString error;
    EXPECT_FALSE(run.animator.Show2(run.file, run.palette, run.control, &error));
    EXPECT_EQ(error, QStringLiteral("cannot open /pictures/broken.bad"));
    EXPECT_EQ(run.surface.realizes, 0);
    EXPECT_EQ(run.messages.taken, 0);
    EXPECT_EQ(run.animator.pushesMade(), 0);

    // Show2 runs like Show.
    run.file = QStringLiteral("/pictures/fine.gif");
    run.control.stopAnimation = true;
    EXPECT_TRUE(run.animator.Show2(run.file, run.palette, run.control));
    EXPECT_EQ(run.animator.stepsMade(), 1);
    EXPECT_EQ(run.surface.shown[0], run.generated(2));
}

// The loop of every starter: a fresh engine per run, each run taking the messages for its length,
// never a run inside a run, and a picture that cannot be loaded stops the loop.
class CountingSource : public FakeMessages {
public:
    using FakeMessages::FakeMessages;
    bool running() const override { return busy || depth > 0; }
    void begin() override { ++depth, ++begun; }
    void end() override { --depth; }
    bool busy = false;
    int depth = 0;
    int begun = 0;
};

TEST(Cycling, StartersMakeRunsUntilTheStopFlagIsSet)
{
    CycleRun run;
    CountingSource source(run.surface);
    // One step: the flag is set first whatever it was, and cycleDelay starts at 0.
    run.control = {false, 25};
    source.script = {FakeMessages::key(0x27)};
    CyclingResult result = runCycling(run.surface, source, run.file, run.palette, run.control, CyclingStart::OneStep);
    EXPECT_EQ(result.outcome, CyclingOutcome::Ran);
    EXPECT_EQ(result.steps, 1);
    EXPECT_EQ(source.taken, 1);
    EXPECT_TRUE(run.control.stopAnimation);
    EXPECT_EQ(run.control.cycleDelay, 0);
    EXPECT_EQ(source.begun, 1);
    EXPECT_EQ(source.depth, 0);

    // Until stopped: the flag is cleared first; a stop key ends it.
    source.script = {FakeMessages::mouse(), FakeMessages::key(0x6D), FakeMessages::key(0x1B)};
    result = runCycling(run.surface, source, run.file, run.palette, run.control, CyclingStart::UntilStopped);
    EXPECT_EQ(result.steps, 3);
    EXPECT_EQ(run.control.cycleDelay, 5);
    EXPECT_EQ(source.begun, 2);

    // Never a run inside a run.
    source.busy = true;
    result = runCycling(run.surface, source, run.file, run.palette, run.control, CyclingStart::UntilStopped);
    EXPECT_EQ(result.outcome, CyclingOutcome::Busy);
    EXPECT_EQ(source.begun, 2);
    source.busy = false;

    // A picture that cannot be loaded ends the loop with the reason, the flag set.
    run.file = QStringLiteral("/pictures/gone.bad");
    result = runCycling(run.surface, source, run.file, run.palette, run.control, CyclingStart::UntilStopped);
    EXPECT_EQ(result.outcome, CyclingOutcome::Unloadable);
    EXPECT_TRUE(run.control.stopAnimation);
    EXPECT_TRUE(result.error.contains(QStringLiteral("gone.bad")));
    EXPECT_EQ(source.depth, 0);
}

}  // namespace
}  // namespace lumarel
