#pragma once
// Waiting for the program's next window message during a palette-cycling run. A run takes every
// message itself, one per step, without handing input to the windows. The program owns one
// MessageWait and hands it to whoever runs a cycling run.

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

#include "platform/window_message.h"

namespace lumarel {

// While a run is active (begin() .. end()), an application-wide event filter turns the program's
// events into messages in a FIFO; get() waits in the event loop until there is one and takes
// exactly one.
//  - key, mouse, wheel, touch and tablet input to any window: a message, held back from the windows;
//  - ShortcutOverride: accepted and eaten (not a message), so no shortcut fires during a run;
//  - a spontaneous Close of a window: a message, held back;
//  - expose, resize, focus and activation of a top-level window: a message, passed on;
//  - timer events of registered timer ids: a message, held back;
//  - events of registered notification types: a message, held back and always handed on to their
//    receiver, in order, when the run ends;
//  - everything else (Paint and UpdateRequest included) passes untouched.
// A message the run took is consumed. Events that arrived with it but were not taken (the window
// system delivers them in batches: a pointer move and the click after it) are handed on when the
// run ends, in their order, ahead of anything still queued: they are the user's next actions.
// Runs do not nest: a run begun inside a run gets, at once, a key-down of a key that is none of
// the run's command keys, so it ends after one step instead of blocking.
class MessageWait : public QObject {
public:
    MessageWait();
    ~MessageWait() override;
    MessageWait(const MessageWait&) = delete;
    MessageWait& operator=(const MessageWait&) = delete;

    void begin();
    void end();
    bool running() const { return depth_ > 0; }

    WindowMessage get();

    // Timer ticks (by QTimer::timerId()) that a run takes, e.g. a meter timer.
    void consumeTimer(int timerId);
    void releaseTimer(int timerId);
    // Event types a run counts as messages but hands on after the run. Such events must
    // implement QEvent::clone().
    void holdEventType(QEvent::Type type);
    void releaseEventType(QEvent::Type type);
    // Notifications that their receiver has already taken but queued behind the one it is
    // handling. They are still waiting messages of the program: a run takes each of them as one
    // message at once instead of waiting for a new one; the notifications stay where they are.
    void setQueuedNotifications(const QObject* receiver, std::size_t count);

    // The Windows virtual-key code for a Qt key and its modifiers (keypad keys need
    // Qt::KeypadModifier). Never 0.
    static int virtualKey(int qtKey, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Pending {
        WindowMessage message;
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;  // the held event, to hand on unless the run consumed it
        bool notification = false;      // handed on even when taken
    };
    void hold(QObject* watched, QEvent* event, WindowMessage message, bool notification);
    std::size_t queuedNotificationCount() const;
    void handOn();

    int depth_ = 0;
    std::size_t queuedTaken_ = 0;  // queued notifications this run has taken as messages
    std::deque<Pending> fifo_;
    std::vector<Pending> handOn_;  // taken notifications, handed on at the end of the run
    std::vector<int> consumedTimers_;
    std::vector<QEvent::Type> heldTypes_;
    std::vector<std::pair<const QObject*, std::size_t>> queuedNotifications_;
};

}  // namespace lumarel
