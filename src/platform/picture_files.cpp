#include "platform/picture_files.h"

#include <QDateTime>
#include <QFileInfo>

#include "platform/picture_loader.h"

namespace lumarel {

PictureFiles::Loaded PictureFiles::load(const QString& path)
{
    const QFileInfo info(path);
    const qint64 bytes = info.exists() ? info.size() : -1;
    const qint64 modifiedMs = info.exists() ? info.lastModified().toMSecsSinceEpoch() : 0;
    if (picture_ && path == path_ && bytes == bytes_ && modifiedMs == modifiedMs_)
        return {picture_, {}};
    PictureLoadResult result = loadPictureFile(path);
    if (!result.picture)
        return {nullptr, result.error};
    path_ = path;
    bytes_ = bytes;
    modifiedMs_ = modifiedMs;
    picture_ = std::make_shared<const IndexedPicture>(std::move(*result.picture));
    return {picture_, {}};
}

}  // namespace lumarel
