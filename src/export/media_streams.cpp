#include "export/media_streams.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <QLoggingCategory>
#include <QThread>
#include <algorithm>
#include <mutex>

Q_LOGGING_CATEGORY(lcFfmpeg, "lumarel.export.ffmpeg", QtWarningMsg)

namespace lumarel::media {

namespace {

// H.264: x264's fastest preset lacks the two tools that keep a fractal clean at this speed,
// the arithmetic coder (fewer bits for the same quality) and the deblocking filter (no block
// edges), so both are turned back on; adaptive quantisation keeps smooth palette gradients
// from banding. A keyframe every 4 s lets players seek.
constexpr const char* x264Preset = "ultrafast";
constexpr const char* x264Params = "cabac=1:deblock=0,0:aq-mode=1";
constexpr int x264Crf = 23;
// VP9: libvpx's realtime mode, its fastest speed with threads over rows and tiles.
constexpr int vp9CpuUsed = 8;
constexpr int vp9Crf = 30;
constexpr int keyframeSeconds = 4;

constexpr int aacBitRate = 192000;
constexpr int opusBitRate = 160000;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

bool openCodec(AVFormatContext* output, const AVCodec* codec, AVDictionary** options, EncodedStream& out,
               QString* error)
{
    if (output->oformat->flags & AVFMT_GLOBALHEADER)
        out.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int result = avcodec_open2(out.codec.get(), codec, options);
    av_dict_free(options);
    if (result < 0) {
        setError(error, QStringLiteral("The %1 encoder could not start: %2").arg(QLatin1String(codec->name), errorText(result)));
        return false;
    }
    out.stream = avformat_new_stream(output, nullptr);
    out.packet.reset(av_packet_alloc());
    if (!out.stream || !out.packet) {
        setError(error, QStringLiteral("Out of memory."));
        return false;
    }
    out.stream->time_base = out.codec->time_base;
    result = avcodec_parameters_from_context(out.stream->codecpar, out.codec.get());
    if (result < 0) {
        setError(error, QStringLiteral("The %1 stream could not be set up: %2").arg(QLatin1String(codec->name), errorText(result)));
        return false;
    }
    return true;
}

const AVCodec* findEncoder(const char* preferred, AVCodecID fallback)
{
    if (const AVCodec* codec = avcodec_find_encoder_by_name(preferred))
        return codec;
    return avcodec_find_encoder(fallback);
}

void logToCategory(void* owner, int level, const char* format, va_list arguments)
{
    if (level > AV_LOG_VERBOSE)
        return;
    char line[1024];
    int printPrefix = 1;
    av_log_format_line2(owner, level, format, arguments, line, sizeof(line), &printPrefix);
    const QString text = QString::fromUtf8(line).trimmed();
    if (text.isEmpty())
        return;
    if (level <= AV_LOG_ERROR)  // our own messages say what failed; FFmpeg's warnings are detail
        qCWarning(lcFfmpeg).noquote() << text;
    else
        qCDebug(lcFfmpeg).noquote() << text;
}

}  // namespace

void routeFfmpegLog()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_callback(logToCategory); });
}

QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof(text));
    return QString::fromLocal8Bit(text);
}

int EncodedStream::send(AVFormatContext* output, const AVFrame* frame)
{
    int result = avcodec_send_frame(codec.get(), frame);
    if (result < 0)
        return result;
    while ((result = avcodec_receive_packet(codec.get(), packet.get())) >= 0) {
        av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        result = av_interleaved_write_frame(output, packet.get());  // takes the packet's data
        if (result < 0)
            return result;
    }
    return result == AVERROR(EAGAIN) || result == AVERROR_EOF ? 0 : result;
}

