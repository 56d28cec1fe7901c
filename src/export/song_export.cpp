#include "export/song_export.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <optional>

#include "export/atomic_output.h"
#include "export/audio_render.h"
#include "export/export_frames.h"
#include "export/gif_frame_plan.h"
#include "export/gif_writer.h"
#include "export/video_encoder.h"
#include "midi/fluid_synth_device.h"
#include "midi/midifile.h"
#include "midi/song_queue.h"
#include "model/visible_name.h"
#include "platform/picture_loader.h"
#include "platform/stretch.h"

namespace lumarel {

namespace {

enum class Format { Mp4, WebM, Gif };

constexpr int kSampleRate = 48000;
constexpr double kAudioShare = 0.3;  // of the progress bar, for a video (the rest is frames)

std::optional<Format> formatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("mp4"))
        return Format::Mp4;
    if (suffix == QLatin1String("webm"))
        return Format::WebM;
    if (suffix == QLatin1String("gif"))
        return Format::Gif;
    return std::nullopt;
}

QString shown(const QString& path) { return QStringLiteral("\"%1\"").arg(visibleName(QFileInfo(path).fileName())); }

// What the export reads, read and checked before anything is written.
struct Inputs {
    std::shared_ptr<const IndexedPicture> picture;
    std::vector<QueuedMessage> played;  // in play order
    SongTimeline timeline;
    std::int64_t songEndUs = 0;
};

QString readInputs(const ExportRequest& request, Inputs& in)
{
    Midifile song;
    song.setFileName(request.song);
    song.setAction(Midifile::Open);
    if (!song.isOpen())
        return song.error();
    PictureLoadResult picture = loadPictureFile(request.picture);
    if (!picture.picture)
        return picture.error;
    in.picture = std::make_shared<const IndexedPicture>(std::move(*picture.picture));
    in.played = songMessages(song);
    in.timeline = colourTimeline(in.played, song.trackCount());
    in.songEndUs = in.played.empty() ? 0 : in.played.back().timeUs;
    return {};
}

// The map file, written beside its destination but put in place only with the export.
std::unique_ptr<AtomicOutput> prepareMapFile(const QString& path, const GeneratedPalette& map, QString* error)
{
    std::unique_ptr<AtomicOutput> out = AtomicOutput::create(path, error);
    if (!out)
        return nullptr;
    QFile file(out->temporaryPath());
    const QByteArray text = mapText(map);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.flush()) {
        *error = QStringLiteral("Cannot write the map %1: %2.").arg(shown(path), file.errorString());
        return nullptr;
    }
    return out;
}

// Calls progress at most every 50 ms (and always at the end).
class Reporter {
public:
    explicit Reporter(const std::function<void(const ExportProgress&)>& progress) : progress_(progress) { clock_.start(); }
    void operator()(ExportProgress state, bool force = false)
    {
        if (!progress_ || (!force && clock_.elapsed() - last_ < 50))
            return;
        last_ = clock_.elapsed();
        state.elapsedSeconds = double(clock_.nsecsElapsed()) / 1e9;
        progress_(state);
    }
    double seconds() const { return double(clock_.nsecsElapsed()) / 1e9; }

private:
    const std::function<void(const ExportProgress&)>& progress_;
    QElapsedTimer clock_;
    qint64 last_ = -1000;
};

bool cancelled(const std::atomic<bool>* cancel) { return cancel && cancel->load(); }

QString exportVideo(const ExportRequest& request, const Inputs& in, const std::atomic<bool>* cancel, Reporter& report,
                    ExportOutcome& outcome)
{
    const QSize size = request.size.isEmpty() ? kDefaultVideoSize : QSize(request.size.width() & ~1, request.size.height() & ~1);
    const QRect where = letterbox(in.picture->size, size, true);
    std::vector<SynthMessage> messages;
    messages.reserve(in.played.size());
    for (const QueuedMessage& m : in.played)
        if (m.status >= 0x80 && m.status < 0xF0)
            messages.push_back({m.timeUs, m.status, m.data1, m.data2});
    const QString soundFont = request.soundFont.isEmpty() ? FluidSynthDevice::findSoundFont() : request.soundFont;
    QString error;
    QElapsedTimer audioClock;
    audioClock.start();
    const std::optional<RenderedAudio> audio = renderSongAudio(
        messages, in.songEndUs, soundFont, kSampleRate, cancel, &error,
        [&](double fraction) { report({kAudioShare * fraction, 0, 0, 0, 0}); });
    if (!audio)
        return error;
    outcome.audioSeconds = double(audioClock.nsecsElapsed()) / 1e9;

    // The video lasts as long as the sound.
    const std::int64_t sampleFrames = std::int64_t(audio->samples.size() / 2);
    const std::int64_t frames = std::max<std::int64_t>(1, (sampleFrames * request.fps + kSampleRate - 1) / kSampleRate);
    outcome.frames = frames;
    outcome.outputSeconds = double(sampleFrames) / kSampleRate;
    outcome.size = size;

    std::unique_ptr<VideoEncoder> encoder = VideoEncoder::create(request.output, {size, request.fps, kSampleRate, where}, &error);
    if (!encoder)
        return error;
    const StretchedIndices indices = stretchIndices(*in.picture, where.size());
    FrameColours colours(in.timeline.changes, in.picture->palette);
    std::int64_t audioSent = 0;
    for (std::int64_t n = 0; n < frames; ++n) {
        if (cancelled(cancel))
            return QStringLiteral("The export was cancelled.");
        // The sound up to the end of this frame goes in alongside it.
        const std::int64_t audioUntil = std::min(sampleFrames, (n + 1) * kSampleRate / request.fps);
        if (audioUntil > audioSent) {
            const std::span<const float> chunk(audio->samples.data() + audioSent * 2, std::size_t(audioUntil - audioSent) * 2);
            if (!encoder->addAudio(chunk, &error))
                return error;
            audioSent = audioUntil;
        }
        const std::int64_t timeUs = n * 1'000'000 / request.fps;
        if (!encoder->addFrame(indices.indices.data(), where.width(), colours.at(timeUs), &error))
            return error;
        report({kAudioShare + (1 - kAudioShare) * double(n + 1) / double(frames), n + 1, frames, outcome.outputSeconds, 0});
    }
    if (audioSent < sampleFrames &&
        !encoder->addAudio({audio->samples.data() + audioSent * 2, std::size_t(sampleFrames - audioSent) * 2}, &error))
        return error;
    const bool finished = encoder->finish(&error);
    const VideoEncodeTimes times = encoder->times();
    outcome.lookupSeconds = times.lookup;
    outcome.yuvSeconds = times.yuv;
    outcome.encodeSeconds = times.encode;
    outcome.audioEncodeSeconds = times.audio;
    return finished ? QString() : error;
}

