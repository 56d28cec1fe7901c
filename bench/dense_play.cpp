// A dense song (16 tracks, 10,000 notes a second, 20 s) played through the real player window and
// main window on a fake clock at full speed. Prints how fast that went against the song's own
// time, how far the handled notes ever were behind the sent ones, the frames drawn, and the
// memory from the second second of song to the end.
//
//   dense_play notes=<n> song_s=20 wall_s=<..> speed_x=<song s per wall s> handled=<n>
//              max_behind=<notes> palette_steps=<n> frames=<n> rss_kb at_2s=<..> end=<..> growth=<..>
//
// With --real-time the clock keeps the song's own pace, to see the frames and palette steps a
// listener would see (a note steps the palette only when louder than its row's meter, so dense
// music steps it in bursts as the meters decay). --write FILE only writes the song, to play it
// in the program.
//
// Targets: every note handled, max_behind no more than a millisecond of song (10 notes and the
// one waiting for its message), speed_x >= 1 (it would keep up in real time), growth flat.
#include <QApplication>
#include <QKeyEvent>
#include <QListWidgetItem>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "animation/wait_source.h"
#include "app/form1.h"
#include "bench_support.h"
#include "midi/midi_events.h"
#include "midi/midi_output.h"
#include "platform/message_wait.h"
#include "platform/widgets/file_list.h"
#include "platform/widgets/picture_box.h"
#include "player/form3.h"
#include "songs.h"

using namespace lumarel;

namespace {

constexpr int kSeconds = 20;

// A device that only counts the notes it was sent: nothing grows as the song plays.
class CountingDevice : public MidiDevice {
public:
    explicit CountingDevice(std::atomic<long>& notes) : notes_(notes) {}
    std::optional<DeviceError> open() override { return std::nullopt; }
    void close() override {}
    void send(std::uint8_t status, std::uint8_t, std::uint8_t data2) override
    {
        if ((status & 0xF0) == 0x90 && data2 > 0)
            notes_.fetch_add(1, std::memory_order_relaxed);
    }

private:
    std::atomic<long>& notes_;
};

class CountingProvider : public MidiDeviceProvider {
public:
    explicit CountingProvider(std::atomic<long>& notes) : notes_(notes) {}
    int count() const override { return 0; }
    QString name(int) const override { return QStringLiteral("Counter"); }
    std::unique_ptr<MidiDevice> create(int index) override
    {
        return index == -1 ? std::make_unique<CountingDevice>(notes_) : nullptr;
    }

private:
    std::atomic<long>& notes_;
};

// Counts the played-note notifications as the player window takes them.
class HandledCount : public QObject {
public:
    explicit HandledCount(QObject& player) { player.installEventFilter(this); }
    std::atomic<long> notes{0};

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == MidiOutputEvent::eventType()
            && static_cast<MidiOutputEvent*>(event)->kind() == MidiOutputEvent::Kind::MessagePlayed)
            notes.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
};

class FrameCount : public QObject {
public:
    explicit FrameCount(QWidget& box) { box.installEventFilter(this); }
    long frames = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        frames += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool realTime = argc > 1 && std::strcmp(argv[1], "--real-time") == 0;
    if (argc > 2 && std::strcmp(argv[1], "--write") == 0)
        return bench::writeSong(QString::fromLocal8Bit(argv[2]), bench::denseNoteSong(kSeconds)).isEmpty() ? 1 : 0;
    QApplication app(argc, argv);
    QTemporaryDir folder;
    if (!bench::writePicture(folder.filePath("picture.bmp"))
        || bench::writeSong(folder.filePath("dense.mid"), bench::denseNoteSong(kSeconds)).isEmpty()) {
        std::fprintf(stderr, "dense_play: cannot write its picture and song in %s\n", qPrintable(folder.path()));
        return 1;
    }

    SharedState state;
    MessageWait wait;
    WaitSource source(wait);
    bench::SilentDialogs dialogs;
    Form1 main(state, folder.path(), wait, dialogs);
    main.show();
    auto* pictures = main.findChild<FileList*>("filListBmp");
    pictures->setPath(folder.path());
    const QList<QListWidgetItem*> found = pictures->findItems("picture.bmp", Qt::MatchExactly);
    if (found.isEmpty() || (pictures->setCurrentItem(found.first()), !main.showImage())) {
        std::fprintf(stderr, "dense_play: the picture does not show\n");
        return 1;
    }
    auto* shown = main.findChild<PictureBox*>("Picture2");
    FrameCount frames(*shown);
    const std::uint64_t pushesBefore = shown->display().pushCount();

    std::atomic<long> sent{0};
    auto clock = std::make_shared<FakeClock>();
    const PlayerContext context{state, main, main.pictureSurface(), wait, source, dialogs};
    Form3 player(context, std::make_unique<MIDIOutput>(std::make_unique<CountingProvider>(sent), clock));
    if (!player.loadMidiFile(folder.filePath("dense.mid"))) {
        std::fprintf(stderr, "dense_play: the song does not load\n");
        return 1;
    }
    player.show();
    QCoreApplication::processEvents();
    HandledCount handled(player);

    // The clock moves a millisecond once the windows handled what was heard (the last note's
    // step waits for the next message), or once a millisecond passed: faster than the song where
    // the windows keep up, never slower than it, so a handler too slow for real time shows as
    // notes behind.
    auto* play = player.findChild<QPushButton*>("CmdPlay");
    std::atomic<bool> songOver{false};
    long maxBehind = 0;
    long rssAt2s = 0;
    std::thread driver;
    const auto start = std::chrono::steady_clock::now();
    QTimer::singleShot(0, &player, [&] {
        play->click();
        driver = std::thread([&] {
            const int kSongMs = kSeconds * 1000 + 200;
            auto deadline = std::chrono::steady_clock::now();
            for (int ms = 1; ms <= kSongMs; ++ms) {
                deadline += std::chrono::milliseconds(1);
                while ((realTime || handled.notes.load() < sent.load() - 1) && std::chrono::steady_clock::now() < deadline)
                    std::this_thread::sleep_for(std::chrono::microseconds(20));
                maxBehind = std::max(maxBehind, sent.load() - handled.notes.load());
                if (ms == 2000)
                    rssAt2s = bench::rssKb();
                clock->advanceBy(1000);
            }
            songOver = true;
        });
    });
    // Once the song is over: its end reaches the window, or a key ends the last step's wait.
    QTimer finisher;
    QObject::connect(&finisher, &QTimer::timeout, [&] {
        if (!songOver)
            return;
        if (play->isEnabled() && handled.notes.load() == sent.load())
            app.quit();
        else
            QCoreApplication::postEvent(&main, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier));
    });
    finisher.start(20);
    QTimer::singleShot((kSeconds + 600) * 1000, &app, &QApplication::quit);  // never hang
    app.exec();
    if (driver.joinable())
        driver.join();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long rssEnd = bench::rssKb();

    std::printf("dense_play notes=%ld song_s=%d wall_s=%.1f speed_x=%.2f handled=%ld max_behind=%ld palette_steps=%llu frames=%ld "
                "finished=%s rss_kb at_2s=%ld end=%ld growth=%ld\n",
                sent.load(), kSeconds, wall, kSeconds / wall, handled.notes.load(), maxBehind,
                (unsigned long long)(shown->display().pushCount() - pushesBefore), frames.frames,
                play->isEnabled() ? "yes" : "no", rssAt2s, rssEnd, rssEnd - rssAt2s);
    return handled.notes.load() == sent.load() && play->isEnabled() ? 0 : 1;
}
