// Soak: 100,000 palette-cycling steps on a real picture box's palette display (runs ended by an
// Escape-like key every few thousand steps, a new engine for each run, as the program makes them) and a song played ten times through the output on a fake clock at full speed.
// Prints: soak steps=100000 songs=10 rss_growth_kb=<end - after warm-up> leaks=<n/a|count>
// Target: rss_growth_kb <= 1024 and no leak (leaks are counted when built with LeakSanitizer).

#include "animation/cycling.h"
#include "animation/display_surface.h"
#include "bench_support.h"
#include "midi/midi_events.h"
#include "midi/midi_output.h"
#include "midi/midifile.h"
#include "midi/recording_device.h"
#include "midi/song_queue.h"
#include "platform/widgets/picture_box.h"
#include "support/midi_builder.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

extern "C" int __lsan_do_recoverable_leak_check() __attribute__((weak));

using namespace lumarel;

namespace {

constexpr int kSteps = 100000;
constexpr int kSongs = 10;
constexpr int kStepsPerRun = 2500;  // an Escape-like key ends a run this often

// Stands in for the window system during a run: key releases (a step each, no effect), now and
// then an arrow or a keypad key, and every kStepsPerRun messages a key that ends the run.
class ScriptedMessages : public MessageSource {
public:
    WindowMessage get() override
    {
        ++taken;
        WindowMessage m;
        if (taken % kStepsPerRun == 0) {
            m.kind = WindowMessage::Kind::KeyDown;
            m.virtualKey = vk::kEscape;
            return m;
        }
        static constexpr int commandKeys[] = {vk::kRight, vk::kSubtract, vk::kLeft, vk::kAdd};
        if (taken % 97 == 0) {
            m.kind = WindowMessage::Kind::KeyDown;
            m.virtualKey = commandKeys[(taken / 97) % 4];
            return m;
        }
        m.kind = WindowMessage::Kind::KeyUp;
        m.virtualKey = 0x41;
        return m;
    }
    long long taken = 0;
};

// Stands in for the player window: counts what the output posts.
class Receiver : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != MidiOutputEvent::eventType())
            return QObject::event(e);
        auto* midi = static_cast<MidiOutputEvent*>(e);
        if (midi->kind() == MidiOutputEvent::Kind::MessagePlayed)
            ++played;
        else if (midi->kind() == MidiOutputEvent::Kind::PlayFinished)
            ++finished;
        return true;
    }
    long long played = 0;
    int finished = 0;
};

// A format-1 song: a tempo track and three tracks of 400 notes each (about 50 s at 120 bpm).
QByteArray song()
{
    std::vector<test::TrackBuilder> tracks(4);
    tracks[0].tempo(0, 500000).end();
    for (int t = 1; t < 4; ++t) {
        test::TrackBuilder& track = tracks[std::size_t(t)];
        track.meta(0, 0x03, QByteArray("Track ") + char('0' + t));
        for (int n = 0; n < 400; ++n) {
            const int key = 36 + (n * 7 + t * 5) % 48;
            track.event(n == 0 ? 0 : 60, {0x90 | t, key, 90});
            track.event(60, {0x80 | t, key, 0});
        }
        track.end();
    }
    return test::smf(1, 480, tracks);
}

struct Player {
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
    std::shared_ptr<RecordingLog> log = std::make_shared<RecordingLog>();
    MIDIOutput output{std::make_unique<RecordingDeviceProvider>(log, clock), clock};
    Receiver receiver;
    Midifile file;

    Player() { output.setEventReceiver(&receiver); }

    // Queues the whole song, plays it to its end at full speed; false when it never finishes.
    bool playOnce()
    {
        const int finishedBefore = receiver.finished;
        output.setDeviceIndex(-1);
        output.setAction(MIDIOutput::Open);
        queueSong(file, output, [](int) {});
        output.setAction(MIDIOutput::Start);
        for (int second = 0; second < 600 && receiver.finished == finishedBefore; ++second) {
            clock->advanceBy(1000000);
            QCoreApplication::processEvents();  // the output's wake-up, then its posted events
        }
        output.setAction(MIDIOutput::Stop);
        output.setAction(MIDIOutput::Close);
        QCoreApplication::processEvents();
        log->clear();
        return receiver.finished > finishedBefore;
    }
};

// What the main window's driver does: runs of fresh engines until a run ends with the stop flag set.
long long cycle(CyclingControl& control, const GeneratedPalette& palette, ScriptedMessages& messages,
                PaletteSurface& surface, const QString& file, int wantedSteps)
{
    long long steps = 0;
    while (steps < wantedSteps) {
        control.stopAnimation = false;
        do {
            const CyclingResult run = runCycling(surface, messages, file, palette, control, CyclingStart::UntilStopped);
            if (run.outcome != CyclingOutcome::Ran)
                return -1;
            steps += run.steps;
        } while (!control.stopAnimation);
    }
    return steps;
}

}  // namespace

int main(int argc, char** argv)
{
    long leaks = -1;
    long growth = 0;
    long long steps = 0;
    int songs = 0;
    {
        QApplication app(argc, argv);
        QTemporaryDir dir;
        const QString picturePath = dir.path() + QStringLiteral("/soak.bmp");
        const QString songPath = dir.path() + QStringLiteral("/soak.mid");
        QFile songFile(songPath);
        if (!bench::writePicture(picturePath) || !songFile.open(QIODevice::WriteOnly) || songFile.write(song()) < 0) {
            std::fprintf(stderr, "soak: cannot write its picture and song in %s\n", qPrintable(dir.path()));
            return 1;
        }
        songFile.close();

        GeneratedPalette palette;
        for (std::size_t i = 1; i <= 256; ++i)
            palette[i] = {std::int16_t(i - 1), std::int16_t(256 - i), std::int16_t((i * 5) & 255), 0};
        CyclingControl control;
        PictureBox shown;
        shown.resize(640, 480);
        shown.show();  // shown, so every push repaints the box as on screen
        QCoreApplication::processEvents();
        PictureFiles files;
        DisplaySurface surface(files, shown.display());
        ScriptedMessages messages;

        Player player;
        player.file.setFileName(songPath);
        player.file.setAction(Midifile::Open);
        if (!player.file.isOpen()) {
            std::fprintf(stderr, "soak: the song does not open: %s\n", qPrintable(player.file.error()));
            return 1;
        }

        // Warm-up: one song and a few runs, so caches and pools have their working size.
        if (!player.playOnce() || cycle(control, palette, messages, surface, picturePath, 2 * kStepsPerRun) < 0) {
            std::fprintf(stderr, "soak: the warm-up failed\n");
            return 1;
        }
        const long before = bench::rssKb();

        for (int round = 0; round < kSongs; ++round) {
            const long long made = cycle(control, palette, messages, surface, picturePath, kSteps / kSongs);
            if (made < 0 || !player.playOnce()) {
                std::fprintf(stderr, "soak: round %d failed\n", round + 1);
                return 1;
            }
            steps += made;
            ++songs;
        }
        growth = bench::rssKb() - before;
    }
    if (__lsan_do_recoverable_leak_check)
        leaks = __lsan_do_recoverable_leak_check();

    std::printf("soak steps=%lld songs=%d rss_growth_kb=%ld leaks=%s\n", steps, songs, growth,
                leaks < 0 ? "n/a" : std::to_string(leaks).c_str());
    return 0;
}
