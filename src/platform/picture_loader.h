#pragma once
// Loading picture files as a palette display would hold them. GIFs are decoded with giflib so a
// GIF keeps its own indices; BMPs of 1 to 8 bits keep theirs (our own decoder, bmp_decoder.h);
// true-colour pictures are quantised to 256 colours at load.

#include <QByteArray>
#include <QString>
#include <optional>

#include "platform/indexed_picture.h"

namespace lumarel {

struct PictureLoadResult {
    std::optional<IndexedPicture> picture;  // set on success
    QString error;                          // a user-facing reason on failure ("not a GIF or BMP picture", ...)
};

// A file's picture. Only a regular file is opened (model/regular_file.h); a failure's
// error is a sentence for the user that names the file once.
PictureLoadResult loadPictureFile(const QString& path);
// The picture in bytes; a failure's error is the reason alone ("the GIF is damaged: ...").
PictureLoadResult loadPictureData(const QByteArray& bytes);

}  // namespace lumarel
