#pragma once
// A finished video of an indexed picture whose palette changes, with the song's sound:
// MP4 (H.264 yuv420p + AAC, index at the front so it plays while it downloads) or WebM
// (VP9 + Opus), through FFmpeg's libraries. The file appears only when finish() succeeds.

#include <QRgb>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <span>

namespace lumarel {

struct VideoSettings {
    QSize size;              // of the video, in pixels; both sides even
    int fps = 30;            // frames per second, 1..240
    int sampleRate = 48000;  // of the samples given to addAudio, in Hz
    QRect picture{};         // where the indices go (even edges), black bars around; empty: all
};

// Where the time of an export went, in seconds of wall clock.
struct VideoEncodeTimes {
    double lookup = 0;  // palette -> YUV tables
    double yuv = 0;     // filling the planes through the tables
    double encode = 0;  // video encoding and writing
    double audio = 0;   // audio conversion, encoding and writing
};

class VideoEncoder {
public:
    // The format follows the extension of path: .mp4 or .webm (any case). nullptr with *error
    // for another extension, bad settings, a folder that does not exist or cannot be written,
    // or a missing codec; nothing is left on disk then.
    static std::unique_ptr<VideoEncoder> create(const QString& path, const VideoSettings& settings, QString* error);

    // Destroying an encoder before finish() (failure or cancel) leaves no file behind.
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // The next frame: the picture rectangle's indices (rows stride bytes apart) showing the
    // 256 colours of palette. A frame equal to the previous one (same palette and indices) is
    // not converted again.
    bool addFrame(const std::uint8_t* indices, qsizetype stride, const std::array<QRgb, 256>& palette,
                  QString* error);

    // Interleaved stereo samples (left, right, ...) at settings.sampleRate, in any chunk sizes,
    // in order. Sound and pictures both start at 0; give the sound alongside the frames (the
    // file interleaves them by time) and as many frames as the sound lasts.
    bool addAudio(std::span<const float> interleavedStereo, QString* error);

    // Flushes the encoders, writes the index and puts the file in place.
    bool finish(QString* error);

    std::int64_t framesWritten() const;
    VideoEncodeTimes times() const;

private:
    struct Impl;
    explicit VideoEncoder(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace lumarel