QString exportGif(const ExportRequest& request, const Inputs& in, const std::atomic<bool>* cancel, Reporter& report,
                  ExportOutcome& outcome)
{
    const QSize size = request.size.isEmpty() ? in.picture->size : request.size;
    const QRect where = letterbox(in.picture->size, size, false);
    FrameColours colours(in.timeline.changes, in.picture->palette);
    const std::vector<std::int64_t> times = colours.changeTimes();
    const std::vector<GifFrame> plan = planGifFrames(times, std::max<std::int64_t>(in.songEndUs, 1));
    outcome.frames = std::int64_t(plan.size());
    outcome.outputSeconds = double(in.songEndUs) / 1e6;
    outcome.size = size;
    QString error;
    std::unique_ptr<GifWriter> gif = GifWriter::create(request.output, size, where, &error);
    if (!gif)
        return error;
    const StretchedIndices indices = stretchIndices(*in.picture, where.size());
    for (std::size_t k = 0; k < plan.size(); ++k) {
        if (cancelled(cancel))
            return QStringLiteral("The export was cancelled.");
        if (!gif->addFrame(indices.indices.data(), where.width(), colours.colours(plan[k].change), plan[k].delayCs, &error))
            return error;
        report({double(k + 1) / double(plan.size()), std::int64_t(k + 1), outcome.frames, outcome.outputSeconds, 0});
    }
    return gif->finish(&error) ? QString() : error;
}

}  // namespace

QString checkExportRequest(const ExportRequest& request)
{
    if (!formatOf(request.output))
        return QStringLiteral("Cannot export to %1: the name must end in .mp4, .webm or .gif.").arg(shown(request.output));
    if (request.fps < 1 || request.fps > kMaxExportFps)
        return QStringLiteral("The frame rate must be 1 to %1 frames a second, not %2.").arg(kMaxExportFps).arg(request.fps);
    if (!request.size.isEmpty() && (request.size.width() < 2 || request.size.height() < 2 || request.size.width() > 8192
                                    || request.size.height() > 8192))
        return QStringLiteral("The size must be 2 to 8192 pixels a side, not %1x%2.")
            .arg(request.size.width())
            .arg(request.size.height());
    const QFileInfo folder(QFileInfo(request.output).absolutePath());
    if (!folder.isDir())
        return QStringLiteral("Cannot export to %1: the folder %2 does not exist.")
            .arg(shown(request.output), visibleName(QDir::toNativeSeparators(folder.filePath())));
    return {};
}

ExportOutcome exportSong(const ExportRequest& request, const std::atomic<bool>* cancel,
                         const std::function<void(const ExportProgress&)>& progress)
{
    ExportOutcome outcome;
    Reporter report(progress);
    Inputs in;
    std::unique_ptr<AtomicOutput> map;
    outcome.error = checkExportRequest(request);
    if (outcome.error.isEmpty())
        outcome.error = readInputs(request, in);
    if (outcome.error.isEmpty() && !request.mapFile.isEmpty())
        map = prepareMapFile(request.mapFile, in.timeline.lastMap, &outcome.error);
    if (outcome.error.isEmpty()) {
        outcome.error = *formatOf(request.output) == Format::Gif ? exportGif(request, in, cancel, report, outcome)
                                                                   : exportVideo(request, in, cancel, report, outcome);
    }
    if (outcome.error.isEmpty() && map)
        map->commit(&outcome.error);
    outcome.cancelled = cancelled(cancel);
    outcome.ok = outcome.error.isEmpty();
    outcome.wallSeconds = report.seconds();
    if (outcome.ok)
        report({1.0, outcome.frames, outcome.frames, outcome.outputSeconds, 0}, true);
    return outcome;
}

}  // namespace lumarel
