#include "platform/picture_files.h"

#include "model/regular_file.h"
#include "platform/picture_loader.h"

namespace lumarel {

PictureFiles::Loaded PictureFiles::load(const QString& path)
{
    const std::optional<FileStamp> stamp = fileStamp(path);
    if (picture_ && path == path_ && stamp && stamp == stamp_)
        return {picture_, {}};
    PictureLoadResult result = loadPictureFile(path);
    if (!result.picture)
        return {nullptr, result.error};
    path_ = path;
    stamp_ = stamp;
    picture_ = std::make_shared<const IndexedPicture>(std::move(*result.picture));
    return {picture_, {}};
}

}  // namespace lumarel
