#pragma once
// The key colour of a played note, taken from the first two characters of its name.

#include <QStringView>

namespace lumarel {

struct NoteColor {
    int red;    // 0..255
    int green;
    int blue;
    friend bool operator==(const NoteColor&, const NoteColor&) = default;
};

// "Do", "Re", "Mi", "Fa", "So", "La", "Si" (case-sensitive; a sharp takes the colour of the natural
// below it) give red, orange, yellow, green, cyan, lavender, magenta; any other name grey 192.
NoteColor keyColorForNote(QStringView name);

}  // namespace lumarel
