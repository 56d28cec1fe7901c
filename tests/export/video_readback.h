#pragma once
// Reading back a video the export wrote, with FFmpeg's libraries.

#include <QFile>
#include <QRgb>
#include <QString>
#include <cmath>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace lumarel::test {

// What a video holds, read back with FFmpeg.
struct ReadBack {
    AVCodecID video = AV_CODEC_ID_NONE, audio = AV_CODEC_ID_NONE;
    int width = 0, height = 0;
    AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;
    double videoStart = -1, audioStart = -1;  // seconds; audio's first sample heard, priming skipped
    double audioSeconds = 0;                  // decoded samples / rate
    float audioPeak = 0;
    std::vector<std::pair<QRgb, QRgb>> colours;  // per frame: the left and right halves' centres
};

QRgb rgbAt(const AVFrame* frame, int x, int y)
{
    // FFmpeg's own converter, told the frame is BT.709 video range, is the reference.
    SwsContext* sws = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                     frame->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
    sws_setColorspaceDetails(sws, sws_getCoefficients(SWS_CS_ITU709), 0, sws_getCoefficients(SWS_CS_ITU709), 1, 0,
                             1 << 16, 1 << 16);
    std::vector<std::uint8_t> rgb(std::size_t(frame->width * frame->height * 3));
    std::uint8_t* planes[1] = {rgb.data()};
    const int strides[1] = {frame->width * 3};
    sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides);
    sws_freeContext(sws);
    const std::uint8_t* p = rgb.data() + (y * frame->width + x) * 3;
    return qRgb(p[0], p[1], p[2]);
}

ReadBack readBack(const QString& path)
{
    ReadBack out;
    AVFormatContext* input = nullptr;
    if (avformat_open_input(&input, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return out;
    avformat_find_stream_info(input, nullptr);
    std::vector<AVCodecContext*> decoders(input->nb_streams, nullptr);
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* s = input->streams[i];
        const double start = s->start_time == AV_NOPTS_VALUE ? -1 : double(s->start_time) * av_q2d(s->time_base);
        if (s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            out.video = s->codecpar->codec_id;
            out.videoStart = start;
        } else if (s->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            out.audio = s->codecpar->codec_id;
            out.audioStart = start + double(s->codecpar->initial_padding) / s->codecpar->sample_rate;
        }
        const AVCodec* codec = avcodec_find_decoder(s->codecpar->codec_id);
        decoders[i] = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(decoders[i], s->codecpar);
        avcodec_open2(decoders[i], codec, nullptr);
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto drain = [&](AVCodecContext* decoder) {
        while (avcodec_receive_frame(decoder, frame) >= 0) {
            if (decoder->codec_type == AVMEDIA_TYPE_VIDEO) {
                out.width = frame->width;
                out.height = frame->height;
                out.pixelFormat = AVPixelFormat(frame->format);
                out.colours.emplace_back(rgbAt(frame, frame->width / 4, frame->height / 2),
                                         rgbAt(frame, frame->width * 3 / 4, frame->height / 2));
            } else {
                out.audioSeconds += double(frame->nb_samples) / frame->sample_rate;
                if (frame->format == AV_SAMPLE_FMT_FLTP || frame->format == AV_SAMPLE_FMT_FLT) {
                    const auto* samples = reinterpret_cast<const float*>(frame->data[0]);
                    for (int i = 0; i < frame->nb_samples; ++i)
                        out.audioPeak = std::max(out.audioPeak, std::fabs(samples[i]));
                }
            }
        }
    };
    while (av_read_frame(input, packet) >= 0) {
        AVCodecContext* decoder = decoders[std::size_t(packet->stream_index)];
        avcodec_send_packet(decoder, packet);
        av_packet_unref(packet);
        drain(decoder);
    }
    for (AVCodecContext* decoder : decoders) {
        avcodec_send_packet(decoder, nullptr);
        drain(decoder);
        avcodec_free_context(&decoder);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&input);
    return out;
}

}  // namespace lumarel::test
