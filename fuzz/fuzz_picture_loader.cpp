// Feeds arbitrary bytes to the picture loader: it must load them or refuse them with a reason,
// and a loaded picture must be whole.
#include <cstdint>
#include <cstdlib>

#include "platform/picture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const lumarel::PictureLoadResult result = lumarel::loadPictureData(bytes);
    if (result.picture) {
        const lumarel::IndexedPicture& picture = *result.picture;
        if (picture.isNull()
            || picture.indices.size() != std::size_t(picture.size.width()) * std::size_t(picture.size.height()))
            std::abort();
    } else if (result.error.isEmpty()) {
        std::abort();
    }
    return 0;
}
