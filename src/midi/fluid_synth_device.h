#pragma once
// The built-in synth: FluidSynth with a General MIDI SoundFont, heard through PulseAudio or
// PipeWire (its PulseAudio service), else ALSA. JACK is never tried, so no JACK server is
// started behind the user's back.

#include "midi/midi_device.h"
#include "midi/midi_output.h"

#include <QString>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_audio_driver_t;

namespace lumarel {

class FluidSynthDevice : public MidiDevice {
public:
    // soundFont: the SoundFont file to play with; empty for the one findSoundFont() finds.
    explicit FluidSynthDevice(QString soundFont = {}) : soundFont_(std::move(soundFont)) {}
    ~FluidSynthDevice() override;
    FluidSynthDevice(const FluidSynthDevice&) = delete;
    FluidSynthDevice& operator=(const FluidSynthDevice&) = delete;

    std::optional<DeviceError> open() override;
    void close() override;
    void send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override;
    bool hasVolume() const override { return synth_ != nullptr; }
    // What the audio driver buffers ahead of what is heard, from its settings.
    std::int64_t latencyUs() const override { return synth_ ? latencyUs_ : 0; }
    std::int32_t volume() const override;  // 0..65535 maps to a gain of 0..1
    void setVolume(std::int32_t volume) override;

    // The first General MIDI SoundFont found in the usual places; empty when there is none.
    static QString findSoundFont();
    // nullopt when FluidSynth loads the file as a SoundFont (its samples are not read); else why not.
    static std::optional<DeviceError> checkSoundFont(const QString& soundFont);

    // Plays messages (times after the start) through the synth with no audio driver and
    // returns the interleaved stereo 16-bit samples of lengthUs at sampleRate; sets *error and
    // returns nothing when the synth cannot be made.
    static std::vector<std::int16_t> renderOffline(const std::vector<QueuedMessage>& messages,
                                                   std::int64_t lengthUs, int sampleRate, QString* error);

private:
    QString soundFont_;
    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
    _fluid_audio_driver_t* driver_ = nullptr;
    std::int64_t latencyUs_ = 0;
};

}  // namespace lumarel
