#pragma once
// Where the player window puts its track rows, in twips.

namespace lumarel {

inline constexpr int kRowTopTwips = 2760;   // row 0
inline constexpr int kRowPitchTwips = 360;  // between rows

// Top of row i.
constexpr int rowTopTwips(int row) { return kRowTopTwips + kRowPitchTwips * row; }
// The player's inner height for this many rows.
constexpr int clientHeightTwips(int rowCount) { return 3000 + kRowPitchTwips * rowCount; }

}  // namespace lumarel
