#include "support/midi_builder.h"
#include "midi/midifile.h"
#include "support/test_support.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cstdio>

namespace lumarel {
namespace {

using test::smf;
using test::TrackBuilder;

MidiSong songOf(MidiParseResult result)
{
    if (const auto* error = std::get_if<MidiParseError>(&result)) {
        ADD_FAILURE() << "refused: " << error->text.toStdString();
        return {};
    }
    return std::move(std::get<MidiSong>(result));
}

Midifile openFile(const QString& name, const QByteArray& bytes)
{
    Midifile file;
    file.setAction(Midifile::Close);
    file.setFileName(test::writeTempFile(name, bytes));
    file.setAction(Midifile::Open);
    return file;
}

TEST(Midifile, ReadsChannelEventsWithRunningStatus)
{
    TrackBuilder t;
    t.event(0, {0xC0, 5})            // program change: one data byte
        .event(0, {0x90, 60, 100})   // note on
        .event(10, {62, 90})         // running status
        .event(5, {0xE1, 0x00, 0x40})  // pitch bend
        .event(7, {0x80, 60, 0})
        .end(3);
    Midifile file = openFile("running.mid", smf(0, 96, {t}));
    ASSERT_TRUE(file.isOpen()) << file.error().toStdString();
    EXPECT_FALSE(file.damaged()) << file.damageText().toStdString();
    EXPECT_EQ(file.trackCount(), 1);
    EXPECT_EQ(file.division(), 96);
    EXPECT_EQ(file.tempo(), 500000);
    file.setTrack(1);
    ASSERT_EQ(file.eventCount(), 6);
    const int expected[6][4] = {{0xC0, 5, 0, 0},   {0x90, 60, 100, 0}, {0x90, 62, 90, 10},
                                {0xE1, 0, 0x40, 5}, {0x80, 60, 0, 7},   {0xFF, 0x2F, 0, 3}};
    for (int e = 1; e <= 6; ++e) {
        file.setEventIndex(e);
        EXPECT_EQ(file.status(), expected[e - 1][0]) << "event " << e;
        EXPECT_EQ(file.data1(), expected[e - 1][1]) << "event " << e;
        EXPECT_EQ(file.data2(), expected[e - 1][2]) << "event " << e;
        EXPECT_EQ(file.deltaTime(), expected[e - 1][3]) << "event " << e;
    }
    // Out of range selections read as nothing rather than as another event.
    file.setEventIndex(7);
    EXPECT_EQ(file.status(), 0);
    file.setTrack(2);
    EXPECT_EQ(file.eventCount(), 0);
}

TEST(Midifile, MetaTextAndNamesInUtf8OrLatin1)
{
    TrackBuilder t;
    t.meta(0, 3, QByteArray("  Pian\xC3\xB2  "))    // valid UTF-8
        .meta(0, 3, QByteArray("Caf\xE9"))          // Latin-1 é
        .meta(0, 1, QByteArray())                   // empty text
        .meta(0, 0x7F, QByteArray("\x00\x01", 2))   // sequencer specific
        .end();
    const MidiSong song = songOf(MidiSong::parse(smf(0, 480, {t})));
    ASSERT_EQ(song.events.size(), 5u);
    EXPECT_EQ(song.textOf(song.events[0]), QStringLiteral("  Pian\u00F2  "));
    EXPECT_EQ(song.textOf(song.events[1]), QStringLiteral("Caf\u00E9"));
    EXPECT_TRUE(song.textOf(song.events[2]).isEmpty());
    EXPECT_EQ(song.events[0].status, 0xFF);
    EXPECT_EQ(song.events[0].data1, 3);
    EXPECT_EQ(song.events[3].data1, 0x7F);
}

TEST(Midifile, SysexF0AndF7)
{
    TrackBuilder t;
    t.event(0, {0x90, 60, 100})
        .sysex(4, 0xF0, QByteArray("\x7E\x7F\x09\x01\xF7", 5))
        .sysex(2, 0xF7, QByteArray("\xF0\x43", 2))  // escape: any bytes
        .event(1, {61, 100})                        // running status survives the sysex
        .end();
    const MidiSong song = songOf(MidiSong::parse(smf(0, 480, {t})));
    ASSERT_EQ(song.events.size(), 5u);
    EXPECT_TRUE(song.damage.isEmpty());
    EXPECT_EQ(song.events[1].status, 0xF0);
    EXPECT_EQ(song.events[1].payloadSize, 5u);
    EXPECT_EQ(song.events[1].delta, 4u);
    EXPECT_EQ(song.events[2].status, 0xF7);
    EXPECT_EQ(song.events[2].payloadSize, 2u);
    EXPECT_EQ(song.events[3].status, 0x90);
    EXPECT_EQ(song.events[3].data1, 61);
}

TEST(Midifile, RefusesWhatIsNotMidi)
{
    const QByteArray good = smf(0, 96, {TrackBuilder().end()});
    QByteArray divisionZero = good;
    divisionZero[12] = 0;
    divisionZero[13] = 0;
    QByteArray shortHeader = test::smfHeader(0, 1, 96).left(10);
    QByteArray headerSizeFive = good;
    headerSizeFive[7] = 5;
    const std::pair<const char*, QByteArray> cases[] = {
        {"magic.mid", QByteArray("RIFX") + good.mid(4)},
        {"short.mid", shortHeader},
        {"size5.mid", headerSizeFive},
        {"div0.mid", divisionZero},
        {"empty.mid", QByteArray()},
    };
    for (const auto& [name, bytes] : cases) {
        // A good file first, so the refusal must also drop it.
        Midifile file = openFile("good.mid", good);
        ASSERT_EQ(file.trackCount(), 1);
        file.setAction(Midifile::Close);
        file.setFileName(test::writeTempFile(QString::fromLatin1(name), bytes));
        file.setAction(Midifile::Open);
        EXPECT_FALSE(file.isOpen()) << name;
        EXPECT_EQ(file.trackCount(), 0) << name;
        EXPECT_FALSE(file.error().isEmpty()) << name;
        EXPECT_TRUE(std::holds_alternative<MidiParseError>(MidiSong::parse(bytes))) << name;
    }
    Midifile missing;
    missing.setFileName(test::tempDir() + QStringLiteral("/no-such-file.mid"));
    missing.setAction(Midifile::Open);
    EXPECT_FALSE(missing.isOpen());
    EXPECT_TRUE(missing.error().contains(QStringLiteral("no-such-file.mid")));
}

TEST(Midifile, ReadsUpToTheDamage)
{
    TrackBuilder t1;
    t1.event(0, {0x90, 60, 100}).event(10, {0x80, 60, 0}).end();
    TrackBuilder t2;
    t2.event(0, {0x91, 64, 100}).event(10, {0x81, 64, 0}).end();

    // Track 2's last event is cut in the middle (the chunk itself is whole).
    TrackBuilder cutEvent;
    cutEvent.event(0, {0x90, 60, 100}).event(5, {0x80, 60});
    const MidiSong a = songOf(MidiSong::parse(smf(1, 96, {t1, cutEvent})));
    ASSERT_EQ(a.tracks.size(), 2u);
    EXPECT_EQ(a.tracks[1].count, 1u);
    ASSERT_FALSE(a.damage.isEmpty());
    EXPECT_TRUE(a.damage.join(' ').contains(QStringLiteral("track 2 is cut short")));

    // Track 2's length runs past the end of the file.
    QByteArray pastEnd = smf(1, 96, {t1, t2});
    pastEnd.chop(3);
    const MidiSong b = songOf(MidiSong::parse(pastEnd));
    ASSERT_EQ(b.tracks.size(), 2u);
    EXPECT_EQ(b.tracks[0].count, 3u);
    EXPECT_EQ(b.tracks[1].count, 2u);
    EXPECT_TRUE(b.damage.join(' ').contains(QStringLiteral("track 2 runs past the end")));

    // Stray bytes after the last track, bytes after an end of track, a missing track.
    QByteArray stray = smf(1, 96, {t1}) + QByteArray("\x00\x01\x02", 3);
    EXPECT_TRUE(songOf(MidiSong::parse(stray)).damage.join(' ').contains(QStringLiteral("stray")));
    TrackBuilder overlong = t1;
    overlong.data += QByteArray("\x00\x90\x40\x40", 4);
    EXPECT_TRUE(songOf(MidiSong::parse(smf(1, 96, {overlong}))).damage.join(' ').contains(
        QStringLiteral("track 1 has bytes after its end")));
    QByteArray missingTrack = smf(1, 96, {t1});
    missingTrack[11] = 3;
    EXPECT_FALSE(songOf(MidiSong::parse(missingTrack)).damage.isEmpty());

    // Stray system messages are skipped with their data and their time kept.
    TrackBuilder strayStatus;
    strayStatus.event(0, {0x90, 60, 100}).event(5, {0xF8}).event(2, {0xF2, 1, 2}).event(7, {62, 100}).end();
    const MidiSong skipped = songOf(MidiSong::parse(smf(0, 96, {strayStatus})));
    ASSERT_EQ(skipped.events.size(), 3u);
    EXPECT_EQ(skipped.events[1].delta, 14u);
    EXPECT_EQ(skipped.events[1].data1, 62);
    EXPECT_TRUE(skipped.damage.join(' ').contains(QStringLiteral("stray status 0xf8")));
    // The undefined F4 and F5 as well: a stray F4 before a C-major scale leaves the whole scale.
    TrackBuilder scale;
    scale.event(3, {0xF4});
    const int keys[] = {60, 62, 64, 65, 67, 69, 71, 72};
    for (int k = 0; k < 8; ++k)
        scale.event(k == 0 ? 5 : 0, {0x90, keys[k], 100}).event(48, {0x80, keys[k], 0}).event(0, {0xF5});
    scale.end();
    const MidiSong played = songOf(MidiSong::parse(smf(0, 96, {scale})));
    int notes = 0;
    for (const MidiEvent& event : played.events)
        notes += event.status == 0x90 ? 1 : 0;
    EXPECT_EQ(notes, 8);
    EXPECT_EQ(played.events[0].delta, 8u);  // the F4's delta is carried to the first note
    EXPECT_EQ(played.damage.size(), 1);     // noted once
    EXPECT_TRUE(played.damage.first().contains(QStringLiteral("0xf4")));

    // A data byte with no status to run on, and the file-level view of damage.
    TrackBuilder noStatus;
    noStatus.event(0, {60, 100}).end();
    Midifile file = openFile("nostatus.mid", smf(0, 96, {noStatus}));
    ASSERT_TRUE(file.isOpen());
    EXPECT_TRUE(file.damaged());
    EXPECT_TRUE(file.damageText().contains(QStringLiteral("track 1")));
    file.setTrack(1);
    EXPECT_EQ(file.eventCount(), 0);
}

TEST(Midifile, TimeCodeDivision)
{
    // 25 frames a second, 40 ticks a frame: one tick is exactly one millisecond.
    const int division = std::int16_t(0xE728);
    Midifile file = openFile("smpte.mid", smf(0, division & 0xFFFF, {TrackBuilder().tempo(0, 250000).end(5)}));
    ASSERT_TRUE(file.isOpen()) << file.error().toStdString();
    EXPECT_EQ(file.division(), division);
    EXPECT_EQ(file.song().smpteFrameRate(), 25);
    EXPECT_EQ(file.song().ticksPerFrame(), 40);
    EXPECT_FLOAT_EQ(file.msPerTick(), 1.0f);
    EXPECT_EQ(file.tickToMicroseconds(1000), 1000000);  // tempo events do not apply
    // 29.97 (30000/1001) frames a second, 80 ticks a frame: 240 ticks are 3 × 1001/30000 s.
    const MidiSong drop = songOf(MidiSong::parse(smf(0, 0xE350, {TrackBuilder().end()})));
    EXPECT_EQ(drop.smpteFrameRate(), 29);
    EXPECT_EQ(drop.tickToMicroseconds(240), 100100);
}

TEST(Midifile, TempoMapFollowsEveryChange)
{
    TrackBuilder conductor;
    conductor.tempo(480, 400000)        // from tick 480 on
        .tempo(480, 250000)             // tick 960
        .tempo(960, 1000000)            // tick 1920
        .end();
    TrackBuilder music;
    music.event(0, {0x90, 60, 100}).end(2400);
    Midifile file = openFile("tempo.mid", smf(1, 480, {conductor, music}));
    ASSERT_TRUE(file.isOpen());
    EXPECT_EQ(file.tempo(), 400000);  // the first tempo event of the file
    EXPECT_EQ(file.tickToMicroseconds(0), 0);
    EXPECT_EQ(file.tickToMicroseconds(480), 500000);
    EXPECT_EQ(file.tickToMicroseconds(960), 900000);
    EXPECT_EQ(file.tickToMicroseconds(1440), 1150000);
    EXPECT_EQ(file.tickToMicroseconds(1920), 1400000);
    EXPECT_EQ(file.tickToMicroseconds(2400), 2400000);
    EXPECT_EQ(file.tickToMicroseconds(1), 1041);  // floored to whole µs
    EXPECT_FLOAT_EQ(file.msPerTick(), msPerTickOf(400000, 480));
    EXPECT_EQ(msPerTickOf(500000, 480), 1.04166663f);
}

TEST(Midifile, FormatsRiffAndLargeFiles)
{
    TrackBuilder a;
    a.meta(0, 3, "A").event(0, {0x90, 60, 1}).end();
    TrackBuilder b;
    b.meta(0, 3, "B").end();
    const QByteArray format2 = smf(2, 120, {a, b});
    for (const QByteArray& bytes : {format2, test::rmid(format2), test::rmid(format2 + '\0')}) {
        const MidiSong song = songOf(MidiSong::parse(bytes));
        EXPECT_EQ(song.format, 2);
        ASSERT_EQ(song.tracks.size(), 2u);
        EXPECT_EQ(song.textOf(song.events[song.tracks[1].first]), QStringLiteral("B"));
    }
    Midifile rmi = openFile("song.rmi", test::rmid(format2));
    EXPECT_EQ(rmi.trackCount(), 2);

    // A track of 70,000 events and a file of 40,000 tracks: no 16-bit limits.
    TrackBuilder big;
    for (int i = 0; i < 35000; ++i)
        big.event(1, {0x90, 60, 100}).event(1, {0x80, 60, 0});
    big.end();
    Midifile bigFile = openFile("big.mid", smf(1, 96, {big}));
    bigFile.setTrack(1);
    EXPECT_EQ(bigFile.eventCount(), 70001);
    bigFile.setEventIndex(70000);
    EXPECT_EQ(bigFile.status(), 0x80);
    std::vector<TrackBuilder> many(40000, TrackBuilder().end());
    many.back() = TrackBuilder().event(0, {0x9F, 1, 2}).end();
    Midifile manyFile = openFile("many.mid", smf(1, 96, many));
    EXPECT_FALSE(manyFile.damaged()) << manyFile.damageText().toStdString();
    ASSERT_EQ(manyFile.trackCount(), 40000);
    manyFile.setTrack(40000);
    manyFile.setEventIndex(1);
    EXPECT_EQ(manyFile.status(), 0x9F);
}

TEST(Midifile, SecondFileReplacesTheFirst)
{
    Midifile file = openFile("three.mid", smf(1, 96, {TrackBuilder().end(), TrackBuilder().end(), TrackBuilder().end()}));
    EXPECT_EQ(file.trackCount(), 3);
    file.setAction(Midifile::Close);
    EXPECT_EQ(file.trackCount(), 0);
    file.setFileName(test::writeTempFile("one.mid", smf(0, 96, {TrackBuilder().end()})));
    file.setAction(Midifile::Open);
    EXPECT_EQ(file.trackCount(), 1);
    EXPECT_TRUE(file.error().isEmpty());
}

TEST(Midifile, ShippedSampleReadsWhole)
{
    Midifile file;
    file.setFileName(test::sourceDir() + QStringLiteral("/data/ship/lumarel_sample.mid"));
    file.setAction(Midifile::Open);
    ASSERT_TRUE(file.isOpen()) << file.error().toStdString();
    EXPECT_FALSE(file.damaged()) << file.damageText().toStdString();
    EXPECT_EQ(file.trackCount(), 4);
    EXPECT_EQ(file.tempo(), 600000);
    file.setTrack(4);
    file.setEventIndex(1);
    EXPECT_EQ(file.eventText(), QStringLiteral("Strings \u00e0 l'unisson"));
}

TEST(Midifile, CorpusIsReadOrRefused)
{
    const QString dir = test::corpusDir() + QStringLiteral("/midi");
    if (!test::corpusPresent() || !QFile::exists(dir))
        GTEST_SKIP() << "no corpus";
    int ok = 0;
    int damaged = 0;
    int refused = 0;
    for (const QString& path : test::filesUnder(dir, {".mid", ".midi", ".rmi", ".kar", ".smf"})) {
        Midifile file;
        file.setFileName(path);
        file.setAction(Midifile::Open);
        if (!file.isOpen()) {
            EXPECT_FALSE(file.error().isEmpty()) << path.toStdString();
            EXPECT_EQ(file.trackCount(), 0);
            ++refused;
            continue;
        }
        file.damaged() ? ++damaged : ++ok;
        EXPECT_EQ(file.damaged(), !file.damageText().isEmpty());
        // Walk every event as the player does.
        std::uint64_t tick = 0;
        for (int t = 1; t <= file.trackCount(); ++t) {
            file.setTrack(t);
            tick = 0;
            for (std::int64_t e = 1; e <= file.eventCount(); ++e) {
                file.setEventIndex(e);
                tick += std::uint64_t(file.deltaTime());
                EXPECT_GE(file.status(), 0x80);
                EXPECT_GE(file.tickToMicroseconds(tick), 0);
                (void)file.eventText();
            }
        }
    }
    std::printf("corpus midi: ok=%d damaged=%d refused=%d\n", ok, damaged, refused);
    EXPECT_GT(ok, 0);
}

}  // namespace
}  // namespace lumarel
