#pragma once
// A push button whose caption wraps onto several lines, as the square command buttons need:
// "&Animate Palette" does not fit on one line of a 65-pixel button.

#include <QPushButton>

namespace lumarel {

class WrapButton : public QPushButton {
    Q_OBJECT
public:
    explicit WrapButton(const QString& caption, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace lumarel
