#include "platform/message_wait.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <algorithm>

namespace lumarel {

namespace {

MessageWait* g_active = nullptr;

std::vector<int>& consumedTimers()
{
    static std::vector<int> ids;
    return ids;
}

std::vector<QEvent::Type>& heldTypes()
{
    static std::vector<QEvent::Type> types;
    return types;
}

std::vector<std::pair<const QObject*, std::size_t>>& queuedNotifications()
{
    static std::vector<std::pair<const QObject*, std::size_t>> queued;
    return queued;
}

std::size_t queuedNotificationCount()
{
    std::size_t total = 0;
    for (const auto& entry : queuedNotifications())
        total += entry.second;
    return total;
}

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

// Used for keys with no Windows code of their own: not 0 and none of the run's command keys.
constexpr int kUnmappedKey = 0xFF;

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

}  // namespace

MessageWait::MessageWait()
{
    if (g_active || !QCoreApplication::instance())
        return;
    g_active = this;
    active_ = true;
    QCoreApplication::instance()->installEventFilter(this);
}

MessageWait::~MessageWait()
{
    if (!active_)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    g_active = nullptr;
    repostHeld();
}

bool MessageWait::running() { return g_active != nullptr; }

void MessageWait::consumeTimer(int timerId) { addOnce(consumedTimers(), timerId); }
void MessageWait::releaseTimer(int timerId) { removeAll(consumedTimers(), timerId); }
void MessageWait::holdEventType(QEvent::Type type) { addOnce(heldTypes(), type); }
void MessageWait::releaseEventType(QEvent::Type type) { removeAll(heldTypes(), type); }

void MessageWait::setQueuedNotifications(const QObject* receiver, std::size_t count)
{
    auto& queued = queuedNotifications();
    const auto found = std::find_if(queued.begin(), queued.end(), [&](const auto& e) { return e.first == receiver; });
    if (found != queued.end()) {
        if (count == 0)
            queued.erase(found);
        else
            found->second = count;
    } else if (count > 0) {
        queued.emplace_back(receiver, count);
    }
}

WindowMessage MessageWait::get()
{
    if (!active_) {
        WindowMessage end;
        end.kind = WindowMessage::Kind::KeyDown;
        end.virtualKey = kUnmappedKey;
        return end;
    }
    while (fifo_.empty()) {
        if (queuedTaken_ < queuedNotificationCount()) {
            ++queuedTaken_;
            return WindowMessage{};
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const WindowMessage message = fifo_.front();
    fifo_.pop_front();
    return message;
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
        fifo_.push_back(message);
        return true;
    }
    case QEvent::ShortcutOverride:
        event->accept();
        return true;
    case QEvent::Close:
        if (!event->spontaneous())
            return false;
        event->ignore();
        fifo_.push_back(message);
        return true;
    case QEvent::Timer:
        if (!contains(consumedTimers(), static_cast<QTimerEvent*>(event)->timerId()))
            return false;
        fifo_.push_back(message);
        return true;
    case QEvent::Paint:
    case QEvent::UpdateRequest:
        return false;
    default:
        break;
    }
    if (isInput(type)) {
        message.kind = WindowMessage::Kind::Mouse;
        fifo_.push_back(message);
        return true;
    }
    if (isWindowChange(type)) {
        // Child widgets get their own resize and focus events; one change of a window is one
        // message, so only the top-level window's event counts.
        if (watched->isWindowType())
            fifo_.push_back(message);
        return false;
    }
    if (contains(heldTypes(), type)) {
        held_.push_back({watched, std::unique_ptr<QEvent>(event->clone())});
        fifo_.push_back(message);
        return true;
    }
    return false;
}

void MessageWait::repostHeld()
{
    // The held notifications were taken before any that still wait in the queue: handing them
    // on at a higher priority keeps them ahead, in their order, without touching the queue
    // (collecting a long backlog at the end of every run would cost time in proportion to it).
    for (Held& held : held_) {
        if (held.receiver)
            QCoreApplication::postEvent(held.receiver, held.event.release(), Qt::HighEventPriority);
    }
    held_.clear();
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
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Minus: return keypad ? 0x6D : 0xBD;
    case Qt::Key_Plus: return keypad ? 0x6B : 0xBB;
    case Qt::Key_Asterisk: return keypad ? 0x6A : 0x38;
    case Qt::Key_Slash: return keypad ? 0x6F : 0xBF;
    case Qt::Key_Period: return keypad ? 0x6E : 0xBE;
    case Qt::Key_Comma: return 0xBC;
    case Qt::Key_Equal: return 0xBB;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Shift: return 0x10;
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
    default: return kUnmappedKey;
    }
}

}  // namespace lumarel
