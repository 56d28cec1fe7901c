#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include "animation/animate.h"
#include "animation/wait_source.h"
#include "model/shared_state.h"
#include "platform/message_wait.h"
#include "support/qt_test_main.h"

namespace lumarel {
namespace {

// A palette surface that only counts.
class CountingSurface : public PaletteSurface {
public:
    bool loadPicture(const QString&, QString*) override { return true; }
    void realizePalette(const LogPalette&) override {}
    void animatePalette(int, int, const PaletteEntry*) override { ++pushes; }
    int pushes = 0;
};

// A MIDI-like notification: held during a run, re-posted after it.
const QEvent::Type kNoteEvent = QEvent::Type(QEvent::registerEventType());

class NoteEvent : public QEvent {
public:
    explicit NoteEvent(int number) : QEvent(kNoteEvent), number(number) {}
    NoteEvent* clone() const override { return new NoteEvent(*this); }
    int number;
};

class NoteReceiver : public QObject {
public:
    explicit NoteReceiver(const MessageWait& wait) : wait_(wait) {}
    std::vector<int> received;
    bool receivedDuringRun = false;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != kNoteEvent)
            return QObject::event(event);
        received.push_back(static_cast<NoteEvent*>(event)->number);
        receivedDuringRun = receivedDuringRun || wait_.running();
        return true;
    }

private:
    const MessageWait& wait_;
};

// The main window in small: a start button that runs the engine, and a second button.
struct Window {
    QWidget widget;
    QPushButton* start = new QPushButton(QStringLiteral("Start"));
    QPushButton* other = new QPushButton(QStringLiteral("Other"));
    MessageWait wait;
    WaitSource source{wait};
    CyclingControl control;
    GeneratedPalette palette;
    CountingSurface surface;
    int otherClicks = 0;
    int steps = 0;
    std::function<void()> duringRun;  // called once the run has started

    Window()
    {
        auto* layout = new QVBoxLayout(&widget);
        layout->addWidget(start);
        layout->addWidget(other);
        QObject::connect(other, &QPushButton::clicked, [this] { ++otherClicks; });
        QObject::connect(start, &QPushButton::clicked, [this] {
            Animate animator(surface, source);
            wait.begin();
            if (duringRun)
                duringRun();
            QVERIFY(animator.Show(QString(), palette, control));
            wait.end();
            steps = animator.stepsMade();
        });
        widget.show();
    }
};

}  // namespace

class MessageWaitTest : public QObject {
    Q_OBJECT
private slots:
    void mapsQtKeysToVirtualKeys()
    {
        QCOMPARE(MessageWait::virtualKey(Qt::Key_Left, Qt::NoModifier), 0x25);
        QCOMPARE(MessageWait::virtualKey(Qt::Key_Right, Qt::KeypadModifier), 0x27);
        QCOMPARE(MessageWait::virtualKey(Qt::Key_Minus, Qt::KeypadModifier), 0x6D);
        QCOMPARE(MessageWait::virtualKey(Qt::Key_Plus, Qt::KeypadModifier), 0x6B);
        QVERIFY(MessageWait::virtualKey(Qt::Key_Minus, Qt::NoModifier) != 0x6D);
        QVERIFY(MessageWait::virtualKey(Qt::Key_Plus, Qt::NoModifier) != 0x6B);
        QCOMPARE(MessageWait::virtualKey(Qt::Key_Escape, Qt::NoModifier), 0x1B);
        QCOMPARE(MessageWait::virtualKey(Qt::Key_Space, Qt::NoModifier), 0x20);
        QCOMPARE(MessageWait::virtualKey(Qt::Key_Q, Qt::ShiftModifier), 0x51);
        QCOMPARE(MessageWait::virtualKey(Qt::Key_Shift, Qt::ShiftModifier), 0x10);
        for (int key : {int(Qt::Key_VolumeUp), int(Qt::Key_unknown), int(Qt::Key_Eacute)}) {
            const int code = MessageWait::virtualKey(key, Qt::NoModifier);
            QVERIFY(code != 0 && code != 0x25 && code != 0x27 && code != 0x6B && code != 0x6D);
        }
    }

    void runTakesKeysAndSwallowsClicks()
    {
        Window window;
        QVERIFY(QTest::qWaitForWindowExposed(&window.widget));
        window.duringRun = [&window] {
            QVERIFY(window.wait.running());
            QTimer::singleShot(10, [&window] {
                QTest::keyClick(&window.widget, Qt::Key_Right);
                QTest::keyClick(&window.widget, Qt::Key_Minus, Qt::KeypadModifier);
                QTest::mouseClick(window.other, Qt::LeftButton);
                QTest::keyClick(&window.widget, Qt::Key_Left);
            });
            QTimer::singleShot(60, [&window] {
                QTest::keyClick(&window.widget, Qt::Key_Minus, Qt::KeypadModifier);
                QTest::keyClick(&window.widget, Qt::Key_Plus, Qt::KeypadModifier);
                QTest::keyClick(&window.widget, Qt::Key_Escape);
            });
        };
        QTest::mouseClick(window.start, Qt::LeftButton);
        QVERIFY(!window.wait.running());
        QCOMPARE(window.otherClicks, 0);
        QVERIFY(window.control.stopAnimation);
        QCOMPARE(window.control.cycleDelay, std::int16_t(5));
        // One step per message: press and release of six keys, the click's press and release, then
        // Escape's press (window events may add a few).
        QVERIFY2(window.steps >= 13, qPrintable(QString::number(window.steps)));
        // After the run the second button works again.
        QTest::mouseClick(window.other, Qt::LeftButton);
        QCOMPARE(window.otherClicks, 1);
    }

