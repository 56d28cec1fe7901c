#pragma once
// The tag a queued Note On carries to the played-note handler:
// track * 1,000,000 + note * 1000 + velocity + 1. Every other message carries 0.

#include <cstdint>

namespace lumarel {

struct NoteTagFields {
    std::int32_t track = 0;
    std::int32_t note = 0;
    std::int32_t level = 0;  // velocity + 1, 1..128
};

// The tag of a message with this status and data on this track (0 unless it is a Note On).
// A track too large for the tag's 32 bits gets 0: no row could show it anyway.
std::int32_t noteTag(int track, int status, int data1, int data2);

// Splits a tag into its fields; the caller checks them against the rows it has.
NoteTagFields decodeNoteTag(std::int32_t tag);

}  // namespace lumarel
