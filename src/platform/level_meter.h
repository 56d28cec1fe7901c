#pragma once
// A level meter: a bar from 0 to 128 whose value is a single-precision number. It is drawn as the
// style's progress bar, but repaints with its window rather than at once on every change (a
// progress bar repaints itself synchronously, which at note rate is a paint per note).

#include <QPainter>
#include <QStyleOptionProgressBar>
#include <QWidget>

namespace lumarel {

class LevelMeter : public QWidget {
    Q_OBJECT
public:
    explicit LevelMeter(QWidget* parent = nullptr) : QWidget(parent) {}

    float level() const { return level_; }
    void setLevel(float level)
    {
        const bool changed = int(level) != int(level_);
        level_ = level;
        if (changed)
            update();
    }
    static constexpr int maximum() { return 128; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QStyleOptionProgressBar option;
        option.initFrom(this);
        option.minimum = 0;
        option.maximum = maximum();
        option.progress = qBound(0, int(level_), maximum());
        option.textVisible = false;
        option.state |= QStyle::State_Horizontal;
        style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
    }

private:
    float level_ = 0;
};

}  // namespace lumarel
