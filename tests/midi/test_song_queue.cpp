#include "support/midi_builder.h"
#include "midi/midi_output.h"
#include "midi/midifile.h"
#include "midi/recording_device.h"
#include "midi/song_queue.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace lumarel {
namespace {

using test::smf;
using test::TrackBuilder;

MIDIOutput makeOutput()
{
    auto clock = std::make_shared<FakeClock>();
    return MIDIOutput(std::make_unique<RecordingDeviceProvider>(std::make_shared<RecordingLog>(), clock), clock);
}

Midifile open(const QString& name, const QByteArray& bytes)
{
    Midifile file;
    file.setFileName(test::writeTempFile(name, bytes));
    file.setAction(Midifile::Open);
    return file;
}

// A track of n events, each one tick after the last, whose note number is its track.
TrackBuilder countedTrack(int track, int n)
{
    TrackBuilder t;
    for (int e = 1; e < n; ++e)
        t.event(1, {0x90, track, e % 128});
    if (n > 0)
        t.end(1);
    return t;
}

TEST(SongQueue, QueuesEveryTrackInBlocksWithProgress)
{
    const std::vector<int> sizes = {10, 300, 130};
    // 1 ms per tick, so an event's time in ms is its index.
    Midifile file = open("blocks.mid", smf(1, 500, {countedTrack(1, 10), countedTrack(2, 300), countedTrack(3, 130)}));
    ASSERT_EQ(file.trackCount(), 3);
    MIDIOutput out = makeOutput();
    out.setMsgTime(12345);  // leftovers of an earlier song must go
    out.setAction(MIDIOutput::Append);

    std::vector<int> progress;
    queueSong(file, out, [&](int percent) { progress.push_back(percent); });

    // The block rule, worked out here: per pass, up to 126 events of each unfinished track.
    std::vector<std::pair<int, int>> expected;  // (track, event index)
    std::vector<int> expectedProgress;
    std::vector<int> next(4, 1);
    int total = 0;
    for (int n : sizes)
        total += n;
    int queued = 0;
    for (bool any = true; any;) {
        any = false;
        for (int t = 1; t <= 3; ++t)
            any = any || next[std::size_t(t)] <= sizes[std::size_t(t - 1)];
        if (!any)
            break;
        expectedProgress.push_back(int(std::floor(queued * 100.0 / total)));
        for (int t = 1; t <= 3; ++t) {
            const int n = sizes[std::size_t(t - 1)];
            const int last = std::min(n, next[std::size_t(t)] + 125);
            for (int e = next[std::size_t(t)]; e <= last; ++e, ++queued)
                expected.emplace_back(t, e);
            next[std::size_t(t)] = last + 1;
        }
    }
    EXPECT_EQ(progress, expectedProgress);
    EXPECT_EQ(progress, (std::vector<int>{0, 59, 89}));

    const auto& queue = out.queue();
    ASSERT_EQ(queue.size(), expected.size());
    ASSERT_EQ(queue.size(), 440u);
    for (std::size_t i = 0; i < queue.size(); ++i) {
        const auto [track, index] = expected[i];
        EXPECT_EQ(queue[i].timeUs, index * 1000) << i;
        if (queue[i].status == 0x90) {
            EXPECT_EQ(queue[i].data1, track) << i;
            EXPECT_EQ(queue[i].tag, track * 1000000 + track * 1000 + index % 128 + 1) << i;
        } else {
            EXPECT_EQ(queue[i].status, 0xFF);
            EXPECT_EQ(queue[i].tag, 0);
        }
    }
}

TEST(SongQueue, TagsAndEmptyTracks)
{
    TrackBuilder t1;
    t1.event(0, {0x90, 60, 0}).end();
    TrackBuilder t2;
    t2.event(0, {0x90, 60, 0})  // Note On with velocity 0
        .event(0, {0x80, 60, 64})
        .meta(0, 3, "name")
        .end();
    QByteArray bytes = smf(1, 480, {t1, t2});
    bytes += QByteArray("MTrk") + test::be32(0);  // a track with no events at all
    bytes[11] = 3;
    Midifile file = open("tags.mid", bytes);
    ASSERT_EQ(file.trackCount(), 3);
    MIDIOutput out = makeOutput();
    int passes = 0;
    queueSong(file, out, [&](int) { ++passes; });
    EXPECT_EQ(passes, 1);
    const auto& queue = out.queue();
    ASSERT_EQ(queue.size(), 6u);
    EXPECT_EQ(queue[0].tag, 1060001);  // track 1 of a multi-track file is queued too
    EXPECT_EQ(queue[2].tag, 2060001);
    EXPECT_EQ(queue[3].tag, 0);  // Note Off
    EXPECT_EQ(queue[4].tag, 0);  // meta
    EXPECT_EQ(queue[4].status, 0xFF);
    EXPECT_EQ(queue[4].data1, 3);
}

TEST(SongQueue, TimesFollowTheTempoMapExactly)
{
    // Tempo 500000 and division 480: tick 960 is exactly one second (the rows' single
    // precision ms per tick would floor it to 999 ms).
    TrackBuilder conductor;
    conductor.tempo(0, 500000).end();
    TrackBuilder music;
    music.event(960, {0x90, 60, 100}).end();
    Midifile plain = open("exact.mid", smf(1, 480, {conductor, music}));
    MIDIOutput out = makeOutput();
    queueSong(plain, out, nullptr);
    ASSERT_EQ(out.queue().size(), 4u);
    EXPECT_EQ(out.queue()[2].timeUs, 1000000);
    EXPECT_EQ(std::floor(double(plain.msPerTick()) * 960), 999.0);

    // A tempo change halfway: 480 ticks at 500000 then 480 at 250000.
    TrackBuilder changing;
    changing.tempo(0, 500000).tempo(480, 250000).end();
    Midifile faster = open("faster.mid", smf(1, 480, {changing, music}));
    queueSong(faster, out, nullptr);
    ASSERT_EQ(out.queue().size(), 5u);
    EXPECT_EQ(out.queue()[3].timeUs, 750000);
    EXPECT_EQ(out.queue()[4].timeUs, 750000);  // end of track, same tick

    // No file: the queue is emptied and nothing is queued.
    Midifile none;
    int calls = 0;
    queueSong(none, out, [&](int) { ++calls; });
    EXPECT_TRUE(out.queue().empty());
    EXPECT_EQ(calls, 0);
}

TEST(SongQueue, SingleTrackFileIsQueued)
{
    Midifile file = open("single.mid", smf(0, 96, {countedTrack(1, 5)}));
    MIDIOutput out = makeOutput();
    queueSong(file, out, nullptr);
    ASSERT_EQ(out.queue().size(), 5u);
    EXPECT_EQ(out.queue()[0].tag, 1001002);
}

}  // namespace
}  // namespace lumarel
