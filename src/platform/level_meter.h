#pragma once
// A level meter: a bar from 0 to 128 whose value is a single-precision number.

#include <QProgressBar>

namespace lumarel {

class LevelMeter : public QProgressBar {
    Q_OBJECT
public:
    explicit LevelMeter(QWidget* parent = nullptr) : QProgressBar(parent)
    {
        setRange(0, 128);
        setTextVisible(false);
        QProgressBar::setValue(0);
    }
    float level() const { return level_; }
    void setLevel(float level)
    {
        level_ = level;
        // A progress bar repaints itself at once on every change; at note rate that is a paint
        // per note, so let the change wait for the next ordinary repaint instead.
        setUpdatesEnabled(false);
        QProgressBar::setValue(qBound(0, int(level), 128));
        setUpdatesEnabled(true);
    }

private:
    float level_ = 0;
};

}  // namespace lumarel
