#include "midi/fluid_synth_device.h"

#include "midi/fluid_messages.h"

#include <QFile>
#include <fluidsynth.h>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace lumarel {

namespace {

constexpr float fullGain = 1.0f;  // Volume 65535

// What is queued ahead of what is heard, per audio driver. FluidSynth's PulseAudio output asks
// the server for one period of buffer and ignores the period count: 512 frames at 44.1 kHz is
// 11.6 ms, the server's whole latency, and plays a dense song on a quiet two-core machine without
// underruns (64 frames, 1.7 ms, underran hundreds of times a song). The ALSA output queues
// period size x periods: 64 x 8 is the same 11.6 ms.
struct Buffering {
    const char* driver;
    int periodSize;
    int periods;
};
constexpr Buffering kBuffering[] = {{"pulseaudio", 512, 2}, {"alsa", 64, 8}};

struct SynthParts {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
};

// Settings and a synth with the SoundFont loaded (chosen, or else found), or an error. With
// headersOnly the samples are left unread: enough to know the file loads.
std::optional<DeviceError> makeSynth(SynthParts& parts, double sampleRate, const QString& chosen,
                                     bool headersOnly = false)
{
    routeFluidSynthLog();
    const QString soundFont = chosen.isEmpty() ? FluidSynthDevice::findSoundFont() : chosen;
    if (soundFont.isEmpty())
        return DeviceError{OutputError::NoSoundFont,
                           QStringLiteral("The built-in synth found no SoundFont. Install a General MIDI "
                                          "SoundFont (for example the package timgm6mb-soundfont or "
                                          "fluid-soundfont-gm) in /usr/share/sounds/sf2.")};
    parts.settings = new_fluid_settings();
    fluid_settings_setnum(parts.settings, "synth.sample-rate", sampleRate);
    if (headersOnly)
        fluid_settings_setint(parts.settings, "synth.dynamic-sample-loading", 1);
    parts.synth = new_fluid_synth(parts.settings);
    if (!parts.synth || fluid_synth_sfload(parts.synth, QFile::encodeName(soundFont).constData(), 1) == FLUID_FAILED)
        return DeviceError{OutputError::NoSoundFont,
                           QStringLiteral("The built-in synth could not load the SoundFont %1.").arg(soundFont)};
    return std::nullopt;
}

void freeSynth(SynthParts& parts)
{
    if (parts.synth)
        delete_fluid_synth(parts.synth);
    if (parts.settings)
        delete_fluid_settings(parts.settings);
    parts = {};
}

}  // namespace

FluidSynthDevice::~FluidSynthDevice()
{
    close();
}

QString FluidSynthDevice::findSoundFont()
{
    for (const char* name : {"default-GM.sf2", "FluidR3_GM.sf2", "TimGM6mb.sf2"}) {
        const QString path = QStringLiteral("/usr/share/sounds/sf2/") + QLatin1String(name);
        if (QFile::exists(path))
            return path;
    }
    return {};
}

std::optional<DeviceError> FluidSynthDevice::checkSoundFont(const QString& soundFont)
{
    SynthParts parts;
    std::optional<DeviceError> failure = makeSynth(parts, 44100.0, soundFont, true);
    freeSynth(parts);
    return failure;
}

std::optional<DeviceError> FluidSynthDevice::open()
{
    if (synth_)
        return std::nullopt;
    SynthParts parts;
    if (auto failure = makeSynth(parts, 44100.0, soundFont_)) {
        freeSynth(parts);
        return failure;
    }
    const Buffering* used = nullptr;
    for (const Buffering& buffering : kBuffering) {
        fluid_settings_setstr(parts.settings, "audio.driver", buffering.driver);
        fluid_settings_setint(parts.settings, "audio.period-size", buffering.periodSize);
        fluid_settings_setint(parts.settings, "audio.periods", buffering.periods);
        driver_ = new_fluid_audio_driver(parts.settings, parts.synth);
        if (driver_) {
            used = &buffering;
            break;
        }
    }
    if (!driver_) {
        freeSynth(parts);
        return DeviceError{OutputError::NoAudioDriver,
                           QStringLiteral("The built-in synth has no sound output: neither PulseAudio "
                                          "(or PipeWire) nor ALSA could be opened.")};
    }
    settings_ = parts.settings;
    synth_ = parts.synth;
    double rate = 44100.0;
    fluid_settings_getnum(settings_, "synth.sample-rate", &rate);
    const bool pulse = std::strcmp(used->driver, "pulseaudio") == 0;
    const int frames = pulse ? used->periodSize : used->periodSize * used->periods;
    latencyUs_ = std::int64_t(double(frames) * 1e6 / rate);
    return std::nullopt;
}

void FluidSynthDevice::close()
{
    if (driver_)
        delete_fluid_audio_driver(driver_);
    driver_ = nullptr;
    SynthParts parts{settings_, synth_};
    freeSynth(parts);
    settings_ = nullptr;
    synth_ = nullptr;
}

void FluidSynthDevice::send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    if (synth_)
        sendToFluidSynth(synth_, status, data1, data2);
}

std::int32_t FluidSynthDevice::volume() const
{
    if (!synth_)
        return 0;
    return std::int32_t(std::lround(std::clamp(fluid_synth_get_gain(synth_) / fullGain, 0.0f, 1.0f) * 65535.0f));
}

void FluidSynthDevice::setVolume(std::int32_t volume)
{
    if (synth_)
        fluid_synth_set_gain(synth_, fullGain * float(std::clamp(volume, 0, 65535)) / 65535.0f);
}

std::vector<std::int16_t> FluidSynthDevice::renderOffline(const std::vector<QueuedMessage>& messages,
                                                          std::int64_t lengthUs, int sampleRate, QString* error)
{
    SynthParts parts;
    if (auto failure = makeSynth(parts, sampleRate, {})) {
        if (error)
            *error = failure->text;
        freeSynth(parts);
        return {};
    }
    std::vector<QueuedMessage> plan = messages;
    sortIntoPlayOrder(plan);
    const std::int64_t totalFrames = lengthUs * sampleRate / 1000000;
    std::vector<std::int16_t> samples(std::size_t(totalFrames) * 2);
    std::int64_t frame = 0;
    std::size_t next = 0;
    while (frame < totalFrames) {
        const std::int64_t nowUs = frame * 1000000 / sampleRate;
        for (; next < plan.size() && plan[next].timeUs <= nowUs; ++next)
            sendToFluidSynth(parts.synth, plan[next].status, plan[next].data1, plan[next].data2);
        const int block = int(std::min<std::int64_t>(64, totalFrames - frame));
        std::int16_t* out = samples.data() + frame * 2;
        fluid_synth_write_s16(parts.synth, block, out, 0, 2, out, 1, 2);
        frame += block;
    }
    freeSynth(parts);
    return samples;
}

}  // namespace lumarel
