#pragma once
// The names the player shows for MIDI notes: an Italian solfege syllable padded to five
// characters, followed directly by an octave label of ten ("Re#  5°  Ottava").

#include <QString>

#include <array>

namespace lumarel {

using NoteNames = std::array<QString, 128>;  // indexed by MIDI note number 0..127

// Every name is 15 characters. Notes 120..127 share the tenth octave's label with 108..119, and
// the syllable of every note n with n % 12 == 8 starts with a small letter ("sol# ").
NoteNames definizione_note();

}  // namespace lumarel