bool openVideo(AVFormatContext* output, Container container, QSize size, int fps, EncodedStream& video,
               QString* error)
{
    const bool mp4 = container == Container::Mp4;
    const AVCodec* codec = mp4 ? findEncoder("libx264", AV_CODEC_ID_H264) : findEncoder("libvpx-vp9", AV_CODEC_ID_VP9);
    if (!codec) {
        setError(error, QStringLiteral("This system's FFmpeg has no %1 encoder.").arg(mp4 ? "H.264" : "VP9"));
        return false;
    }
    video.codec.reset(avcodec_alloc_context3(codec));
    if (!video.codec) {
        setError(error, QStringLiteral("Out of memory."));
        return false;
    }
    AVCodecContext* c = video.codec.get();
    c->width = size.width();
    c->height = size.height();
    c->time_base = AVRational{1, fps};
    c->framerate = AVRational{fps, 1};
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->gop_size = fps * keyframeSeconds;
    c->color_range = AVCOL_RANGE_MPEG;
    c->colorspace = AVCOL_SPC_BT709;
    c->color_primaries = AVCOL_PRI_BT709;
    c->color_trc = AVCOL_TRC_BT709;
    c->chroma_sample_location = AVCHROMA_LOC_CENTER;
    c->thread_count = std::max(1, QThread::idealThreadCount());
    AVDictionary* options = nullptr;
    if (mp4) {
        av_dict_set(&options, "preset", x264Preset, 0);
        av_dict_set(&options, "x264-params", x264Params, 0);
        av_dict_set_int(&options, "crf", x264Crf, 0);
    } else {
        c->bit_rate = 0;  // constant quality
        av_dict_set(&options, "deadline", "realtime", 0);
        av_dict_set_int(&options, "cpu-used", vp9CpuUsed, 0);
        av_dict_set_int(&options, "crf", vp9Crf, 0);
        av_dict_set_int(&options, "row-mt", 1, 0);
        av_dict_set_int(&options, "tile-columns", 2, 0);
    }
    return openCodec(output, codec, &options, video, error);
}

bool openAudio(AVFormatContext* output, Container container, int inputRate, EncodedStream& audio, QString* error)
{
    const bool mp4 = container == Container::Mp4;
    const AVCodec* codec = mp4 ? findEncoder("aac", AV_CODEC_ID_AAC) : findEncoder("libopus", AV_CODEC_ID_OPUS);
    if (!codec) {
        setError(error, QStringLiteral("This system's FFmpeg has no %1 encoder.").arg(mp4 ? "AAC" : "Opus"));
        return false;
    }
    audio.codec.reset(avcodec_alloc_context3(codec));
    if (!audio.codec) {
        setError(error, QStringLiteral("Out of memory."));
        return false;
    }
    AVCodecContext* c = audio.codec.get();
    int rate = 48000;
    for (const int* r = codec->supported_samplerates; r && *r; ++r)
        if (*r == inputRate)
            rate = inputRate;
    if (!codec->supported_samplerates)
        rate = inputRate;
    c->sample_rate = rate;
    c->time_base = AVRational{1, rate};
    c->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == AV_SAMPLE_FMT_FLTP || *f == AV_SAMPLE_FMT_FLT)
            c->sample_fmt = *f;
    const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    av_channel_layout_copy(&c->ch_layout, &stereo);
    c->bit_rate = mp4 ? aacBitRate : opusBitRate;
    AVDictionary* options = nullptr;
    if (mp4)
        av_dict_set(&options, "aac_coder", "fast", 0);
    return openCodec(output, codec, &options, audio, error);
}

