#pragma once
// What the user chose of the player's sound: the output device, the built-in synth's SoundFont
// and the volume. The program remembers it between runs.

#include <QString>

namespace lumarel {

struct SoundChoice {
    QString device;           // the chosen output's name; empty for the default output (entry 0)
    QString soundFont;        // the built-in synth's SoundFont file; empty for the one it finds itself
    int volumePercent = 100;  // of the device's own volume, 0..kMaxVolumePercent; 100 leaves it alone

    static constexpr int kMaxVolumePercent = 200;
};

}  // namespace lumarel
