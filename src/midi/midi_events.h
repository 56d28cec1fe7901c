#pragma once
// The output's notifications to the window thread. They travel as posted events of our own
// type (not queued signals) so that a cycling run can hold them and post clones afterwards.

#include <QEvent>
#include <QString>
#include <cstdint>

namespace lumarel {

class MidiOutputEvent : public QEvent {
public:
    enum class Kind { MessagePlayed, PlayFinished, ErrorReported };

    static QEvent::Type eventType();  // registered once

    // playback: the serial of the playback the message belongs to (MIDIOutput::playbackSerial()).
    static MidiOutputEvent* messagePlayed(std::int32_t tag, std::uint64_t playback = 0);
    static MidiOutputEvent* playFinished(std::uint64_t playback = 0);
    static MidiOutputEvent* errorReported(int code, const QString& text);

    Kind kind() const { return kind_; }
    std::int32_t tag() const { return tag_; }
    std::uint64_t playback() const { return playback_; }
    int code() const { return code_; }
    QString text() const { return text_; }
    std::int64_t postedAtUs() const { return postedAtUs_; }  // steady clock, for latency figures

    MidiOutputEvent* clone() const override;
    ~MidiOutputEvent() override;

protected:
    MidiOutputEvent(const MidiOutputEvent& other);

private:
    explicit MidiOutputEvent(Kind kind);

    Kind kind_;
    std::int32_t tag_ = 0;
    std::uint64_t playback_ = 0;
    int code_ = 0;
    QString text_;
    std::int64_t postedAtUs_ = 0;
};

}  // namespace lumarel
