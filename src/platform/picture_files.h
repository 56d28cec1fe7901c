#pragma once
// Pictures loaded from files, kept while their file is unchanged: a cycling run loads its picture
// file at every step, and loading an unchanged file again must cost nothing. Loaded pictures are
// shared, never copied.

#include <QString>
#include <memory>
#include <optional>

#include "model/regular_file.h"
#include "platform/indexed_picture.h"

namespace lumarel {

class PictureFiles {
public:
    struct Loaded {
        std::shared_ptr<const IndexedPicture> picture;  // null on failure
        QString error;                                  // why, for the user
    };

    // The picture in path; decoded only when it is not the file last loaded here or when that
    // file's size or modification time changed since.
    Loaded load(const QString& path);

private:
    QString path_;
    std::optional<FileStamp> stamp_;  // size and modification time when path_ was loaded
    std::shared_ptr<const IndexedPicture> picture_;
};

}  // namespace lumarel
