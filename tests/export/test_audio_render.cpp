#include "export/audio_render.h"
#include "export/phased_synth.h"
#include "midi/fluid_synth_device.h"
#include "midi/midifile.h"

#include "support/midi_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace lumarel {
namespace {

constexpr int rate = 48000;

std::vector<float> render(const std::vector<SynthMessage>& song, std::int64_t endUs)
{
    QString error;
    auto audio = renderSongAudio(song, endUs, FluidSynthDevice::findSoundFont(), rate, nullptr, &error);
    EXPECT_TRUE(audio) << error.toStdString();
    if (!audio)
        return {};
    EXPECT_EQ(audio->sampleRate, rate);
    return std::move(audio->samples);
}

float peakOf(const std::vector<float>& samples, std::int64_t from = 0, std::int64_t to = -1)
{
    float peak = 0;
    const std::int64_t end = to < 0 ? std::int64_t(samples.size() / 2) : std::min<std::int64_t>(to, samples.size() / 2);
    for (std::int64_t i = from * 2; i < end * 2; ++i)
        peak = std::max(peak, std::fabs(samples[std::size_t(i)]));
    return peak;
}

// The first frame where either channel reaches level; -1 when none does.
std::int64_t onsetOf(const std::vector<float>& samples, float level)
{
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (std::fabs(samples[i]) >= level)
            return std::int64_t(i / 2);
    return -1;
}

std::vector<SynthMessage> oneNote(std::int64_t atUs, std::uint8_t key = 60, std::uint8_t program = 0)
{
    return {{0, 0xC0, program, 0}, {atUs, 0x90, key, 100}, {atUs + 300000, 0x80, key, 0}};
}

class AudioRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (FluidSynthDevice::findSoundFont().isEmpty())
            GTEST_SKIP() << "no General MIDI SoundFont installed";
    }
};

TEST_F(AudioRender, ANoteStartsOnItsOwnSample)
{
    // A note at time 0 starts on every block grid: its onset is the reference.
    const auto reference = render(oneNote(0), 500000);
    const float level = peakOf(reference) * 0.01f;
    const std::int64_t referenceOnset = onsetOf(reference, level);
    ASSERT_GE(referenceOnset, 0);
    // Times whose samples (round(t * 48000 / 1e6), worked out by hand) fall on every kind of
    // place in a 64-frame block: 63, 64, 5926 (38 into a block), 1000 (40), 30001 (49).
    const std::pair<std::int64_t, std::int64_t> cases[] = {
        {1313, 63}, {1333, 64}, {123457, 5926}, {20833, 1000}, {625021, 30001}};
    for (const auto& [us, sample] : cases) {
        const auto samples = render(oneNote(us), us + 500000);
        EXPECT_GT(peakOf(samples), 0.01f) << "not silent";
        const std::int64_t onset = onsetOf(samples, level) - referenceOnset;
        EXPECT_NEAR(double(onset), double(sample), 1.0) << "note at " << us << " us";
    }
}

TEST_F(AudioRender, ANoteAfterATempoChangeLandsWhereItsTimeSays)
{
    // 480 ticks a quarter; 0.5 s quarters, then from tick 480 0.3 s quarters. The second note
    // at tick 720: 0.5 s + 240 / 480 * 0.3 s = 0.65 s, sample 31200 (32 into a block).
    test::TrackBuilder track;
    track.tempo(0, 500000)
        .event(0, {0xC0, 0})
        .event(0, {0x90, 60, 100})
        .event(96, {0x80, 60, 0})
        .tempo(384, 300000)
        .event(240, {0x90, 67, 100})
        .event(96, {0x80, 67, 0})
        .end();
    auto parsed = MidiSong::parse(test::smf(0, 480, {track}));
    ASSERT_TRUE(std::holds_alternative<MidiSong>(parsed));
    const MidiSong& song = std::get<MidiSong>(parsed);
    std::vector<SynthMessage> all, withoutSecond;
    std::uint64_t tick = 0;
    for (const MidiEvent& e : song.events) {
        tick += e.delta;
        if (e.status < 0x80 || e.status >= 0xF0)
            continue;
        const SynthMessage m{song.tickToMicroseconds(tick), e.status, e.data1, e.data2};
        all.push_back(m);
        if (e.data1 != 67)
            withoutSecond.push_back(m);
    }
    const std::int64_t end = 1500000;
    const auto whole = render(all, end);
    const auto first = render(withoutSecond, end);
    ASSERT_EQ(whole.size(), first.size());
    std::vector<float> second(whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i)
        second[i] = whole[i] - first[i];

    const auto reference = render(oneNote(0, 67), 500000);
    const float level = peakOf(reference) * 0.01f;
    EXPECT_NEAR(double(onsetOf(second, level) - onsetOf(reference, level)), 31200.0, 1.0);
    const auto firstReference = render(oneNote(0, 60), 500000);
    const float firstLevel = peakOf(firstReference) * 0.01f;
    EXPECT_NEAR(double(onsetOf(first, firstLevel) - onsetOf(firstReference, firstLevel)), 0.0, 1.0);
}

TEST_F(AudioRender, ChannelStateReachesEverySynth)
{
    // Channel 0 turned down to nothing, channel 1 an organ; their notes land 37 and 21 samples
    // into blocks, so they need synths made after the state was set.
    const std::vector<SynthMessage> song = {
        {0, 0xB0, 7, 0},           {0, 0xC1, 19, 0},           {0, 0xB1, 7, 127},
        {200771, 0x90, 60, 110},   {1200771, 0x80, 60, 0},     // channel 0: sample 9637
        {2000438, 0x91, 60, 110},  {4000438, 0x81, 60, 0}};    // channel 1: sample 96021
    const auto samples = render(song, 4500000);
    EXPECT_LT(peakOf(samples, 0, 96021), 0.001f) << "volume 0 on channel 0";
    const float early = peakOf(samples, 96021 + rate / 4, 96021 + rate / 2);
    const float late = peakOf(samples, 96021 + rate * 3 / 2, 96021 + rate * 7 / 4);
    EXPECT_GT(early, 0.02f);
    EXPECT_GT(late, early * 0.5f) << "an organ holds its level; a piano would have died away";
}

