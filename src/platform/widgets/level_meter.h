#pragma once
// A level meter: a bar from 0 to 128 whose value is a single-precision number. It is drawn as the
// style's progress bar, but repaints with its window rather than at once on every change (a
// progress bar repaints itself synchronously, which at note rate is a paint per note).

#include <QPixmap>
#include <QWidget>
#include <array>

namespace lumarel {

inline constexpr int kLevelMeterMaximum = 128;

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
    static constexpr int maximum() { return kLevelMeterMaximum; }

    // How many bar images have been drawn through the style (each kept until the look changes).
    int styleDrawCount() const { return styleDraws_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void forgetBars();

    float level_ = 0;
    // The style's bar for each whole level, drawn once: styles paint progress bars with many
    // small fills, and at one note per millisecond that cost more than the rest of the note.
    std::array<QPixmap, kLevelMeterMaximum + 1> bars_;
    int barsState_ = -1;
    int styleDraws_ = 0;
};

}  // namespace lumarel
