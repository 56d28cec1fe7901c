#include "platform/indexed_picture.h"

namespace lumarel {

QImage IndexedPicture::toImage() const
{
    if (isNull())
        return {};
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const std::uint8_t* row = indices.data() + std::size_t(y) * std::size_t(size.width());
        for (int x = 0; x < size.width(); ++x)
            line[x] = palette[row[x]];
    }
    return image;
}

}  // namespace lumarel
