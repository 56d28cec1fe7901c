#pragma once
// Waiting for the program's next window message during a palette-cycling run. A run takes every
// message itself, one per step, without handing input to the windows.

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

namespace lumarel {

// One message taken from the queue: what kind it was and, for keys, the Windows virtual-key code
// (VK_LEFT 0x25, VK_SUBTRACT 0x6D, ...), which is what the cycling run acts on.
struct WindowMessage {
    enum class Kind { KeyDown, KeyUp, Mouse, Other };
    Kind kind = Kind::Other;
    int virtualKey = 0;   // key messages only; never 0 for a key
    bool failed = false;  // no message could be taken
};

class MessageSource {
public:
    virtual ~MessageSource() = default;
    // Blocks until the next message and removes it from the queue.
    virtual WindowMessage get() = 0;
};

// For its lifetime (one run), an application-wide event filter turns the program's events into
// messages in a FIFO; get() waits in the event loop until there is one and takes exactly one.
//  - key, mouse, wheel, touch and tablet input to any window: a message, consumed;
//  - ShortcutOverride: accepted and eaten (not a message), so no shortcut fires during a run;
//  - a spontaneous Close of a window: a message, consumed;
//  - expose, resize, focus and activation of a top-level window: a message, passed on;
//  - timer events of registered timer ids: a message, consumed;
//  - events of registered held types: a message; a clone is kept and re-posted to its receiver,
//    in order, when the run ends;
//  - everything else (Paint and UpdateRequest included) passes untouched.
// Only one run is active at a time. Callers check running() and do not start a run inside a
// run; a MessageWait made while another is active stays inert, and its get() returns at once
// with a key-down of a key that is none of the run's command keys, so a nested run would end
// after one step instead of blocking.
class MessageWait : public QObject, public MessageSource {
public:
    MessageWait();
    ~MessageWait() override;
    MessageWait(const MessageWait&) = delete;
    MessageWait& operator=(const MessageWait&) = delete;

    WindowMessage get() override;

    bool active() const { return active_; }
    static bool running();

    // Timer ticks (by QTimer::timerId()) that a run takes and consumes, e.g. a meter timer.
    static void consumeTimer(int timerId);
    static void releaseTimer(int timerId);
    // Event types a run counts as messages but holds and re-posts after the run. Such events must
    // implement QEvent::clone().
    static void holdEventType(QEvent::Type type);
    static void releaseEventType(QEvent::Type type);
    // Notifications that their receiver has already taken but queued behind the one it is
    // handling. They are still waiting messages of the program: a run takes each of them as one
    // message at once instead of waiting for a new one; the notifications stay where they are.
    static void setQueuedNotifications(const QObject* receiver, std::size_t count);

    // The Windows virtual-key code for a Qt key and its modifiers (keypad keys need
    // Qt::KeypadModifier). Never 0.
    static int virtualKey(int qtKey, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    void repostHeld();

    bool active_ = false;
    std::size_t queuedTaken_ = 0;  // queued notifications this run has taken as messages
    std::deque<WindowMessage> fifo_;
    std::vector<Held> held_;
};

}  // namespace lumarel
