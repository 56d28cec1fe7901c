#pragma once
// The FFmpeg pieces behind VideoEncoder: owners for FFmpeg objects, an encoder feeding one
// stream of the output file, and the path of the sound from interleaved float samples to
// codec-sized frames.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>
#include <span>

namespace lumarel::media {

// FFmpeg's text for an AVERROR code.
QString errorText(int code);

// Sends FFmpeg's log (encoder chatter, warnings) to the "lumarel.export.ffmpeg" category
// instead of stderr. Safe to call any number of times, from any thread.
void routeFfmpegLog();

struct CodecFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwrFree {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct FifoFree {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFree>;
using FifoPtr = std::unique_ptr<AVAudioFifo, FifoFree>;

enum class Container { Mp4, WebM };

// One encoder writing into one stream of the output.
struct EncodedStream {
    CodecPtr codec;
    AVStream* stream = nullptr;
    PacketPtr packet;

    // Sends frame (nullptr drains the encoder) and writes every packet that comes out.
    // 0, or a negative AVERROR.
    int send(AVFormatContext* output, const AVFrame* frame);
};

// Opens the container's video encoder (H.264 or VP9, yuv420p, BT.709 video range) and adds its
// stream. false with *error naming what failed.
bool openVideo(AVFormatContext* output, Container container, QSize size, int fps, EncodedStream& video,
               QString* error);
// Opens the container's audio encoder (AAC or Opus, stereo) and adds its stream; the codec's
// rate is inputRate when it takes it, else 48000 Hz.
bool openAudio(AVFormatContext* output, Container container, int inputRate, EncodedStream& audio,
               QString* error);

// Interleaved stereo floats at any chunk size -> the codec's sample format, rate and frame size.
class AudioFeed {
public:
    // firstPts: the codec time of the first sample.
    bool open(const AVCodecContext* codec, int inputRate, std::int64_t firstPts, QString* error);
    // Converts and queues the samples, then encodes and writes every whole frame.
    int push(std::span<const float> interleavedStereo, EncodedStream& audio, AVFormatContext* output);
    // Encodes what is left (the last frame padded with silence when the codec needs whole
    // frames) and drains the encoder.
    int finish(EncodedStream& audio, AVFormatContext* output);

private:
    int convert(const std::uint8_t* const* input, int frames);
    int sendFrames(EncodedStream& audio, AVFormatContext* output, bool last);

    SwrPtr resampler_;
    FifoPtr fifo_;
    FramePtr frame_;
    int frameSize_ = 0;     // samples per codec frame
    bool smallLast_ = false;  // the codec takes a short last frame
    std::int64_t nextPts_ = 0;  // in codec samples
};

}  // namespace lumarel::media
