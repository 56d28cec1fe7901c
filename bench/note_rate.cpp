// Played notes at a fixed rate through the real handler: --rate N notifications a second (1,000 by
// default) for five seconds into the player, with the main window offscreen showing a 640x480
// picture on a 1920x1080 picture area. Measures the time from each notification's posting to the
// first drawn frame that shows its palette step, and how many frames were drawn a second.
// With NOTE_RATE_DUMP=<file> it also writes, per note, its number, its posting time and its
// latency in ms, to see where a backlog formed.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QListWidgetItem>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "animation/wait_source.h"
#include "app/form1.h"
#include "bench_support.h"
#include "midi/midi_events.h"
#include "midi/midi_output.h"
#include "midi/recording_device.h"
#include "platform/message_wait.h"
#include "platform/widgets/file_list.h"
#include "platform/widgets/picture_box.h"
#include "player/form3.h"

using namespace lumarel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kSeconds = 5;

QByteArray be32(quint32 v) { return QByteArray() + char(v >> 24) + char(v >> 16) + char(v >> 8) + char(v); }

// A format-1 song of 16 tracks with one note each, so the player builds 15 rows.
QByteArray sixteenTrackSong()
{
    QByteArray out = QByteArray("MThd") + be32(6) + QByteArray("\x00\x01\x00\x10\x00\x60", 6);
    for (int t = 1; t <= 16; ++t) {
        QByteArray track("\x00\x90\x3c\x40\x60\x80\x3c\x00\x00\xff\x2f\x00", 12);
        out += QByteArray("MTrk") + be32(quint32(track.size())) + track;
    }
    return out;
}

// The main window's picture as the player sees it: passes every step on and notes which push of
// the display each note's step was.
class TimingPicture : public PaletteSurface {
public:
    TimingPicture(PaletteSurface& picture, const PaletteDisplay& display) : picture_(picture), display_(display) {}
    bool loadPicture(const QString& file, QString* error) override { return picture_.loadPicture(file, error); }
    void realizePalette(const LogPalette& palette) override { picture_.realizePalette(palette); }
    void animatePalette(int first, int count, const PaletteEntry* entries) override
    {
        picture_.animatePalette(first, count, entries);
        stepPush.push_back(display_.pushCount());
        // Every note qualifies: the meters go back to 0 as if the decay timer had run.
        for (int tick = 0; player && tick < 9; ++tick)
            player->timer1Tick();
    }
    Form3* player = nullptr;
    std::vector<std::uint64_t> stepPush;  // per note, the push that showed its step

private:
    PaletteSurface& picture_;
    const PaletteDisplay& display_;
};

// The frames drawn of the picture: when, and which push each showed.
class FrameWatch : public QObject {
public:
    explicit FrameWatch(PictureBox& box) : box_(box) { box.installEventFilter(this); }
    std::vector<std::pair<std::uint64_t, Clock::time_point>> frames;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            frames.emplace_back(box_.display().pushCount(), Clock::now());
        return false;
    }

private:
    PictureBox& box_;
};

