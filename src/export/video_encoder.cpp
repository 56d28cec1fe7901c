#include "export/video_encoder.h"

#include "export/atomic_output.h"
#include "export/media_streams.h"
#include "export/palette_yuv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstring>
#include <vector>

namespace lumarel {

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

double secondsOf(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

}  // namespace

struct VideoEncoder::Impl {
    ~Impl()
    {
        if (output) {
            if (output->pb)
                avio_closep(&output->pb);
            avformat_free_context(output);
        }
    }  // then file_ goes, removing the temporary unless it was committed

    bool start(QString* error);
    std::int64_t firstAudioPts() const;
    bool fail(const QString& what, int code, QString* error);
    bool usable(QString* error) const;
    bool sameIndices(const std::uint8_t* indices, qsizetype stride) const;
    void keepIndices(const std::uint8_t* indices, qsizetype stride);

    std::unique_ptr<AtomicOutput> file;
    VideoSettings settings;
    media::Container container = media::Container::Mp4;
    AVFormatContext* output = nullptr;
    media::EncodedStream video;
    media::EncodedStream audio;
    media::AudioFeed feed;
    media::FramePtr frame;
    PaletteYuv yuv;
    std::array<QRgb, 256> palette{};
    std::vector<std::uint8_t> lastIndices;  // of the last frame, width * height, empty before it
    std::int64_t frames = 0;
    QString failure;  // set once something failed; every later call reports it
    bool finished = false;
    VideoEncodeTimes times;
};

bool VideoEncoder::Impl::fail(const QString& what, int code, QString* error)
{
    failure = QStringLiteral("Could not %1 %2: %3")
                  .arg(what, QDir::toNativeSeparators(file->destination()), media::errorText(code));
    setError(error, failure);
    return false;
}

bool VideoEncoder::Impl::usable(QString* error) const
{
    if (!failure.isEmpty() || finished) {
        setError(error, finished ? QStringLiteral("The video %1 is already finished.")
                                       .arg(QDir::toNativeSeparators(file->destination()))
                                 : failure);
        return false;
    }
    return true;
}

std::int64_t VideoEncoder::Impl::firstAudioPts() const
{
    // MP4 hides the encoder's priming samples behind an edit list, so sound starts at 0.
    // WebM instead counts them in CodecDelay, which players subtract from the stored times:
    // the first packet (priming included) must be stored at 0, or the muxer would shift every
    // stream, the pictures included, to keep times from going negative.
    return container == media::Container::WebM ? audio.codec->initial_padding : 0;
}

bool VideoEncoder::Impl::start(QString* error)
{
    const QByteArray temporary = QFile::encodeName(file->temporaryPath());
    const char* format = container == media::Container::Mp4 ? "mp4" : "webm";
    int result = avformat_alloc_output_context2(&output, nullptr, format, temporary.constData());
    if (result < 0)
        return fail(QStringLiteral("set up"), result, error);
    if (!media::openVideo(output, container, settings.size, settings.fps, video, error) ||
        !media::openAudio(output, container, settings.sampleRate, audio, error) ||
        !feed.open(audio.codec.get(), settings.sampleRate, firstAudioPts(), error))
        return false;
    frame.reset(av_frame_alloc());
    if (!frame)
        return fail(QStringLiteral("set up"), AVERROR(ENOMEM), error);
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = settings.size.width();
    frame->height = settings.size.height();
    if ((result = av_frame_get_buffer(frame.get(), 0)) < 0)
        return fail(QStringLiteral("set up"), result, error);
    // Black where the picture is not: video-range black, neutral chroma.
    std::memset(frame->data[0], 16, std::size_t(frame->linesize[0]) * std::size_t(frame->height));
    std::memset(frame->data[1], 128, std::size_t(frame->linesize[1]) * std::size_t(frame->height / 2));
    std::memset(frame->data[2], 128, std::size_t(frame->linesize[2]) * std::size_t(frame->height / 2));
    if ((result = avio_open(&output->pb, temporary.constData(), AVIO_FLAG_WRITE)) < 0)
        return fail(QStringLiteral("write"), result, error);
    AVDictionary* options = nullptr;
    if (container == media::Container::Mp4)
        av_dict_set(&options, "movflags", "+faststart", 0);  // the index before the data
    result = avformat_write_header(output, &options);
    av_dict_free(&options);
    if (result < 0)
        return fail(QStringLiteral("write"), result, error);
    return true;
}

bool VideoEncoder::Impl::sameIndices(const std::uint8_t* indices, qsizetype stride) const
{
    if (lastIndices.empty())
        return false;
    const auto width = std::size_t(settings.picture.width());
    for (int row = 0; row < settings.picture.height(); ++row)
        if (std::memcmp(indices + row * stride, lastIndices.data() + std::size_t(row) * width, width) != 0)
            return false;
    return true;
}

void VideoEncoder::Impl::keepIndices(const std::uint8_t* indices, qsizetype stride)
{
    const auto width = std::size_t(settings.picture.width());
    lastIndices.resize(width * std::size_t(settings.picture.height()));
    for (int row = 0; row < settings.picture.height(); ++row)
        std::memcpy(lastIndices.data() + std::size_t(row) * width, indices + row * stride, width);
}

VideoEncoder::VideoEncoder(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

VideoEncoder::~VideoEncoder() = default;

std::unique_ptr<VideoEncoder> VideoEncoder::create(const QString& path, const VideoSettings& settings, QString* error)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QString name = QDir::toNativeSeparators(path);
    if (suffix != QLatin1String("mp4") && suffix != QLatin1String("webm")) {
        setError(error, QStringLiteral("Cannot make the video %1: its name must end in .mp4 or .webm.").arg(name));
        return nullptr;
    }
    const QSize size = settings.size;
    if (size.width() < 2 || size.height() < 2 || size.width() % 2 || size.height() % 2 || size.width() > 8192 ||
        size.height() > 8192) {
        setError(error, QStringLiteral("Cannot make the video %1: its size %2x%3 must be even and 2..8192 pixels a side.")
                            .arg(name)
                            .arg(size.width())
                            .arg(size.height()));
        return nullptr;
    }
    if (settings.fps < 1 || settings.fps > 240 || settings.sampleRate < 8000 || settings.sampleRate > 384000) {
        setError(error, QStringLiteral("Cannot make the video %1: %2 frames a second and %3 Hz sound are out of range.")
                            .arg(name)
                            .arg(settings.fps)
                            .arg(settings.sampleRate));
        return nullptr;
    }
    const QRect picture = settings.picture.isEmpty() ? QRect(QPoint(0, 0), size) : settings.picture;
    if (!QRect(QPoint(0, 0), size).contains(picture) || picture.x() % 2 || picture.y() % 2 || picture.width() % 2 ||
        picture.height() % 2) {
        setError(error, QStringLiteral("Cannot make the video %1: the picture must lie inside it at even places.").arg(name));
        return nullptr;
    }
    media::routeFfmpegLog();
    auto impl = std::make_unique<Impl>();
    impl->settings = settings;
    impl->settings.picture = picture;
    impl->container = suffix == QLatin1String("mp4") ? media::Container::Mp4 : media::Container::WebM;
    impl->file = AtomicOutput::create(path, error);
    if (!impl->file || !impl->start(error))
        return nullptr;
    return std::unique_ptr<VideoEncoder>(new VideoEncoder(std::move(impl)));
}

bool VideoEncoder::addFrame(const std::uint8_t* indices, qsizetype stride, const std::array<QRgb, 256>& palette,
                            QString* error)
{
    Impl& d = *impl_;
    if (!d.usable(error))
        return false;
    if (!indices || stride < d.settings.picture.width()) {
        setError(error, QStringLiteral("A frame of the video %1 has no pixels.").arg(QDir::toNativeSeparators(d.file->destination())));
        return false;
    }
    QElapsedTimer timer;
    const bool samePalette = d.frames > 0 && palette == d.palette;
    const bool sameIndices = d.sameIndices(indices, stride);
    if (!samePalette || !sameIndices) {
        // The encoder may still hold the last frame's pixels; make them ours before writing.
        if (const int result = av_frame_make_writable(d.frame.get()); result < 0)
            return d.fail(QStringLiteral("encode"), result, error);
        if (!samePalette) {
            timer.start();
            d.yuv.setPalette(palette);
            d.palette = palette;
            d.times.lookup += secondsOf(timer);
        }
        timer.start();
        AVFrame* f = d.frame.get();
        const QRect& at = d.settings.picture;
        d.yuv.fill(indices, stride, at.width(), at.height(), f->data[0] + at.y() * f->linesize[0] + at.x(),
                   f->linesize[0], f->data[1] + at.y() / 2 * f->linesize[1] + at.x() / 2, f->linesize[1],
                   f->data[2] + at.y() / 2 * f->linesize[2] + at.x() / 2, f->linesize[2]);
        if (!sameIndices)
            d.keepIndices(indices, stride);
        d.times.yuv += secondsOf(timer);
    }
    timer.start();
    d.frame->pts = d.frames;
    const int result = d.video.send(d.output, d.frame.get());
    d.times.encode += secondsOf(timer);
    if (result < 0)
        return d.fail(QStringLiteral("write"), result, error);
    ++d.frames;
    return true;
}

bool VideoEncoder::addAudio(std::span<const float> interleavedStereo, QString* error)
{
    Impl& d = *impl_;
    if (!d.usable(error))
        return false;
    QElapsedTimer timer;
    timer.start();
    const int result = d.feed.push(interleavedStereo, d.audio, d.output);
    d.times.audio += secondsOf(timer);
    return result < 0 ? d.fail(QStringLiteral("write"), result, error) : true;
}

bool VideoEncoder::finish(QString* error)
{
    Impl& d = *impl_;
    if (!d.usable(error))
        return false;
    if (d.frames == 0) {
        d.failure = QStringLiteral("The video %1 has no frames.").arg(QDir::toNativeSeparators(d.file->destination()));
        setError(error, d.failure);
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    int result = d.video.send(d.output, nullptr);
    d.times.encode += secondsOf(timer);
    timer.start();
    if (result >= 0)
        result = d.feed.finish(d.audio, d.output);
    d.times.audio += secondsOf(timer);
    if (result >= 0)
        result = av_write_trailer(d.output);
    if (result >= 0 && d.output->pb->error < 0)
        result = d.output->pb->error;
    if (result >= 0)
        result = avio_closep(&d.output->pb);
    if (result < 0)
        return d.fail(QStringLiteral("write"), result, error);
    d.finished = true;
    if (!d.file->commit(error)) {
        d.failure = error ? *error : QString();
        return false;
    }
    return true;
}

std::int64_t VideoEncoder::framesWritten() const
{
    return impl_->frames;
}

VideoEncodeTimes VideoEncoder::times() const
{
    return impl_->times;
}

}  // namespace lumarel