TEST_F(AudioRender, TheTailIsKeptUntilSilentAndAtMostThreeSeconds)
{
    // A piano note released as the song ends: its release and reverb are kept, then cut.
    const std::vector<SynthMessage> released = {{0, 0x90, 60, 110}, {400000, 0x80, 60, 0}};
    const std::int64_t end = std::int64_t(0.4 * rate);
    const auto tail = render(released, 400000);
    const auto frames = std::int64_t(tail.size() / 2);
    EXPECT_GT(frames, end + rate / 50) << "the tail is kept";
    EXPECT_LT(frames, end + 3 * rate) << "and cut when silent";
    EXPECT_LT(peakOf(tail, frames - rate / 100), 0.001f);
    // Rendered with a longer song, nothing sounds after that cut.
    const auto longer = render(released, 3400000);
    EXPECT_LT(peakOf(longer, frames), 2.0f / 32768);

    // An organ note never released: released at the end, so not kept for the whole 3 s.
    const auto held = render({{0, 0xC0, 19, 0}, {0, 0x90, 60, 110}}, 500000);
    EXPECT_LT(held.size() / 2, std::size_t(rate / 2 + 3 * rate));
    EXPECT_GT(peakOf(held, 0, rate / 2), 0.02f);

    // Held by the sustain pedal past the end: the tail stops at 3 s exactly.
    const auto sustained = render({{0, 0xC0, 19, 0}, {0, 0xB0, 64, 127}, {0, 0x90, 60, 110}}, 500000);
    EXPECT_EQ(sustained.size() / 2, std::size_t(rate / 2 + 3 * rate));
}

TEST_F(AudioRender, CancelAndBadInputStopWithAReason)
{
    std::vector<SynthMessage> song;
    for (int i = 0; i < 100; ++i) {
        song.push_back({i * 100000LL, 0x90, std::uint8_t(40 + i % 40), 100});
        song.push_back({i * 100000LL + 90000, 0x80, std::uint8_t(40 + i % 40), 0});
    }
    std::atomic<bool> cancel = false;
    double last = 0;
    QString error;
    auto audio = renderSongAudio(song, 10000000, FluidSynthDevice::findSoundFont(), rate, &cancel, &error,
                                 [&](double fraction) {
                                     last = fraction;
                                     if (fraction > 0.3)
                                         cancel = true;
                                 });
    EXPECT_FALSE(audio);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_LT(last, 0.5);

    EXPECT_FALSE(renderSongAudio(song, 1000000, QStringLiteral("/nonexistent/none.sf2"), rate, nullptr, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("none.sf2"))) << error.toStdString();
    EXPECT_FALSE(renderSongAudio(song, 1000000, FluidSynthDevice::findSoundFont(), 1000, nullptr, &error));
}

TEST_F(AudioRender, PhasesSharedOutSumToTheWhole)
{
    // Notes on many phases, the same key struck again on another phase before its note off,
    // a program change, controllers and a bend between them.
    std::vector<std::tuple<std::int64_t, std::uint8_t, std::uint8_t, std::uint8_t>> song = {
        {0, 0xC0, 19, 0}, {0, 0xB0, 7, 100}, {0, 0x90, 60, 100}, {1000, 0x90, 64, 90}, {2037, 0x90, 60, 80},
        {3000, 0xE0, 0, 80}, {4321, 0x90, 67, 100}, {5000, 0xC0, 0, 0}, {6003, 0x90, 72, 100},
        {9000, 0x80, 60, 0}, {9500, 0xB0, 64, 127}, {10001, 0x80, 64, 0}, {12000, 0xB0, 64, 0},
        {13013, 0x90, 60, 70}, {20000, 0x80, 67, 0}, {20000, 0x80, 72, 0}, {20000, 0x80, 60, 0}};
    auto play = [&](std::vector<PhasedSynth::Phases> parts) {
        std::vector<std::unique_ptr<PhasedSynth>> synths;
        QString error;
        for (const auto& phases : parts) {
            synths.push_back(PhasedSynth::create(FluidSynthDevice::findSoundFont(), rate, phases, &error));
            EXPECT_TRUE(synths.back()) << error.toStdString();
        }
        for (const auto& [at, status, data1, data2] : song)
            for (auto& synth : synths) {
                synth->renderTo(at);
                synth->send(at, status, data1, data2, &error);
            }
        std::vector<float> sum(30000 * 2);
        for (auto& synth : synths) {
            synth->renderTo(30000);
            for (std::size_t i = 0; i < sum.size(); ++i)
                sum[i] += synth->output()[i];
        }
        return sum;
    };
    PhasedSynth::Phases low, high, all;
    for (int p = 0; p < 64; ++p)
        (p % 3 ? low : high).set(std::size_t(p));
    all.set();
    const auto whole = play({all});
    const auto shared = play({low, high});
    EXPECT_GT(peakOf(whole), 0.01f);
    float worst = 0;
    for (std::size_t i = 0; i < whole.size(); ++i)
        worst = std::max(worst, std::fabs(whole[i] - shared[i]));
    EXPECT_LT(worst, 1e-5f);
}

}  // namespace
}  // namespace lumarel
