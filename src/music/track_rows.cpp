#include "music/track_rows.h"

#include <algorithm>

namespace lumarel {

int firstTrackFor(int readerTrackCount) { return readerTrackCount == 1 ? 1 : 2; }

std::int16_t cappedTrackCount(int readerTrackCount)
{
    return std::int16_t(std::clamp(readerTrackCount, 0, kMaxTracks));
}

int wantedRowCount(int trackCount, int firstTrack) { return std::max(1, trackCount - firstTrack + 1); }

float decayedMeter(float value, int step) { return value > float(step) ? value - float(step) : 0.0f; }

int levelGrey(int level) { return std::min(2 * level, 255); }

}  // namespace lumarel
