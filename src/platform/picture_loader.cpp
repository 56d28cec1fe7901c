// Placeholder loader through Qt's readers; replaced by the giflib/BMP/quantiser loader.
#include "platform/picture_loader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

namespace lumarel {

PictureLoadResult loadPictureData(const QByteArray& bytes)
{
    PictureLoadResult result;
    QImage image;
    if (!image.loadFromData(bytes)) {
        result.error = QStringLiteral("not a picture this program can read");
        return result;
    }
    image = image.convertToFormat(QImage::Format_Indexed8);
    IndexedPicture picture;
    picture.size = image.size();
    picture.indices.resize(std::size_t(image.width()) * std::size_t(image.height()));
    for (int y = 0; y < image.height(); ++y)
        std::copy_n(image.constScanLine(y), image.width(), picture.indices.begin() + qsizetype(y) * image.width());
    const auto table = image.colorTable();
    for (int i = 0; i < table.size() && i < 256; ++i)
        picture.palette[std::size_t(i)] = table[i] | 0xff000000u;
    result.picture = std::move(picture);
    return result;
}

PictureLoadResult loadPictureFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, file.errorString()};
    return loadPictureData(file.readAll());
}

}  // namespace lumarel
