#include "export/gif_frame_plan.h"
#include "export/gif_writer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace lumarel {
namespace {

std::array<QRgb, 256> rampPalette(int shift)
{
    std::array<QRgb, 256> palette{};
    for (int i = 0; i < 256; ++i)
        palette[std::size_t(i)] = qRgb((i + shift) & 255, (i * 3 + shift) & 255, 255 - ((i + shift) & 255));
    return palette;
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int ignored = 0;
        DGifCloseFile(gif, &ignored);
    }
};

// True when the image's extensions hold NETSCAPE2.0 with loop count 0.
bool loopsForever(const SavedImage& image)
{
    for (int i = 0; i + 1 < image.ExtensionBlockCount; ++i) {
        const ExtensionBlock& app = image.ExtensionBlocks[i];
        const ExtensionBlock& data = image.ExtensionBlocks[i + 1];
        if (app.Function == APPLICATION_EXT_FUNC_CODE && app.ByteCount == 11 &&
            std::memcmp(app.Bytes, "NETSCAPE2.0", 11) == 0 && data.Function == CONTINUE_EXT_FUNC_CODE &&
            data.ByteCount == 3)
            return data.Bytes[0] == 1 && data.Bytes[1] == 0 && data.Bytes[2] == 0;
    }
    return false;
}

TEST(GifWriter, WritesALoopOfLocalPalettesWithBars)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("song.gif"));
    const QSize canvas(40, 30);
    const QRect picture(5, 0, 30, 30);  // bars 5 pixels wide left and right

    // The picture: a stride wider than it, to catch writers that ignore the stride.
    const qsizetype stride = 32;
    std::vector<std::uint8_t> indices(std::size_t(stride * picture.height()), 0xEE);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            indices[std::size_t(y * stride + x)] = std::uint8_t(x * 7 + y * 3 + 1);

    // Palette changes at 0, 0.5 s, 0.505 s (merges), 1.2 s in a 2 s song.
    const std::vector<std::int64_t> changes = {0, 500000, 505000, 1200000};
    const auto plan = planGifFrames(changes, 2000000);
    std::vector<std::array<QRgb, 256>> palettes;
    for (int k = 0; k < 4; ++k)
        palettes.push_back(rampPalette(k * 40));
    palettes[0][200] = qRgb(3, 2, 1);  // the darkest colour of the first table, not at index 0

    QString error;
    auto writer = GifWriter::create(path, canvas, picture, &error);
    ASSERT_TRUE(writer) << error.toStdString();
    for (const GifFrame& f : plan)
        ASSERT_TRUE(writer->addFrame(indices.data(), stride, palettes[f.change], f.delayCs, &error)) << error.toStdString();
    ASSERT_TRUE(writer->finish(&error)) << error.toStdString();
    writer.reset();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("song.gif")});

    int openError = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpenFileName(QFile::encodeName(path).constData(), &openError));
    ASSERT_TRUE(gif) << GifErrorString(openError);
    ASSERT_EQ(DGifSlurp(gif.get()), GIF_OK) << GifErrorString(gif->Error);
    EXPECT_EQ(gif->SWidth, canvas.width());
    EXPECT_EQ(gif->SHeight, canvas.height());
    ASSERT_EQ(gif->ImageCount, int(plan.size()));
    EXPECT_TRUE(loopsForever(gif->SavedImages[0]));

    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        const auto& palette = palettes[plan[std::size_t(i)].change];
        ASSERT_TRUE(image.ImageDesc.ColorMap) << i;
        ASSERT_EQ(image.ImageDesc.ColorMap->ColorCount, 256);
        for (int c = 0; c < 256; ++c) {
            const GifColorType& colour = image.ImageDesc.ColorMap->Colors[c];
            EXPECT_EQ(qRgb(colour.Red, colour.Green, colour.Blue), palette[std::size_t(c)]) << i << " " << c;
        }
        GraphicsControlBlock control{};
        ASSERT_EQ(DGifSavedExtensionToGCB(gif.get(), i, &control), GIF_OK);
        EXPECT_EQ(control.DelayTime, plan[std::size_t(i)].delayCs);
        EXPECT_EQ(control.DisposalMode, DISPOSE_DO_NOT);
        EXPECT_EQ(control.TransparentColor, NO_TRANSPARENT_COLOR);

        // The first frame covers the canvas, the others only the picture.
        const QRect area = i == 0 ? QRect(QPoint(0, 0), canvas) : picture;
        const GifImageDesc& desc = image.ImageDesc;
        EXPECT_EQ(QRect(desc.Left, desc.Top, desc.Width, desc.Height), area) << i;
        for (int y = 0; y < desc.Height; ++y)
            for (int x = 0; x < desc.Width; ++x) {
                const QPoint at(desc.Left + x, desc.Top + y);
                const std::uint8_t got = image.RasterBits[y * desc.Width + x];
                if (picture.contains(at))
                    ASSERT_EQ(got, indices[std::size_t((at.y() - picture.top()) * stride + at.x() - picture.left())]);
                else
                    ASSERT_EQ(got, 200) << "bars use the darkest entry";
            }
    }
}

TEST(GifWriter, RefusesAPictureOutsideTheCanvas)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(GifWriter::create(dir.filePath(QStringLiteral("a.gif")), QSize(10, 10), QRect(5, 5, 10, 10), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

}  // namespace
}  // namespace lumarel
