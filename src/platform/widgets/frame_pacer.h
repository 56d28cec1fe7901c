#pragma once
// Draws a window at the refresh of its screen, at most once per refresh interval: a burst of
// changes (a thousand notes a second each pushing a palette and lighting a row) costs one frame
// per refresh, not one per change. Every change is still made, in order; only frames no screen
// could show are not drawn.

#include <cstdint>

#include <QObject>
#include <QTimer>

class QWidget;

namespace lumarel {

class FramePacer : public QObject {
    Q_OBJECT
public:
    // Paces window (a top-level widget); lives as its child.
    explicit FramePacer(QWidget* window);
    ~FramePacer() override;

    int framesDrawn() const { return frames_; }
    // The screen's refresh interval, from QScreen::refreshRate() (60 Hz where the platform does not say).
    std::int64_t intervalNs() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void schedule();
    void draw();

    QWidget* window_;
    int timerFd_ = -1;
    QTimer fallback_;  // where no timer file can be made
    std::int64_t lastSlot_ = -1;
    bool pending_ = false;
    bool drawing_ = false;
    int frames_ = 0;
};

}  // namespace lumarel
