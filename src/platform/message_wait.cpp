#include "platform/message_wait.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <algorithm>

namespace lumarel {

namespace {

template <typename T>
bool contains(const std::vector<T>& list, T value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

template <typename T>
void addOnce(std::vector<T>& list, T value)
{
    if (!contains(list, value))
        list.push_back(value);
}

template <typename T>
void removeAll(std::vector<T>& list, T value)
{
    list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

bool isWindowChange(QEvent::Type type)
{
    switch (type) {
    case QEvent::Expose:
    case QEvent::Resize:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        return true;
    default:
        return false;
    }
}

WindowMessage unmappedKeyDown()
{
    WindowMessage end;
    end.kind = WindowMessage::Kind::KeyDown;
    end.virtualKey = vk::kUnmapped;
    return end;
}

}  // namespace

MessageWait::MessageWait() = default;

MessageWait::~MessageWait()
{
    if (depth_ > 0) {
        depth_ = 1;
        end();
    }
}

void MessageWait::begin()
{
    if (depth_++ > 0 || !QCoreApplication::instance())
        return;
    queuedTaken_ = 0;
    QCoreApplication::instance()->installEventFilter(this);
}

void MessageWait::end()
{
    if (depth_ == 0 || --depth_ > 0)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    handOn();
}

void MessageWait::consumeTimer(int timerId) { addOnce(consumedTimers_, timerId); }
void MessageWait::releaseTimer(int timerId) { removeAll(consumedTimers_, timerId); }
void MessageWait::holdEventType(QEvent::Type type) { addOnce(heldTypes_, type); }
void MessageWait::releaseEventType(QEvent::Type type) { removeAll(heldTypes_, type); }

void MessageWait::setQueuedNotifications(const QObject* receiver, std::size_t count)
{
    auto found = std::find_if(queuedNotifications_.begin(), queuedNotifications_.end(),
                              [&](const auto& e) { return e.first == receiver; });
    if (found != queuedNotifications_.end()) {
        if (count == 0)
            queuedNotifications_.erase(found);
        else
            found->second = count;
    } else if (count > 0) {
        queuedNotifications_.emplace_back(receiver, count);
    }
}

std::size_t MessageWait::queuedNotificationCount() const
{
    std::size_t total = 0;
    for (const auto& entry : queuedNotifications_)
        total += entry.second;
    return total;
}

WindowMessage MessageWait::get()
{
    if (depth_ != 1 || !QCoreApplication::instance())
        return unmappedKeyDown();  // no run, or a run inside a run: end it at once
    while (fifo_.empty()) {
        if (queuedTaken_ < queuedNotificationCount()) {
            ++queuedTaken_;
            return WindowMessage{};
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    Pending taken = std::move(fifo_.front());
    fifo_.pop_front();
    const WindowMessage message = taken.message;
    if (taken.notification)
        handOn_.push_back(std::move(taken));
    return message;
}

void MessageWait::hold(QObject* watched, QEvent* event, WindowMessage message, bool notification)
{
    fifo_.push_back({message, watched, std::unique_ptr<QEvent>(event->clone()), notification});
}

bool MessageWait::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    WindowMessage message;
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        message.kind = type == QEvent::KeyPress ? WindowMessage::Kind::KeyDown : WindowMessage::Kind::KeyUp;
        message.virtualKey = virtualKey(key->key(), key->modifiers());
        hold(watched, event, message, false);
        return true;
    }
    case QEvent::ShortcutOverride:
        event->accept();
        return true;
    case QEvent::Close:
        if (!event->spontaneous())
            return false;
        event->ignore();
        hold(watched, event, message, false);
        return true;
    case QEvent::Timer:
        if (!contains(consumedTimers_, static_cast<QTimerEvent*>(event)->timerId()))
            return false;
        hold(watched, event, message, false);
        return true;
    case QEvent::Paint:
    case QEvent::UpdateRequest:
        return false;
    default:
        break;
    }
    if (isInput(type)) {
        message.kind = WindowMessage::Kind::Mouse;
        // A drag's data lives only as long as the drag: it is taken, never handed on later.
        if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop)
            fifo_.push_back({message, nullptr, nullptr, false});
        else
            hold(watched, event, message, false);
        return true;
    }
    if (isWindowChange(type)) {
        // Child widgets get their own resize and focus events; one change of a window is one
        // message, so only the top-level window's event counts.
        if (watched->isWindowType())
            fifo_.push_back({message, nullptr, nullptr, false});
        return false;
    }
    if (contains(heldTypes_, type)) {
        hold(watched, event, message, true);
        return true;
    }
    return false;
}

void MessageWait::handOn()
{
    // What the run held back arrived before anything still waiting in the queue: handing it on at
    // a higher priority keeps it ahead, in its order, without touching the queue.
    for (std::deque<Pending>::iterator it = fifo_.begin(); it != fifo_.end(); ++it)
        handOn_.push_back(std::move(*it));
    fifo_.clear();
    for (Pending& pending : handOn_) {
        if (pending.receiver && pending.event)
            QCoreApplication::postEvent(pending.receiver, pending.event.release(), Qt::HighEventPriority);
    }
    handOn_.clear();
}

int MessageWait::virtualKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey;  // the same codes, 0x41..0x5A
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return keypad ? 0x60 + (qtKey - Qt::Key_0) : qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 0x70 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Left: return vk::kLeft;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return vk::kRight;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Minus: return keypad ? vk::kSubtract : 0xBD;
    case Qt::Key_Plus: return keypad ? vk::kAdd : 0xBB;
    case Qt::Key_Asterisk: return keypad ? 0x6A : 0x38;
    case Qt::Key_Slash: return keypad ? 0x6F : 0xBF;
    case Qt::Key_Period: return keypad ? 0x6E : 0xBE;
    case Qt::Key_Comma: return 0xBC;
    case Qt::Key_Equal: return 0xBB;
    case Qt::Key_Escape: return vk::kEscape;
    case Qt::Key_Space: return vk::kSpace;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vk::kReturn;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return vk::kTab;
    case Qt::Key_Backspace: return vk::kBackspace;
    case Qt::Key_Shift: return vk::kShift;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Meta: return 0x5B;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_NumLock: return 0x90;
    case Qt::Key_ScrollLock: return 0x91;
    default: return vk::kUnmapped;
    }
}

}  // namespace lumarel
