#pragma once
// Opening a file the program reads (picture, map, song, help, logo) so that choosing the wrong kind
// of file can neither block nor flood memory. Only a regular file, after following links, is
// opened: a device, a named pipe, a socket or a folder is refused from its status alone, without
// opening it (opening some devices has side effects; opening a named pipe waits for a writer).
// The open itself cannot block either, and the file is checked again once open, in case it was
// swapped in between. A file larger than the reader may take is refused before any memory is taken.
//
// Paths are the path codec's strings (platform/path_codec.h), so names that are not valid UTF-8
// open too. Every refusal is a sentence for the user that names the file, as it is shown.

#include <QFile>
#include <QString>
#include <memory>
#include <optional>

namespace lumarel {

inline constexpr qint64 kAnySize = -1;  // the reader bounds its own reading

struct RegularFile {
    std::unique_ptr<QFile> file;  // open for reading at its start; null when refused
    qint64 size = 0;              // bytes, as the open file's status gave them
    QString error;                // why it was refused; empty when opened
    QString shownName;            // the file's name as messages show it, in quotes
};

// what names the kind of file the reader wants, with its article ("a picture", "a map"); it ends
// refusals such as "\"zero.bmp\" is a device, not a picture." maxBytes is the most the reader may
// take (kAnySize for none).
RegularFile openRegularFile(const QString& path, const QString& what, qint64 maxBytes);

// The whole of an opened file: its first opened.size bytes at most, so a file that grows while it
// is read costs no more than it declared. nullopt on a read error, with *error naming the file.
std::optional<QByteArray> readWholeFile(RegularFile& opened, QString* error);

// Size and modification time of path (links followed), to tell whether a file changed since it
// was read; nullopt when it has no status.
struct FileStamp {
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> fileStamp(const QString& path);

}  // namespace lumarel