bool AudioFeed::open(const AVCodecContext* codec, int inputRate, std::int64_t firstPts, QString* error)
{
    nextPts_ = firstPts;
    // This FFmpeg takes the layouts through non-const pointers: pass copies.
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    AVChannelLayout codecLayout{};
    av_channel_layout_copy(&codecLayout, &codec->ch_layout);
    SwrContext* resampler = nullptr;
    int result = swr_alloc_set_opts2(&resampler, &codecLayout, codec->sample_fmt, codec->sample_rate, &stereo,
                                     AV_SAMPLE_FMT_FLT, inputRate, 0, nullptr);
    av_channel_layout_uninit(&codecLayout);
    resampler_.reset(resampler);
    if (result >= 0)
        result = swr_init(resampler);
    if (result < 0) {
        setError(error, QStringLiteral("The sound could not be converted for the %1 encoder: %2")
                            .arg(QLatin1String(codec->codec->name), errorText(result)));
        return false;
    }
    frameSize_ = codec->frame_size > 0 ? codec->frame_size : 1024;
    smallLast_ = codec->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
    fifo_.reset(av_audio_fifo_alloc(codec->sample_fmt, codec->ch_layout.nb_channels, frameSize_ * 4));
    frame_.reset(av_frame_alloc());
    if (!fifo_ || !frame_) {
        setError(error, QStringLiteral("Out of memory."));
        return false;
    }
    frame_->format = codec->sample_fmt;
    frame_->sample_rate = codec->sample_rate;
    av_channel_layout_copy(&frame_->ch_layout, &codec->ch_layout);
    return true;
}

int AudioFeed::convert(const std::uint8_t* const* input, int frames)
{
    // What comes out of this call: the input at the codec's rate plus what the resampler held.
    const int room = swr_get_out_samples(resampler_.get(), frames);
    if (room <= 0)
        return room;
    std::uint8_t** planes = nullptr;
    int result = av_samples_alloc_array_and_samples(&planes, nullptr, frame_->ch_layout.nb_channels, room,
                                                    AVSampleFormat(frame_->format), 0);
    if (result < 0)
        return result;
    result = swr_convert(resampler_.get(), planes, room, const_cast<const std::uint8_t**>(input), frames);
    if (result > 0)
        result = av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(planes), result);
    av_freep(&planes[0]);
    av_freep(&planes);
    return result < 0 ? result : 0;
}

int AudioFeed::sendFrames(EncodedStream& audio, AVFormatContext* output, bool last)
{
    while (av_audio_fifo_size(fifo_.get()) >= frameSize_ || (last && av_audio_fifo_size(fifo_.get()) > 0)) {
        const int available = std::min(av_audio_fifo_size(fifo_.get()), frameSize_);
        const int samples = available < frameSize_ && !smallLast_ ? frameSize_ : available;
        av_frame_unref(frame_.get());
        frame_->format = audio.codec->sample_fmt;
        frame_->sample_rate = audio.codec->sample_rate;
        av_channel_layout_copy(&frame_->ch_layout, &audio.codec->ch_layout);
        frame_->nb_samples = samples;
        int result = av_frame_get_buffer(frame_.get(), 0);
        if (result < 0)
            return result;
        if (samples > available)  // a whole last frame, its end silent
            av_samples_set_silence(frame_->data, 0, samples, frame_->ch_layout.nb_channels,
                                   AVSampleFormat(frame_->format));
        result = av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame_->data), available);
        if (result < 0)
            return result;
        frame_->pts = nextPts_;
        nextPts_ += samples;
        result = audio.send(output, frame_.get());
        if (result < 0)
            return result;
    }
    return 0;
}

int AudioFeed::push(std::span<const float> interleavedStereo, EncodedStream& audio, AVFormatContext* output)
{
    constexpr std::size_t chunk = 1 << 16;  // frames per conversion, to bound the buffers
    for (std::size_t first = 0; first + 1 < interleavedStereo.size(); first += chunk * 2) {
        const auto* input = reinterpret_cast<const std::uint8_t*>(interleavedStereo.data() + first);
        const int frames = int(std::min(chunk, (interleavedStereo.size() - first) / 2));
        int result = convert(&input, frames);
        if (result >= 0)
            result = sendFrames(audio, output, false);
        if (result < 0)
            return result;
    }
    return 0;
}

int AudioFeed::finish(EncodedStream& audio, AVFormatContext* output)
{
    int result = convert(nullptr, 0);  // what the resampler still holds
    if (result >= 0)
        result = sendFrames(audio, output, true);
    if (result >= 0)
        result = audio.send(output, nullptr);
    return result;
}

}  // namespace lumarel::media
