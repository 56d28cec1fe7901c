#pragma once
// What the output needs of a MIDI device, and of the list of devices the system offers.
// Real devices (the built-in synth, ALSA sequencer ports) and the recording fake used by the
// tests implement these.

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace lumarel {

// Codes of ErrorReported. 0 and 8 are never used: the player shows every other code.
enum class OutputError : int {
    NoSoundFont = 1,       // no General MIDI SoundFont found or loadable
    NoAudioDriver = 2,     // neither PulseAudio/PipeWire nor ALSA audio could be opened
    NoAlsaSequencer = 3,   // the ALSA sequencer (/dev/snd/seq) is missing
    DeviceOpenFailed = 4,  // the chosen port exists no more or refused to open
    NoSuchDevice = 5,      // an index outside -1 .. DeviceCount - 1
};

struct DeviceError {
    OutputError code = OutputError::DeviceOpenFailed;
    QString text;
};

class MidiDevice {
public:
    virtual ~MidiDevice() = default;

    // nullopt when the device is open and ready.
    virtual std::optional<DeviceError> open() = 0;
    virtual void close() = 0;
    // One channel message (status 0x80..0xEF); program change and channel pressure use data1 only.
    virtual void send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) = 0;

    // How long after a send the message is heard, in microseconds (0 for a port: the synth behind
    // it is not ours to know).
    virtual std::int64_t latencyUs() const { return 0; }

    // Volume 0..65535 (left, or the only one).
    virtual bool hasVolume() const { return false; }
    virtual bool hasStereoVolume() const { return false; }
    virtual std::int32_t volume() const { return 0; }
    virtual void setVolume(std::int32_t) {}
    virtual std::int32_t volumeRight() const { return 0; }
    virtual void setVolumeRight(std::int32_t) {}
};

// The devices to choose from: index -1 is the default output, 0..count()-1 the others.
class MidiDeviceProvider {
public:
    virtual ~MidiDeviceProvider() = default;
    virtual int count() const = 0;
    virtual QString name(int index) const = 0;
    // A closed device for the index, or nullptr for an index out of range.
    virtual std::unique_ptr<MidiDevice> create(int index) = 0;

    // The SoundFont of a built-in synth at index -1 (its name shows in name(-1)); empty while it
    // plays with the one it finds itself, or when the default output is no synth.
    virtual QString soundFont() const { return {}; }
    // Chooses the built-in synth's SoundFont for its next opening; empty goes back to its own.
    // A file it cannot load is refused (false, *why says why) and the previous one stays.
    virtual bool setSoundFont(const QString& path, QString* why)
    {
        if (why)
            *why = QStringLiteral("This output has no SoundFont to choose.");
        return path.isEmpty();
    }
};

// The built-in synth as -1 and the system's ALSA sequencer ports (listed once, at construction).
std::unique_ptr<MidiDeviceProvider> defaultProvider();

}  // namespace lumarel
