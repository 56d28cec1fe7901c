#include "midi/fluid_synth_device.h"

#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace lumarel {
namespace {

int peakOf(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to)
{
    int peak = 0;
    for (std::size_t i = from; i < std::min(to, samples.size()); ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    return peak;
}

TEST(SynthRender, BuiltInSynthIsHeard)
{
    if (FluidSynthDevice::findSoundFont().isEmpty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    const int rate = 44100;
    // A piano chord for half a second, then silence (no messages at all: only its release).
    const std::vector<QueuedMessage> song = {
        {0, 0, 0xC0, 0, 0},          {0, 0, 0x90, 60, 110},       {0, 0, 0x90, 64, 110},
        {500000, 0, 0x80, 60, 0},    {500000, 0, 0x80, 64, 0},
    };
    QString error;
    const auto samples = FluidSynthDevice::renderOffline(song, 3000000, rate, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(samples.size(), std::size_t(3 * rate * 2));
    const int fullScale = 32767;
    EXPECT_GT(peakOf(samples, 0, std::size_t(rate)), fullScale / 100);      // the chord sounds
    EXPECT_LT(peakOf(samples, std::size_t(5 * rate), samples.size()), fullScale / 1000);  // then dies away

    // Nothing queued renders silence.
    const auto quiet = FluidSynthDevice::renderOffline({}, 500000, rate, &error);
    EXPECT_LT(peakOf(quiet, 0, quiet.size()), 8);  // dither at most
}

}  // namespace
}  // namespace lumarel
