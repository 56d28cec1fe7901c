// The whole export as lumarel-render makes it: a 60-second, 16-track generated song over a
// 640x480 picture to MP4 at 1920x1080 and 30 frames a second.
// Prints: export song_s=60.0 frames=1800 size=1920x1080 fps=30 wall_s=<..> realtime_x=<..>
// and, on a second line, where the time went.
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "bench_support.h"
#include "export/song_export.h"
#include "support/midi_builder.h"

using namespace lumarel;

namespace {

// 16 tracks for 60 s at 120 beats a minute (480 ticks a quarter): a tempo track and 15 voices on
// their own channels, notes from a sixteenth to a half note, velocities that rise and fall so the
// meters let many of them through, channel 10 drums.
QByteArray sixtySecondSong()
{
    std::mt19937 random(60);
    std::vector<test::TrackBuilder> tracks(16);
    tracks[0].tempo(0, 500000).event(480 * 120, {0xFF, 0x01, 0}).end();
    for (int t = 1; t < 16; ++t) {
        test::TrackBuilder& track = tracks[std::size_t(t)];
        const int channel = t == 10 ? 9 : t - 1;
        track.meta(0, 3, QByteArray("Voice ") + QByteArray::number(t));
        track.event(0, {0xC0 | channel, (t * 7) % 100});
        const int step = 120 << (t % 3);
        std::int64_t at = t * 5;
        std::int64_t last = 0;
        for (int n = 0; at < 480 * 120 - 480; ++n, at += step) {
            const int key = 36 + (t * 5 + int(random() % 24)) % 60;
            const int velocity = 20 + (n * 13 + t * 7) % 100;
            const int length = 60 + int(random() % 300);
            track.event(std::uint32_t(at - last), {0x90 | channel, key, velocity});
            track.event(std::uint32_t(length), {0x80 | channel, key, 0});
            last = at + length;
        }
        track.end();
    }
    return test::smf(1, 480, tracks);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    ExportRequest request;
    request.song = dir.filePath("song.mid");
    request.picture = dir.filePath("picture.bmp");
    request.output = dir.filePath("out.mp4");
    request.size = QSize(1920, 1080);
    request.fps = 30;
    QFile song(request.song);
    if (!song.open(QIODevice::WriteOnly) || song.write(sixtySecondSong()) < 0 || !bench::writePicture(request.picture)) {
        std::fprintf(stderr, "export: cannot write its song and picture in %s\n", qPrintable(dir.path()));
        return 1;
    }
    song.close();
    const ExportOutcome outcome = exportSong(request);
    if (!outcome.ok) {
        std::fprintf(stderr, "export: %s\n", qPrintable(outcome.error));
        return 1;
    }
    std::printf("export song_s=%.1f frames=%lld size=%dx%d fps=%d wall_s=%.1f realtime_x=%.2f\n", outcome.outputSeconds,
                static_cast<long long>(outcome.frames), outcome.size.width(), outcome.size.height(), request.fps,
                outcome.wallSeconds, outcome.outputSeconds / outcome.wallSeconds);
    std::printf("export_split audio_s=%.1f lookup_s=%.2f yuv_s=%.1f encode_s=%.1f audio_encode_s=%.1f\n",
                outcome.audioSeconds, outcome.lookupSeconds, outcome.yuvSeconds, outcome.encodeSeconds,
                outcome.audioEncodeSeconds);
    return 0;
}
