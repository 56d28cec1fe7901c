#include "midi/rtmidi_device.h"

#include "midi/fluid_synth_device.h"
#include "midi/sound_fonts.h"

#include <QFile>
#include <QLoggingCategory>
#include <rtmidi/RtMidi.h>

Q_LOGGING_CATEGORY(lcPorts, "lumarel.player.ports", QtWarningMsg)

namespace lumarel {

namespace {

const QString sequencerPath = QStringLiteral("/dev/snd/seq");

// With a callback installed RtMidi reports instead of throwing; keep the text for the caller.
void keepError(RtMidiError::Type, const std::string& text, void* userData)
{
    *static_cast<std::string*>(userData) = text;
    qCDebug(lcPorts) << text.c_str();
}

DeviceError noSequencer()
{
    return DeviceError{OutputError::NoAlsaSequencer,
                       QStringLiteral("MIDI ports cannot be used: the ALSA sequencer (%1) is not available.")
                           .arg(sequencerPath)};
}

}  // namespace

RtMidiDevice::RtMidiDevice(int port) : port_(port) {}

RtMidiDevice::~RtMidiDevice()
{
    close();
}

QStringList RtMidiDevice::portNames()
{
    QStringList names;
    // Without the sequencer RtMidi would only print an error and throw.
    if (!QFile::exists(sequencerPath))
        return names;
    try {
        RtMidiOut out(RtMidi::LINUX_ALSA, "Lumarel");
        std::string error;
        out.setErrorCallback(keepError, &error);
        const unsigned count = out.getPortCount();
        for (unsigned i = 0; i < count; ++i)
            names << QString::fromStdString(out.getPortName(i));
    } catch (const RtMidiError& e) {
        qCDebug(lcPorts) << e.what();
    }
    return names;
}

std::optional<DeviceError> RtMidiDevice::open()
{
    if (out_)
        return std::nullopt;
    if (!QFile::exists(sequencerPath))
        return noSequencer();
    try {
        auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, "Lumarel");
        out->setErrorCallback(keepError, &lastError_);
        if (port_ < 0 || unsigned(port_) >= out->getPortCount())
            return DeviceError{OutputError::DeviceOpenFailed,
                               QStringLiteral("The MIDI port number %1 is no longer there.").arg(port_)};
        out->openPort(unsigned(port_), "Lumarel output");
        if (!out->isPortOpen())
            return DeviceError{OutputError::DeviceOpenFailed,
                               QStringLiteral("The MIDI port %1 could not be opened: %2")
                                   .arg(port_)
                                   .arg(QString::fromStdString(lastError_))};
        out_ = std::move(out);
    } catch (const RtMidiError& e) {
        qCDebug(lcPorts) << e.what();
        return noSequencer();
    }
    return std::nullopt;
}

void RtMidiDevice::close()
{
    if (out_)
        out_->closePort();
    out_.reset();
}

void RtMidiDevice::send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    if (!out_)
        return;
    const unsigned char message[3] = {status, data1, data2};
    const std::size_t size = (status & 0xE0) == 0xC0 ? 2 : 3;  // program change, channel pressure
    out_->sendMessage(message, size);
}

namespace {

// The built-in synth as the default output, then the ALSA ports as they were at start-up.
class SystemDeviceProvider : public MidiDeviceProvider {
public:
    SystemDeviceProvider() : ports_(RtMidiDevice::portNames()) {}
    int count() const override { return int(ports_.size()); }
    QString name(int index) const override
    {
        if (index == -1) {
            // Named after the SoundFont it plays with.
            const QString font = soundFont_.isEmpty() ? FluidSynthDevice::findSoundFont() : soundFont_;
            return QStringLiteral("Built-in synth (%1)")
                .arg(font.isEmpty() ? QStringLiteral("no SoundFont") : soundFontName(font));
        }
        return index >= 0 && index < count() ? ports_[index] : QString();
    }
    std::unique_ptr<MidiDevice> create(int index) override
    {
        if (index == -1)
            return std::make_unique<FluidSynthDevice>(soundFont_);
        if (index >= 0 && index < count())
            return std::make_unique<RtMidiDevice>(index);
        return nullptr;
    }
    QString soundFont() const override { return soundFont_; }
    bool setSoundFont(const QString& path, QString* why) override
    {
        if (!path.isEmpty()) {
            if (const std::optional<QString> problem = soundFontProblem(path)) {
                if (why)
                    *why = *problem;
                return false;
            }
        }
        soundFont_ = path;
        return true;
    }

private:
    QStringList ports_;
    QString soundFont_;  // empty: the one FluidSynthDevice finds
};

}  // namespace

std::unique_ptr<MidiDeviceProvider> defaultProvider()
{
    return std::make_unique<SystemDeviceProvider>();
}

}  // namespace lumarel
