#include "midi/note_names.h"

#include <algorithm>

namespace lumarel {

NoteNames definizione_note()
{
    // Indexed by note % 12. "sol# " is small on purpose: the key colours match no syllable for it.
    static const char* const syllables[12] = {
        "Do   ", "Do#  ", "Re   ", "Re#  ", "Mi   ", "Fa   ",
        "Fa#  ", "Sol  ", "sol# ", "La   ", "La#  ", "Si   ",
    };
    // The degree sign is written as a code point so the source file's encoding cannot change it.
    const QString degree(QChar(0x00B0));

    NoteNames names;
    for (int note = 0; note < int(names.size()); ++note) {
        const int octave = std::min(note / 12, 9);
        const QString label = octave < 9
            ? QString::number(octave + 1) + degree + QStringLiteral("  Ottava")
            : QStringLiteral("10") + degree + QStringLiteral(" Ottava");
        names[std::size_t(note)] = QLatin1String(syllables[note % 12]) + label;
    }
    return names;
}

}  // namespace lumarel
