#pragma once
// The arithmetic of the player's track rows and meters, without any widget.

#include <cstdint>

namespace lumarel {

inline constexpr int kMaxTracks = 16;        // trackCount is capped here
inline constexpr int kMeterDecayStep = 15;   // per tick of the decay timer
inline constexpr int kMeterDecayIntervalMs = 5500;

// 1 when the file has exactly one track, else 2: track 1 of a multi-track file has no row.
int firstTrackFor(int readerTrackCount);
// The shared trackCount: the reader's count capped at 16.
std::int16_t cappedTrackCount(int readerTrackCount);
// Rows wanted for a file: trackCount - firstTrack + 1, never less than 1.
int wantedRowCount(int trackCount, int firstTrack);
// One tick of the decay timer: down by step, or to 0 when at or below it.
float decayedMeter(float value, int step = kMeterDecayStep);
// The level box's grey for a note level: min(2 * level, 255).
int levelGrey(int level);

}  // namespace lumarel
