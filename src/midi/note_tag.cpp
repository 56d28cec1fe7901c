#include "midi/note_tag.h"

#include <limits>

namespace lumarel {

std::int32_t noteTag(int track, int status, int data1, int data2)
{
    if ((status & 0xF0) != 0x90 || status > 0xFF)
        return 0;
    const std::int64_t tag = std::int64_t(track) * 1000000 + std::int64_t(data1) * 1000 + data2 + 1;
    if (tag <= 0 || tag > std::numeric_limits<std::int32_t>::max())
        return 0;
    return std::int32_t(tag);
}

NoteTagFields decodeNoteTag(std::int32_t tag)
{
    NoteTagFields fields;
    fields.track = tag / 1000000;
    const std::int32_t rest = tag % 1000000;
    fields.note = rest / 1000;
    fields.level = rest % 1000;
    return fields;
}

}  // namespace lumarel
