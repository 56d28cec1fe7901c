#pragma once
// For widget tests: fails the test instead of hanging when a modal dialog stays open.
// Install one per test program; it closes any modal widget that stays up for `seconds` and
// records that it had to.

#include <QApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>

namespace lumarel::test {

class UiWatchdog : public QObject {
public:
    explicit UiWatchdog(int seconds = 20)
    {
        timer_.setInterval(seconds * 1000);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++closedModals;
                modal->close();
            }
        });
        timer_.start();
    }
    int closedModals = 0;

private:
    QTimer timer_;
};

}  // namespace lumarel::test
