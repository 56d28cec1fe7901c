#pragma once
// Files the program is asked to open, from its command line or dropped on a window: each is a
// picture, a map or a song by its name's extension, and of several files of one kind the last
// one is opened.

#include <QString>
#include <QStringList>

namespace lumarel {

enum class FileKind { Picture, Map, Song, Other };

// By extension, letter case ignored: .gif .bmp pictures, .map maps, .mid .midi .rmi .kar songs.
FileKind fileKindOf(const QString& path);

struct OpenRequest {
    QString picture;     // the picture to show, or empty
    QString map;         // the map to choose, or empty
    QString song;        // the song to load into the player, or empty
    QStringList others;  // files of no kind the program opens, in their order

    // path: absolute. Files of a kind replace the one before them; anything else (a web
    // address too) goes to others.
    void add(const QString& path);
    bool opensSomething() const { return !picture.isEmpty() || !map.isEmpty() || !song.isEmpty(); }
};

OpenRequest openRequestFor(const QStringList& paths);

// What the program opens, for messages: "pictures (.gif, .bmp), maps (.map) and songs (...)".
QString openableKinds();

// The message for files that are none of the kinds the program opens.
QString refusedFilesText(const QStringList& others);

}  // namespace lumarel
