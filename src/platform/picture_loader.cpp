#include "platform/picture_loader.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

#include <gif_lib.h>

#include "model/regular_file.h"
#include "model/visible_name.h"
#include "platform/bmp_decoder.h"

namespace lumarel {

namespace {

// Pictures larger than this are refused before any pixel memory is taken.
// sync: kBmpMaxSide / kBmpMaxPixels in bmp_header.h
constexpr int kMaxSide = 16384;
constexpr qint64 kMaxPixels = 100'000'000;

QString checkSize(int width, int height)
{
    if (width <= 0 || height <= 0)
        return QStringLiteral("the picture has no pixels (%1 x %2)").arg(width).arg(height);
    if (width > kMaxSide || height > kMaxSide || qint64(width) * height > kMaxPixels)
        return QStringLiteral("the picture is too large (%1 x %2 pixels; at most %3 x %3 and %4 million pixels)")
            .arg(width).arg(height).arg(kMaxSide).arg(kMaxPixels / 1'000'000);
    return {};
}

PictureLoadResult refused(const QString& error) { return {std::nullopt, error}; }

// ---- GIF -------------------------------------------------------------------------------------

struct GifSource {
    const QByteArray* bytes;
    qsizetype position = 0;
};

int readGifBytes(GifFileType* gif, GifByteType* out, int wanted)
{
    auto* source = static_cast<GifSource*>(gif->UserData);
    const qsizetype left = source->bytes->size() - source->position;
    const int count = int(std::min<qsizetype>(left, std::max(wanted, 0)));
    if (count > 0)
        std::memcpy(out, source->bytes->constData() + source->position, std::size_t(count));
    source->position += count;
    return count;
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

QString gifDamaged(int error)
{
    const char* text = GifErrorString(error);
    return QStringLiteral("the GIF is damaged: %1").arg(text ? QString::fromLatin1(text) : QStringLiteral("unknown error %1").arg(error));
}

// Decodes the first frame onto the logical screen, keeping the GIF's own indices and palette.
PictureLoadResult decodeGif(const QByteArray& bytes)
{
    GifSource source{&bytes};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&source, readGifBytes, &error));
    if (!gif)
        return refused(gifDamaged(error));

    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR)
            return refused(gifDamaged(gif->Error));
        if (record == TERMINATE_RECORD_TYPE)
            return refused(QStringLiteral("the GIF is damaged: it holds no picture"));
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
                return refused(gifDamaged(gif->Error));
            while (block) {
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                    return refused(gifDamaged(gif->Error));
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE)
            return refused(QStringLiteral("the GIF is damaged: unexpected record"));
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
            return refused(gifDamaged(gif->Error));
        break;
    }

    const GifImageDesc& frame = gif->Image;
    if (frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0)
        return refused(QStringLiteral("the GIF is damaged: its first frame has no pixels"));
    if (QString tooBig = checkSize(frame.Width, frame.Height); !tooBig.isEmpty())
        return refused(tooBig);
    // The canvas is the logical screen, grown to hold the frame when the screen is smaller
    // (some writers leave the screen size at zero).
    const int width = std::max<int>(gif->SWidth, frame.Left + frame.Width);
    const int height = std::max<int>(gif->SHeight, frame.Top + frame.Height);
    if (QString tooBig = checkSize(width, height); !tooBig.isEmpty())
        return refused(tooBig);

    IndexedPicture picture;
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (map && map->Colors && map->ColorCount > 0) {
        for (int i = 0; i < std::min(map->ColorCount, 256); ++i) {
            const GifColorType& c = map->Colors[i];
            picture.palette[std::size_t(i)] = qRgb(c.Red, c.Green, c.Blue);
        }
    } else {
        // No colour table at all: a grey ramp, as decoders commonly assume.
        for (int i = 0; i < 256; ++i)
            picture.palette[std::size_t(i)] = qRgb(i, i, i);
    }
    for (int i = map ? std::min(map->ColorCount, 256) : 256; i < 256; ++i)
        picture.palette[std::size_t(i)] = qRgb(0, 0, 0);

    picture.size = QSize(width, height);
    const std::uint8_t background = gif->SColorMap ? std::uint8_t(gif->SBackGroundColor) : 0;
    picture.indices.assign(std::size_t(width) * std::size_t(height), background);

    std::vector<GifPixelType> line(std::size_t(frame.Width));
    auto readRow = [&](int row) -> bool {
        if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR)
            return false;
        std::copy(line.begin(), line.end(),
                  picture.indices.begin() + qsizetype(frame.Top + row) * width + frame.Left);
        return true;
    };
    if (frame.Interlace) {
        static constexpr int kStart[4] = {0, 4, 2, 1};
        static constexpr int kStep[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int row = kStart[pass]; row < frame.Height; row += kStep[pass])
                if (!readRow(row))
                    return refused(gifDamaged(gif->Error));
    } else {
        for (int row = 0; row < frame.Height; ++row)
            if (!readRow(row))
                return refused(gifDamaged(gif->Error));
    }
    return {std::move(picture), {}};
}

// ---- BMP -------------------------------------------------------------------------------------

PictureLoadResult decodeBmp(const QByteArray& bytes)
{
    BmpDecodeResult decoded = decodeBmpBytes(bytes);
    if (auto* error = std::get_if<BmpError>(&decoded))
        return refused(error->text);
    return {std::move(std::get<IndexedPicture>(decoded)), {}};
}

}  // namespace

PictureLoadResult loadPictureData(const QByteArray& bytes)
{
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return decodeGif(bytes);
    if (bytes.startsWith("BM"))
        return decodeBmp(bytes);
    return refused(QStringLiteral("not a GIF or BMP picture"));
}

PictureLoadResult loadPictureFile(const QString& path)
{
    // Every failure is a sentence for the user that names the file once.
    RegularFile opened = openRegularFile(path, QStringLiteral("a picture"), qint64(512) * 1024 * 1024);
    QString error;
    const std::optional<QByteArray> bytes = readWholeFile(opened, &error);
    if (!bytes)
        return refused(error);
    PictureLoadResult result = loadPictureData(*bytes);
    if (!result.picture)
        result.error = QStringLiteral("Cannot show the picture \"%1\": %2").arg(visibleName(QFileInfo(path).fileName()), result.error);
    return result;
}

}  // namespace lumarel
