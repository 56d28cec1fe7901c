#include "midi/note_colors.h"

namespace lumarel {

NoteColor keyColorForNote(QStringView name)
{
    struct Prefix {
        const char16_t* syllable;
        NoteColor colour;
    };
    static constexpr Prefix prefixes[] = {
        {u"Do", {255, 0, 0}},   {u"Re", {255, 127, 0}},   {u"Mi", {255, 255, 0}},
        {u"Fa", {0, 255, 0}},   {u"So", {0, 255, 255}},   {u"La", {127, 127, 255}},
        {u"Si", {255, 0, 255}},
    };
    const QStringView head = name.left(2);
    for (const Prefix& prefix : prefixes) {
        if (head == QStringView(prefix.syllable))
            return prefix.colour;
    }
    return {192, 192, 192};
}

}  // namespace lumarel
