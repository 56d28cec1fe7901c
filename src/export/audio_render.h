#pragma once
// A song's sound rendered offline through FluidSynth (no audio driver), for export.

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace lumarel {

// A channel message (status 0x80..0xEF) at its time in the song.
struct SynthMessage {
    std::int64_t timeUs = 0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

struct RenderedAudio {
    int sampleRate = 48000;
    std::vector<float> samples;  // interleaved stereo: left, right, left, ...
};

// The longest tail kept after the song's end (reverb, releases), in seconds.
inline constexpr int audioTailSeconds = 3;

// Renders messages (sorted here by time, equal times in their given order) through FluidSynth
// with soundFont, from time 0 to songEndUs; messages after songEndUs are not played. Every
// message lands on its own sample, round(timeUs * sampleRate / 1e6): note onsets are exact to
// the sample. Notes still held at the end are released there, and the sound after it (reverb
// and releases) is kept until it falls silent, at most audioTailSeconds.
//
// cancel, when given, is polled often; a cancelled or failed render returns nothing and sets
// *error. progress, when given, gets the fraction done (0..1) now and then.
std::optional<RenderedAudio> renderSongAudio(std::span<const SynthMessage> messages, std::int64_t songEndUs,
                                             const QString& soundFont, int sampleRate,
                                             const std::atomic<bool>* cancel, QString* error,
                                             const std::function<void(double fraction)>& progress = {});

}  // namespace lumarel
