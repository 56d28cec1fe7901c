#include "export/gif_frame_plan.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace lumarel {
namespace {

std::int64_t sumOf(const std::vector<GifFrame>& frames)
{
    return std::accumulate(frames.begin(), frames.end(), std::int64_t(0),
                           [](std::int64_t sum, const GifFrame& f) { return sum + f.delayCs; });
}

// Where each frame starts, in 1/100 s.
std::vector<std::int64_t> startsOf(const std::vector<GifFrame>& frames)
{
    std::vector<std::int64_t> starts;
    std::int64_t at = 0;
    for (const GifFrame& f : frames) {
        starts.push_back(at);
        at += f.delayCs;
    }
    return starts;
}

TEST(GifFramePlan, EvenChangesBecomeFramesOfTheirLength)
{
    // A change every half second over two seconds.
    const std::vector<std::int64_t> times = {0, 500000, 1000000, 1500000};
    const auto frames = planGifFrames(times, 2000000);
    ASSERT_EQ(frames.size(), 4u);
    for (std::size_t k = 0; k < frames.size(); ++k) {
        EXPECT_EQ(frames[k].change, k);
        EXPECT_EQ(frames[k].delayCs, 50);
    }
    EXPECT_TRUE(planGifFrames({}, 1000000).empty());
}

TEST(GifFramePlan, ChangesAtThirtyAFrameDoNotDrift)
{
    // 1000 changes 1/30 s apart: each 3.33 cs, so delays of 3 and 4 whose edges follow the times.
    std::vector<std::int64_t> times;
    for (int k = 0; k < 1000; ++k)
        times.push_back(std::int64_t(k) * 1000000 / 30);
    const std::int64_t song = 1000 * 1000000LL / 30;
    const auto frames = planGifFrames(times, song);
    ASSERT_EQ(frames.size(), 1000u);
    const auto starts = startsOf(frames);
    for (std::size_t k = 0; k < frames.size(); ++k) {
        EXPECT_EQ(frames[k].change, k);
        EXPECT_TRUE(frames[k].delayCs == 3 || frames[k].delayCs == 4) << k;
        // round(t / 10 ms) worked out by hand: t = k / 30 s = k * 10 / 3 cs.
        EXPECT_EQ(starts[k], (std::int64_t(k) * 10 + 1) / 3) << k;
    }
    EXPECT_EQ(sumOf(frames), 3333);  // 33.333 s
}

TEST(GifFramePlan, ChangesTooCloseMergeIntoTheLaterPalette)
{
    // A change 5 ms after another: one frame, showing the later one, from the earlier's time.
    const std::vector<std::int64_t> times = {0, 1000000, 1005000, 2000000};
    const auto frames = planGifFrames(times, 3000000);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].change, 0u);
    EXPECT_EQ(frames[0].delayCs, 100);
    EXPECT_EQ(frames[1].change, 2u);
    EXPECT_EQ(frames[1].delayCs, 100);
    EXPECT_EQ(frames[2].change, 3u);
    EXPECT_EQ(frames[2].delayCs, 100);

    // A burst of changes 4 ms apart shows the palette it settles on.
    std::vector<std::int64_t> burst = {0};
    for (int k = 1; k <= 10; ++k)
        burst.push_back(500000 + k * 4000);
    const auto settled = planGifFrames(burst, 1000000);
    for (const GifFrame& f : settled)
        EXPECT_GE(f.delayCs, 2);
    EXPECT_EQ(settled.back().change, 10u);
    EXPECT_EQ(sumOf(settled), 100);
}

TEST(GifFramePlan, EndsAndLimits)
{
    // A change 5 ms before the end is not shown: the frame before lasts to the end.
    const std::vector<std::int64_t> late = {0, 995000};
    auto frames = planGifFrames(late, 1000000);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].change, 0u);
    EXPECT_EQ(frames[0].delayCs, 100);

    // A song shorter than 2/100 s still gives its one frame.
    const std::vector<std::int64_t> one = {0};
    frames = planGifFrames(one, 14000);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].delayCs, 1);

    // Changes after the end are not shown.
    const std::vector<std::int64_t> after = {0, 2000000};
    frames = planGifFrames(after, 1000000);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].delayCs, 100);

    // Twenty minutes of one palette exceed a GIF delay (655.35 s): equal frames of it.
    frames = planGifFrames(one, 1200LL * 1000000);
    EXPECT_EQ(sumOf(frames), 120000);
    ASSERT_EQ(frames.size(), 2u);
    for (const GifFrame& f : frames) {
        EXPECT_EQ(f.change, 0u);
        EXPECT_EQ(f.delayCs, 60000);
    }
}

TEST(GifFramePlan, RandomSongsKeepTheRules)
{
    std::mt19937 random(7);
    for (int song = 0; song < 500; ++song) {
        std::vector<std::int64_t> times = {0};
        const int changes = int(random() % 200);
        for (int k = 0; k < changes; ++k)
            times.push_back(times.back() + std::int64_t(random() % 60000));  // 0..60 ms apart
        const std::int64_t length = times.back() + std::int64_t(random() % 100000);
        const auto frames = planGifFrames(times, length);
        const std::int64_t total = (length + 5000) / 10000;
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(sumOf(frames), total);
        const auto starts = startsOf(frames);
        for (std::size_t i = 0; i < frames.size(); ++i) {
            if (total >= 2) {
                EXPECT_GE(frames[i].delayCs, 2);
            }
            if (i > 0) {
                EXPECT_GT(frames[i].change, frames[i - 1].change);
            }
            // A frame shows its palette at most 1/100 s before the palette's own time...
            EXPECT_LE((times[frames[i].change] + 5000) / 10000, starts[i] + 1);
            // ...and no later change had its time before the frame began.
            const std::size_t next = frames[i].change + 1;
            if (next < times.size()) {
                EXPECT_GT((times[next] + 5000) / 10000, starts[i]);
            }
        }
    }
}

}  // namespace
}  // namespace lumarel
