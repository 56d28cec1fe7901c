#include "platform/stretch.h"

#include <cstring>

namespace lumarel {

StretchedIndices stretchIndices(const IndexedPicture& source, QSize size)
{
    StretchedIndices out;
    if (source.isNull() || size.isEmpty())
        return out;
    const int width = size.width();
    const int height = size.height();
    const int sw = source.size.width();
    const int sh = source.size.height();
    out.size = size;
    out.indices.resize(std::size_t(width) * std::size_t(height));
    out.repeatsRow.assign(std::size_t(height), false);
    std::vector<int> columns(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        columns[std::size_t(x)] = int(qint64(x) * sw / width);
    int previousSourceRow = -1;
    for (int y = 0; y < height; ++y) {
        const int sy = int(qint64(y) * sh / height);
        std::uint8_t* row = out.indices.data() + std::size_t(y) * std::size_t(width);
        if (sy == previousSourceRow) {
            out.repeatsRow[std::size_t(y)] = true;
            std::memcpy(row, row - width, std::size_t(width));
        } else {
            const std::uint8_t* from = source.indices.data() + std::size_t(sy) * std::size_t(sw);
            for (int x = 0; x < width; ++x)
                row[x] = from[columns[std::size_t(x)]];
        }
        previousSourceRow = sy;
    }
    return out;
}

IndexedPicture stretchIndexed(const IndexedPicture& source, QSize size)
{
    StretchedIndices stretched = stretchIndices(source, size);
    IndexedPicture out;
    out.size = stretched.size;
    out.indices = std::move(stretched.indices);
    out.palette = source.palette;
    return out;
}

}  // namespace lumarel
