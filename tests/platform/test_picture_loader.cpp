#include <QBuffer>
#include <QImage>
#include <QtEndian>
#include <cstdio>
#include <cstring>
#include <gif_lib.h>
#include <gtest/gtest.h>

#include "platform/picture_loader.h"
#include "support/test_support.h"

namespace lumarel {
namespace {

int appendBytes(GifFileType* gif, const GifByteType* bytes, int count)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), count);
    return count;
}

struct GifLayout {
    int screenWidth = 0, screenHeight = 0;
    int left = 0, top = 0, width = 0, height = 0;
    bool interlace = false;
    bool localMap = false;
    int background = 0;
    std::vector<std::uint8_t> indices = {};  // width * height
    std::vector<GifColorType> colours = {};  // 256
};

QByteArray writeGif(const GifLayout& layout)
{
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendBytes, &error);
    EXPECT_NE(gif, nullptr);
    ColorMapObject* map = GifMakeMapObject(256, layout.colours.data());
    EGifSetGifVersion(gif, true);
    EXPECT_EQ(EGifPutScreenDesc(gif, layout.screenWidth, layout.screenHeight, 8, layout.background,
                                layout.localMap ? nullptr : map), GIF_OK);
    EXPECT_EQ(EGifPutImageDesc(gif, layout.left, layout.top, layout.width, layout.height, layout.interlace,
                               layout.localMap ? map : nullptr), GIF_OK);
    std::vector<int> rows;
    if (layout.interlace) {
        const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int row = start[pass]; row < layout.height; row += step[pass])
                rows.push_back(row);
    } else {
        for (int row = 0; row < layout.height; ++row)
            rows.push_back(row);
    }
    for (int row : rows) {
        std::vector<GifPixelType> line(layout.indices.begin() + row * layout.width,
                                       layout.indices.begin() + (row + 1) * layout.width);
        EXPECT_EQ(EGifPutLine(gif, line.data(), layout.width), GIF_OK);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

std::vector<GifColorType> testColours()
{
    std::vector<GifColorType> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[std::size_t(i)] = {GifByteType(i), GifByteType(255 - i), GifByteType((i * 3) & 255)};
    return colours;
}

TEST(PictureLoader, GifKeepsItsIndicesAndPalette)
{
    for (bool interlace : {false, true}) {
        for (bool localMap : {false, true}) {
            SCOPED_TRACE(testing::Message() << "interlace " << interlace << " local map " << localMap);
            GifLayout layout{37, 23, 0, 0, 37, 23, interlace, localMap};
            layout.colours = testColours();
            for (int y = 0; y < 23; ++y)
                for (int x = 0; x < 37; ++x)
                    layout.indices.push_back(std::uint8_t((x * 7 + y * 13) % 256));
            const PictureLoadResult result = loadPictureData(writeGif(layout));
            ASSERT_TRUE(result.picture) << result.error.toStdString();
            EXPECT_EQ(result.picture->size, QSize(37, 23));
            EXPECT_EQ(result.picture->indices, layout.indices);
            for (int i = 0; i < 256; ++i)
                EXPECT_EQ(result.picture->palette[std::size_t(i)], qRgb(i, 255 - i, (i * 3) & 255));
        }
    }
}

TEST(PictureLoader, GifFrameSitsOnTheScreenOverTheBackground)
{
    GifLayout layout{20, 10, 4, 3, 6, 2};
    layout.background = 5;
    layout.colours = testColours();
    layout.indices.assign(12, 9);
    const PictureLoadResult result = loadPictureData(writeGif(layout));
    ASSERT_TRUE(result.picture) << result.error.toStdString();
    EXPECT_EQ(result.picture->size, QSize(20, 10));
    EXPECT_EQ(result.picture->at(0, 0), 5);
    EXPECT_EQ(result.picture->at(4, 3), 9);
    EXPECT_EQ(result.picture->at(9, 4), 9);
    EXPECT_EQ(result.picture->at(10, 4), 5);
}

TEST(PictureLoader, DamagedOrForeignBytesAreRefusedWithAReason)
{
    GifLayout layout{16, 16, 0, 0, 16, 16};
    layout.colours = testColours();
    for (int i = 0; i < 256; ++i)
        layout.indices.push_back(std::uint8_t(i * 37));
    const QByteArray gif = writeGif(layout);
    for (qsizetype cut : {qsizetype(6), qsizetype(13), qsizetype(800), gif.size() - 12}) {
        const PictureLoadResult result = loadPictureData(gif.left(cut));
        EXPECT_FALSE(result.picture) << "cut at " << cut;
        EXPECT_TRUE(result.error.startsWith(QStringLiteral("the GIF is damaged"))) << result.error.toStdString();
    }
    EXPECT_EQ(loadPictureData("hello, world").error, QStringLiteral("not a GIF or BMP picture"));
    EXPECT_EQ(loadPictureData(QByteArray()).error, QStringLiteral("not a GIF or BMP picture"));
    EXPECT_TRUE(loadPictureData("BM").error.startsWith(QStringLiteral("the BMP is damaged")));

    const PictureLoadResult missing = loadPictureFile(test::tempDir() + QStringLiteral("/no such picture.gif"));
    EXPECT_FALSE(missing.picture);
    EXPECT_EQ(missing.error, QStringLiteral("\"no such picture.gif\" does not exist."));
}

TEST(PictureLoader, HugePicturesAreRefusedBeforeDecoding)
{
    GifLayout layout{30000, 30000, 0, 0, 2, 2};
    layout.colours = testColours();
    layout.indices.assign(4, 1);
    const PictureLoadResult gif = loadPictureData(writeGif(layout));
    EXPECT_FALSE(gif.picture);
    EXPECT_TRUE(gif.error.contains(QStringLiteral("too large"))) << gif.error.toStdString();

    // An 8-bit BMP header that claims 20000 x 20000 pixels, with no pixels behind it.
    QByteArray bmp(14 + 40 + 1024, '\0');
    auto put32 = [&bmp](int at, std::uint32_t v) { for (int i = 0; i < 4; ++i) bmp[at + i] = char(v >> (8 * i)); };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, std::uint32_t(bmp.size()));
    put32(10, 14 + 40 + 1024);
    put32(14, 40);
    put32(18, 20000);
    put32(22, 20000);
    bmp[26] = 1;
    bmp[28] = 8;
    const PictureLoadResult big = loadPictureData(bmp);
    EXPECT_FALSE(big.picture);
    EXPECT_TRUE(big.error.contains(QStringLiteral("too large"))) << big.error.toStdString();
}

