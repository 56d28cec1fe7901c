#pragma once
// A system MIDI output port through the ALSA sequencer (RtMidi's ALSA API, named explicitly:
// its JACK API crashes when no JACK server runs).

#include "midi/midi_device.h"

#include <QStringList>
#include <memory>
#include <string>

class RtMidiOut;

namespace lumarel {

class RtMidiDevice : public MidiDevice {
public:
    explicit RtMidiDevice(int port);
    ~RtMidiDevice() override;

    std::optional<DeviceError> open() override;
    void close() override;
    void send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override;

    // Names of the output ports in system order; empty when there is no ALSA sequencer.
    static QStringList portNames();

private:
    int port_;
    std::unique_ptr<RtMidiOut> out_;
    std::string lastError_;  // filled by RtMidi's error callback
};

}  // namespace lumarel
