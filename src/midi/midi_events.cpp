#include "midi/midi_events.h"

#include <chrono>

namespace lumarel {

QEvent::Type MidiOutputEvent::eventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

MidiOutputEvent::MidiOutputEvent(Kind kind) : QEvent(eventType()), kind_(kind)
{
    using namespace std::chrono;
    postedAtUs_ = duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

MidiOutputEvent::MidiOutputEvent(const MidiOutputEvent& other) = default;
MidiOutputEvent::~MidiOutputEvent() = default;

MidiOutputEvent* MidiOutputEvent::clone() const
{
    return new MidiOutputEvent(*this);
}

MidiOutputEvent* MidiOutputEvent::messagePlayed(std::int32_t tag, std::uint64_t playback)
{
    auto* event = new MidiOutputEvent(Kind::MessagePlayed);
    event->tag_ = tag;
    event->playback_ = playback;
    return event;
}

MidiOutputEvent* MidiOutputEvent::playFinished(std::uint64_t playback)
{
    auto* event = new MidiOutputEvent(Kind::PlayFinished);
    event->playback_ = playback;
    return event;
}

MidiOutputEvent* MidiOutputEvent::errorReported(int code, const QString& text)
{
    auto* event = new MidiOutputEvent(Kind::ErrorReported);
    event->code_ = code;
    event->text_ = text;
    return event;
}

}  // namespace lumarel