QByteArray asBmp(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "BMP"));
    return bytes;
}

TEST(PictureLoader, BmpsBecomeIndexedPictures)
{
    // 8-bit: indices and colour table kept, even with fewer than 256 colours.
    QImage indexed(13, 7, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 200; ++i)
        table << qRgb(i, 200 - i, 7);
    indexed.setColorTable(table);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            indexed.setPixel(x, y, uint((x * 31 + y * 17) % 200));
    const QByteArray bytes8 = asBmp(indexed);
    ASSERT_EQ(bytes8[28], 8);
    const PictureLoadResult eight = loadPictureData(bytes8);
    ASSERT_TRUE(eight.picture) << eight.error.toStdString();
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            EXPECT_EQ(eight.picture->at(x, y), (x * 31 + y * 17) % 200);
    EXPECT_EQ(eight.picture->palette[150], qRgb(150, 50, 7));
    // The same bitmap stored top-down (negative height, rows in reading order) reads the same.
    QByteArray topDown = bytes8;
    const int offset = int(qFromLittleEndian<quint32>(bytes8.constData() + 10));
    qToLittleEndian<qint32>(-7, topDown.data() + 22);
    for (int row = 0; row < 7; ++row)
        topDown.replace(offset + row * 16, 16, bytes8.mid(offset + (6 - row) * 16, 16));
    const PictureLoadResult flipped = loadPictureData(topDown);
    ASSERT_TRUE(flipped.picture) << flipped.error.toStdString();
    EXPECT_EQ(flipped.picture->indices, eight.picture->indices);

    // 24-bit with few colours: every colour kept exactly.
    QImage few(9, 9, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 128, 255), qRgb(1, 2, 3), qRgb(250, 250, 250)};
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            few.setPixel(x, y, colours[(x + 2 * y) % 4]);
    const PictureLoadResult exact = loadPictureData(asBmp(few));
    ASSERT_TRUE(exact.picture) << exact.error.toStdString();
    EXPECT_EQ(exact.picture->toImage(), few);

    // True colour: quantised to 256 colours that still look like the picture.
    QImage smooth(256, 96, QImage::Format_RGB32);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 256; ++x)
            smooth.setPixel(x, y, qRgb(x, y * 2, (x + y) & 255));
    const PictureLoadResult quantised = loadPictureData(asBmp(smooth));
    ASSERT_TRUE(quantised.picture) << quantised.error.toStdString();
    const QImage shown = quantised.picture->toImage();
    double total = 0;
    int worst = 0;
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 256; ++x) {
            const QRgb a = smooth.pixel(x, y), b = shown.pixel(x, y);
            const int error = std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
            total += error;
            worst = std::max(worst, error);
        }
    }
    EXPECT_LT(total / (256 * 96), 18.0);
    EXPECT_LT(worst, 90);
}

TEST(PictureLoader, ShippedPicturesAreIndexed)
{
    const QString ship = test::sourceDir() + QStringLiteral("/data/ship/");
    const PictureLoadResult logo = loadPictureFile(ship + QStringLiteral("Lmrlogo.bmp"));
    ASSERT_TRUE(logo.picture) << logo.error.toStdString();
    EXPECT_EQ(logo.picture->size, QSize(424, 300));
    const PictureLoadResult bmp = loadPictureFile(ship + QStringLiteral("fractal.bmp"));
    const PictureLoadResult gif = loadPictureFile(ship + QStringLiteral("fractal.gif"));
    ASSERT_TRUE(bmp.picture) << bmp.error.toStdString();
    ASSERT_TRUE(gif.picture) << gif.error.toStdString();
    EXPECT_EQ(gif.picture->toImage(), bmp.picture->toImage());
}

TEST(PictureLoader, EveryCorpusPictureLoadsOrIsRefusedWithAMessage)
{
    if (!test::corpusPresent())
        GTEST_SKIP() << "no corpus beside the source tree";
    const QStringList files = test::filesUnder(test::corpusDir() + QStringLiteral("/images"), {".gif", ".bmp"});
    ASSERT_FALSE(files.isEmpty());
    int loaded = 0, refused = 0;
    for (const QString& path : files) {
        const PictureLoadResult result = loadPictureFile(path);
        if (result.picture) {
            ++loaded;
            EXPECT_FALSE(result.picture->isNull()) << path.toStdString();
            EXPECT_EQ(result.picture->indices.size(),
                      std::size_t(result.picture->size.width()) * std::size_t(result.picture->size.height()));
        } else {
            ++refused;
            EXPECT_FALSE(result.error.isEmpty()) << path.toStdString();
        }
    }
    std::printf("corpus pictures: %d loaded, %d refused\n", loaded, refused);
    EXPECT_GT(loaded, 0);
}

}  // namespace
}  // namespace lumarel
