// Played notes at a fixed rate through the real handler: 1,000 notifications a second for five
// seconds into the player, with the main window offscreen showing a 640x480 picture on a
// 1920x1080 picture area. Measures the time from each notification's posting to the push of the
// picture's new palette. With NOTE_RATE_DUMP=<file> it also writes, per note, its number, its
// posting time and its latency in ms, to see where a backlog formed.
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
#include "player/form3.h"

using namespace lumarel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRate = 1000;
constexpr int kSeconds = 5;
constexpr int kNotes = kRate * kSeconds;

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

// The main window's picture as the player sees it: passes every step on and notes when each new
// palette was pushed.
class TimingPicture : public PaletteSurface {
public:
    explicit TimingPicture(PaletteSurface& picture) : picture_(picture) {}
    bool loadPicture(const QString& file, QString* error) override { return picture_.loadPicture(file, error); }
    void realizePalette(const LogPalette& palette) override { picture_.realizePalette(palette); }
    void animatePalette(int first, int count, const PaletteEntry* entries) override
    {
        picture_.animatePalette(first, count, entries);
        pushedAt.push_back(Clock::now());
        // Every note qualifies: the meters go back to 0 as if the decay timer had run.
        for (int tick = 0; player && tick < 9; ++tick)
            player->timer1Tick();
    }
    Form3* player = nullptr;
    std::vector<Clock::time_point> pushedAt;

private:
    PaletteSurface& picture_;
};

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
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

    TimingPicture link(main.pictureSurface());
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
            if (int(link.pushedAt.size()) >= kNotes)
                app.quit();
        }
    });
    finisher.start();
    QTimer::singleShot((kSeconds + 30) * 1000, &app, &QApplication::quit);  // never hang
    app.exec();
    poster.join();

    const std::size_t handled = std::min<std::size_t>(link.pushedAt.size(), kNotes);
    std::vector<double> latencies;
    for (std::size_t i = 0; i < handled; ++i)
        latencies.push_back(std::chrono::duration<double, std::milli>(link.pushedAt[i] - postedAt[i]).count());
    const double elapsed = handled ? std::chrono::duration<double>(link.pushedAt[handled - 1] - postedAt[0]).count() : 1;
    if (const char* dump = std::getenv("NOTE_RATE_DUMP")) {
        if (FILE* f = std::fopen(dump, "w")) {
            for (std::size_t i = 0; i < handled; ++i)
                std::fprintf(f, "%zu %.3f %.3f\n", i, std::chrono::duration<double, std::milli>(postedAt[i] - postedAt[0]).count(), latencies[i]);
            std::fclose(f);
        }
    }
    std::printf("note_rate offered_per_s=%d handled_per_s=%.0f latency_ms p50=%.2f p99=%.2f\n", kRate,
                double(handled) / elapsed, bench::percentile(latencies, 0.50), bench::percentile(latencies, 0.99));
    return 0;
}
