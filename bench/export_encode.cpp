// The whole export of a 60 s song at 1920x1080, 30 fps: its sound rendered (dense 16-track
// song), then 1800 frames of a 640x480 fractal stretched to 1080p whose palette changes 20
// times a second, encoded with the sound.
// Usage: export_encode [mp4|webm] [whole|corner] [output file]   (the picture: see fractal())
// Prints: export_encode format=.. picture=.. frames=1800 size=1920x1080 wall_s=.. realtime_x=.. cpu_s=..
//         lookup_s=.. yuv_s=.. encode_s=.. audio_s=.. aenc_s=..
// (lookup: palette tables, yuv: planes, encode: video encoding, audio: rendering the sound,
// aenc: encoding the sound; cpu_s counts every thread, so wall_s above cpu_s / 2 means others
// were using the machine.)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "bench_support.h"
#include "export_material.h"
#include "export/video_encoder.h"
#include "midi/fluid_synth_device.h"

int main(int argc, char** argv)
{
    using namespace lumarel;
    QCoreApplication app(argc, argv);
    const QString format = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("mp4");
    const QString kind = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("whole");
    QTemporaryDir dir;
    const QString path = argc > 3 ? QString::fromLocal8Bit(argv[3]) : dir.filePath(QStringLiteral("bench.") + format);
    const int seconds = 60, fps = 30, frames = seconds * fps, changesPerSecond = 20;
    const QSize pictureSize(640, 480), videoSize(1920, 1080);
    const auto picture =
        bench::stretched(bench::fractal(pictureSize, kind == QLatin1String("corner")), pictureSize, videoSize);
    const auto song = bench::denseSong(seconds);

    const double cpuStart = bench::cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QString error;
    auto audio = renderSongAudio(song, std::int64_t(seconds) * 1000000, FluidSynthDevice::findSoundFont(), 48000,
                                 nullptr, &error);
    const double audioSeconds = double(wall.nsecsElapsed()) / 1e9;
    auto encoder = audio ? VideoEncoder::create(path, {videoSize, fps, 48000}, &error) : nullptr;
    if (!encoder) {
        std::fprintf(stderr, "export_encode: %s\n", qPrintable(error));
        return 1;
    }
    std::size_t fed = 0;  // stereo frames of sound given so far
    for (int f = 0; f < frames && error.isEmpty(); ++f) {
        const int change = f * changesPerSecond / fps;  // the latest change at the frame's time
        if (!encoder->addFrame(picture.data(), videoSize.width(), bench::songPalette(change), &error))
            break;
        // The sound up to the end of this frame.
        const auto until = std::min(audio->samples.size() / 2, std::size_t(f + 1) * 48000 / fps);
        encoder->addAudio(std::span(audio->samples).subspan(fed * 2, (until - fed) * 2), &error);
        fed = until;
    }
    if (error.isEmpty() && fed < audio->samples.size() / 2)
        encoder->addAudio(std::span(audio->samples).subspan(fed * 2), &error);
    if (!error.isEmpty() || !encoder->finish(&error)) {
        std::fprintf(stderr, "export_encode: %s\n", qPrintable(error));
        return 1;
    }
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    const VideoEncodeTimes t = encoder->times();
    std::printf("export_encode format=%s picture=%s frames=%d size=%dx%d wall_s=%.2f realtime_x=%.2f cpu_s=%.2f lookup_s=%.3f "
                "yuv_s=%.2f encode_s=%.2f audio_s=%.2f aenc_s=%.2f\n",
                qPrintable(format), qPrintable(kind), frames, videoSize.width(), videoSize.height(), wallSeconds, seconds / wallSeconds,
                bench::cpuSeconds() - cpuStart, t.lookup, t.yuv, t.encode, audioSeconds, t.audio);
    return 0;
}