int rateFrom(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--rate") == 0)
            return std::max(1, std::atoi(argv[i + 1]));
    return 1000;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int kRate = rateFrom(argc, argv);
    const int kNotes = kRate * kSeconds;
    QApplication app(argc, argv);
    QTemporaryDir folder;

    QImage picture(640, 480, QImage::Format_Indexed8);
    QList<QRgb> colours;
    for (int i = 0; i < 256; ++i)
        colours << qRgb(i, 255 - i, (i * 7) & 255);
    picture.setColorTable(colours);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            picture.setPixel(x, y, uint((x ^ y) & 255));
    picture.save(folder.filePath("picture.bmp"), "BMP");
    {
        QFile song(folder.filePath("song.mid"));
        if (!song.open(QIODevice::WriteOnly))
            return 1;
        song.write(sixteenTrackSong());
    }

    SharedState state;
    MessageWait wait;
    WaitSource source(wait);
    bench::SilentDialogs dialogs;
    Form1 main(state, folder.path(), wait, dialogs);
    // A window large enough to hold the 1920x1080 picture area.
    main.setGeometry(0, 0, 200 + 1920 + 10, 128 + 1080 + 30);
    main.show();
    main.findChild<QWidget*>("Picture1")->setGeometry(200, 128, 1920, 1080);
    main.findChild<QWidget*>("Picture2")->setGeometry(200, 128, 1920, 1080);
    // The picture is chosen in the picture list, as a user shows one before playing a song.
    auto* pictures = main.findChild<FileList*>("filListBmp");
    pictures->setPath(folder.path());
    const QList<QListWidgetItem*> found = pictures->findItems("picture.bmp", Qt::MatchExactly);
    if (found.isEmpty())
        return 1;
    pictures->setCurrentItem(found.first());
    if (!main.showImage())
        return 1;

    auto* shown = main.findChild<PictureBox*>("Picture2");
    TimingPicture link(main.pictureSurface(), shown->display());
    FrameWatch frames(*shown);
    auto clock = std::make_shared<FakeClock>();
    auto log = std::make_shared<RecordingLog>();
    const PlayerContext context{state, main, link, wait, source, dialogs};
    Form3 player(context, std::make_unique<MIDIOutput>(std::make_unique<RecordingDeviceProvider>(log, clock), clock));
    link.player = &player;
    player.loadMidiFile(folder.filePath("song.mid"));
    player.show();
    QCoreApplication::processEvents();

    std::vector<Clock::time_point> postedAt(kNotes);
    std::atomic<int> posted{0};
    const Clock::time_point start = Clock::now() + std::chrono::milliseconds(50);
    std::thread poster([&] {
        for (int i = 0; i < kNotes; ++i) {
            std::this_thread::sleep_until(start + std::chrono::microseconds(i * 1'000'000LL / kRate));
            const int track = 2 + i % 15;
            const int note = i % 128;
            postedAt[std::size_t(i)] = Clock::now();
            QCoreApplication::postEvent(&player, MidiOutputEvent::messagePlayed(track * 1'000'000 + note * 1000 + 100));
            posted.store(i + 1);
        }
    });

    // The last step waits for a message after the last note: send one once all are in.
    QTimer finisher;
    finisher.setInterval(20);
    QObject::connect(&finisher, &QTimer::timeout, [&] {
        if (posted.load() == kNotes) {
            QCoreApplication::postEvent(&main, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier));
            if (int(link.stepPush.size()) >= kNotes && !frames.frames.empty()
                && frames.frames.back().first >= link.stepPush.back())
                app.quit();
        }
    });
    finisher.start();
    QTimer::singleShot((kSeconds + 30) * 1000, &app, &QApplication::quit);  // never hang
    app.exec();
    poster.join();

    // Each note's latency: from its posting to the first frame that showed its step.
    const std::size_t stepped = std::min<std::size_t>(link.stepPush.size(), std::size_t(kNotes));
    std::vector<double> latencies;
    Clock::time_point lastShown = postedAt[0];
    std::size_t frame = 0;
    for (std::size_t i = 0; i < stepped; ++i) {
        while (frame < frames.frames.size() && frames.frames[frame].first < link.stepPush[i])
            ++frame;
        if (frame == frames.frames.size())
            break;
        lastShown = frames.frames[frame].second;
        latencies.push_back(std::chrono::duration<double, std::milli>(lastShown - postedAt[i]).count());
    }
    const std::size_t handled = latencies.size();
    const double elapsed = handled ? std::chrono::duration<double>(lastShown - postedAt[0]).count() : 1;
    std::size_t drawn = 0;
    for (const auto& [push, at] : frames.frames)
        drawn += at >= postedAt[0] && at <= lastShown ? 1 : 0;
    if (const char* dump = std::getenv("NOTE_RATE_DUMP")) {
        if (FILE* f = std::fopen(dump, "w")) {
            for (std::size_t i = 0; i < handled; ++i)
                std::fprintf(f, "%zu %.3f %.3f\n", i, std::chrono::duration<double, std::milli>(postedAt[i] - postedAt[0]).count(), latencies[i]);
            std::fclose(f);
        }
    }
    std::printf("note_rate offered_per_s=%d handled_per_s=%.0f latency_ms p50=%.2f p99=%.2f frames_per_s=%.1f\n",
                kRate, double(handled) / elapsed, bench::percentile(latencies, 0.50), bench::percentile(latencies, 0.99),
                double(drawn) / elapsed);
    return 0;
}
