#include "export/palette_yuv.h"
#include "export/video_encoder.h"
#include "video_readback.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace lumarel {
namespace {

using test::ReadBack;
using test::readBack;

constexpr QRgb red = qRgb(255, 0, 0);
constexpr QRgb blue = qRgb(0, 0, 255);
constexpr QRgb green = qRgb(0, 200, 0);

// Palette: index 1 and 2 in the given colours, everything else grey.
std::array<QRgb, 256> twoColours(QRgb one, QRgb two)
{
    std::array<QRgb, 256> palette;
    palette.fill(qRgb(128, 128, 128));
    palette[1] = one;
    palette[2] = two;
    return palette;
}

// The top-level boxes of an MP4 file, in order.
QStringList topLevelBoxes(const QString& path)
{
    QFile file(path);
    QStringList boxes;
    if (!file.open(QIODevice::ReadOnly))
        return boxes;
    const QByteArray bytes = file.readAll();
    qsizetype at = 0;
    while (at + 8 <= bytes.size()) {
        quint64 size = quint32(quint8(bytes[at]) << 24 | quint8(bytes[at + 1]) << 16 | quint8(bytes[at + 2]) << 8 |
                               quint8(bytes[at + 3]));
        boxes << QString::fromLatin1(bytes.mid(at + 4, 4));
        if (size == 1 && at + 16 <= bytes.size()) {
            size = 0;
            for (int i = 0; i < 8; ++i)
                size = size << 8 | quint8(bytes[at + 8 + i]);
        }
        if (size < 8)
            break;
        at += qsizetype(size);
    }
    return boxes;
}

bool near(QRgb got, QRgb want)
{
    const int tolerance = 24;  // lossy coding plus one step of rounding per channel
    return std::abs(qRed(got) - qRed(want)) <= tolerance && std::abs(qGreen(got) - qGreen(want)) <= tolerance &&
           std::abs(qBlue(got) - qBlue(want)) <= tolerance;
}

// Writes 30 frames (one second) whose halves change colour, plus a second of a 440 Hz tone.
void writeVideo(const QString& path)
{
    const QSize size(160, 120);
    const qsizetype stride = 176;  // wider than the picture, to catch a writer that ignores it
    std::vector<std::uint8_t> leftOne(std::size_t(stride * size.height()), 0);
    std::vector<std::uint8_t> leftTwo = leftOne;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            leftOne[std::size_t(y * stride + x)] = x < size.width() / 2 ? 1 : 2;
            leftTwo[std::size_t(y * stride + x)] = x < size.width() / 2 ? 2 : 1;
        }
    QString error;
    auto encoder = VideoEncoder::create(path, {size, 30, 48000}, &error);
    ASSERT_TRUE(encoder) << error.toStdString();
    std::vector<float> tone(1600 * 2);  // 1/30 s of stereo
    int played = 0;
    for (int frame = 0; frame < 30; ++frame) {
        // Frames 0-9: red | blue; 10-19: blue | red (palette changed); 20-29: the same palette
        // over swapped indices, so red | blue again (indices changed alone).
        const auto& indices = frame < 20 ? leftOne : leftTwo;
        const auto palette = frame < 10 ? twoColours(red, blue) : twoColours(blue, red);
        ASSERT_TRUE(encoder->addFrame(indices.data(), stride, palette, &error)) << error.toStdString();
        for (std::size_t i = 0; i < tone.size() / 2; ++i, ++played)
            tone[i * 2] = tone[i * 2 + 1] = 0.5f * float(std::sin(2 * std::numbers::pi * 440 * played / 48000.0));
        ASSERT_TRUE(encoder->addAudio(tone, &error)) << error.toStdString();
    }
    ASSERT_TRUE(encoder->finish(&error)) << error.toStdString();
    EXPECT_EQ(encoder->framesWritten(), 30);
}

void expectColours(const ReadBack& video)
{
    ASSERT_EQ(video.colours.size(), 30u);
    for (std::size_t i = 0; i < video.colours.size(); ++i) {
        // One frame of slack around each change for the codec's settling.
        if (i == 10 || i == 20)
            continue;
        const bool swapped = i >= 10 && i < 20;
        EXPECT_TRUE(near(video.colours[i].first, swapped ? blue : red))
            << "frame " << i << " left " << std::hex << video.colours[i].first;
        EXPECT_TRUE(near(video.colours[i].second, swapped ? red : blue))
            << "frame " << i << " right " << std::hex << video.colours[i].second;
    }
}