    void notificationsQueuedByTheirReceiverAreTakenOnceEachWithoutWaiting()
    {
        Window window;
        QVERIFY(QTest::qWaitForWindowExposed(&window.widget));
        MessageWait& wait = window.wait;
        NoteReceiver receiver(wait);
        wait.setQueuedNotifications(&receiver, 2);
        std::vector<WindowMessage::Kind> taken;
        {
            wait.begin();
            // Nothing is in the event queue: the two queued notifications are the next messages,
            // then the run waits for a real one.
            // (Keys keep coming, so a wait that blocks when it should not makes the test fail.)
            QTimer keys;
            keys.setInterval(30);
            QObject::connect(&keys, &QTimer::timeout, [&window] { QTest::keyClick(&window.widget, Qt::Key_Left); });
            keys.start();
            for (int i = 0; i < 3; ++i)
                taken.push_back(wait.get().kind);
            QCOMPARE(wait.get().kind, WindowMessage::Kind::KeyUp);
            wait.end();
        }
        using Kind = WindowMessage::Kind;
        QCOMPARE(taken, (std::vector<Kind>{Kind::Other, Kind::Other, Kind::KeyDown}));
        {
            // They are still queued, so the next run takes them too; once handled they are not.
            wait.begin();
            QCOMPARE(wait.get().kind, Kind::Other);
            wait.setQueuedNotifications(&receiver, 0);
            QTimer::singleShot(30, [&window] { QTest::keyClick(&window.widget, Qt::Key_Escape); });
            QCOMPARE(wait.get().kind, Kind::KeyDown);
            wait.end();
        }
    }

    void heldNotificationsArriveAfterTheRunInOrder()
    {
        Window window;
        QVERIFY(QTest::qWaitForWindowExposed(&window.widget));
        MessageWait& wait = window.wait;
        NoteReceiver receiver(wait);
        wait.holdEventType(kNoteEvent);
        QTimer meter;
        meter.setInterval(5);
        int ticks = 0;
        QObject::connect(&meter, &QTimer::timeout, [&ticks] { ++ticks; });
        meter.start();
        wait.consumeTimer(meter.timerId());
        int ticksInRun = -1;
        window.duringRun = [&] {
            ticks = 0;
            QTimer::singleShot(10, [&receiver] {
                for (int n = 1; n <= 3; ++n)
                    QCoreApplication::postEvent(&receiver, new NoteEvent(n));
            });
            QTimer::singleShot(60, [&] {
                // Still queued when the run ends: must not be overtaken by the ones held.
                QCoreApplication::postEvent(&receiver, new NoteEvent(4));
                QCoreApplication::postEvent(&receiver, new NoteEvent(5));
                // A run inside a run does not nest: its wait ends at once with a key that stops it.
                wait.begin();
                const WindowMessage nested = wait.get();
                wait.end();
                QVERIFY(wait.running());
                QCOMPARE(nested.kind, WindowMessage::Kind::KeyDown);
                QCOMPARE(nested.virtualKey, vk::kUnmapped);
                ticksInRun = ticks;
                QTest::keyClick(&window.widget, Qt::Key_Escape);
            });
        };
        QTest::mouseClick(window.start, Qt::LeftButton);
        QCoreApplication::postEvent(&receiver, new NoteEvent(6));
        QTRY_COMPARE(receiver.received.size(), std::size_t(6));
        QCOMPARE(receiver.received, (std::vector<int>{1, 2, 3, 4, 5, 6}));
        QVERIFY(!receiver.receivedDuringRun);
        QCOMPARE(ticksInRun, 0);               // the meter's ticks were taken by the run
        QVERIFY(window.steps >= 4);            // three notes and Escape at least
        QTRY_VERIFY(ticks > 0);                // and the meter keeps running after it
        wait.releaseTimer(meter.timerId());
        wait.releaseEventType(kNoteEvent);
    }

    void eventsThatCameWithTheTakenMessageReachTheirWindowAfterTheRun()
    {
        // The window system hands events over in batches: a pointer move and the click right
        // after it. A run of one step takes the move; the click is the user's next action.
        Window window;
        QVERIFY(QTest::qWaitForWindowExposed(&window.widget));
        window.control.stopAnimation = true;  // one step, one message
        window.duringRun = [&window] {
            QWidget* target = window.other;
            const QPoint at = target->rect().center();
            const QPointF global = target->mapToGlobal(QPointF(at));
            QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseMove, QPointF(at), global, Qt::NoButton,
                                                                Qt::NoButton, Qt::NoModifier));
            QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonPress, QPointF(at), global,
                                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
            QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonRelease, QPointF(at), global,
                                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        };
        QTest::mouseClick(window.start, Qt::LeftButton);
        QCOMPARE(window.steps, 1);
        QCOMPARE(window.otherClicks, 0);  // nothing reached a window during the run
        QTRY_COMPARE(window.otherClicks, 1);
    }
};

}  // namespace lumarel

LUMAREL_QTEST_MAIN(lumarel::MessageWaitTest)

#include "test_message_wait.moc"