TEST(VideoEncoder, Mp4IsH264AndAacWithTheIndexFirst)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("song.mp4"));
    writeVideo(path);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("song.mp4")});
    const QStringList boxes = topLevelBoxes(path);
    ASSERT_TRUE(boxes.contains(QStringLiteral("moov")) && boxes.contains(QStringLiteral("mdat"))) << boxes.join(' ').toStdString();
    EXPECT_LT(boxes.indexOf(QStringLiteral("moov")), boxes.indexOf(QStringLiteral("mdat")));

    const ReadBack video = readBack(path);
    EXPECT_EQ(video.video, AV_CODEC_ID_H264);
    EXPECT_EQ(video.audio, AV_CODEC_ID_AAC);
    EXPECT_EQ(video.width, 160);
    EXPECT_EQ(video.height, 120);
    EXPECT_EQ(video.pixelFormat, AV_PIX_FMT_YUV420P);
    EXPECT_DOUBLE_EQ(video.videoStart, 0.0);
    EXPECT_DOUBLE_EQ(video.audioStart, 0.0);
    EXPECT_NEAR(video.audioSeconds, 1.0, 0.05);
    EXPECT_GT(video.audioPeak, 0.3f);
    expectColours(video);
}

TEST(VideoEncoder, WebmIsVp9AndOpus)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("song.WebM"));
    writeVideo(path);
    const ReadBack video = readBack(path);
    EXPECT_EQ(video.video, AV_CODEC_ID_VP9);
    EXPECT_EQ(video.audio, AV_CODEC_ID_OPUS);
    EXPECT_EQ(video.width, 160);
    EXPECT_EQ(video.height, 120);
    EXPECT_EQ(video.pixelFormat, AV_PIX_FMT_YUV420P);
    EXPECT_DOUBLE_EQ(video.videoStart, 0.0);
    EXPECT_NEAR(video.audioStart, 0.0, 0.001);  // WebM keeps times in whole milliseconds
    EXPECT_NEAR(video.audioSeconds, 1.0, 0.05);
    EXPECT_GT(video.audioPeak, 0.3f);
    expectColours(video);
}

TEST(VideoEncoder, RefusesWhatItCannotWrite)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(VideoEncoder::create(dir.filePath(QStringLiteral("song.avi")), {QSize(64, 64)}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral(".mp4"))) << error.toStdString();
    EXPECT_FALSE(VideoEncoder::create(dir.filePath(QStringLiteral("song.mp4")), {QSize(63, 64)}, &error));
    EXPECT_FALSE(VideoEncoder::create(dir.filePath(QStringLiteral("song.mp4")), {QSize(64, 64), 0}, &error));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(PaletteYuv, ChromaIsTheMeanOfEachTwoByTwo)
{
    // Indices 1 (white) and 2 (red): one 2x2 block all white, one of one white and three red.
    std::array<QRgb, 256> palette{};
    palette[1] = qRgb(255, 255, 255);
    palette[2] = qRgb(255, 0, 0);
    const std::uint8_t indices[2][4] = {{1, 1, 1, 2}, {1, 1, 2, 2}};
    PaletteYuv yuv;
    yuv.setPalette(palette);
    std::uint8_t y[2][4], u[1][2], v[1][2];
    yuv.fill(&indices[0][0], 4, 4, 2, &y[0][0], 4, &u[0][0], 2, &v[0][0], 2);
    // BT.709 video range worked out by hand: white (235, 128, 128), red (63, 102, 240).
    EXPECT_EQ(y[0][0], 235);
    EXPECT_EQ(y[1][3], 63);
    EXPECT_EQ(u[0][0], 128);
    EXPECT_EQ(v[0][0], 128);
    // Block two: one white, three red: (128 + 3 * 102.0) / 4 = 108.5 and (128 + 3 * 240) / 4 = 212.
    EXPECT_NEAR(u[0][1], 108.5, 0.51);
    EXPECT_EQ(v[0][1], 212);
}

}  // namespace
}  // namespace lumarel
