#pragma once
// A label that behaves like a web link: it shows its address underlined in the link colour and
// reports a click (or Space/Enter while it has the focus) through activated().

#include <QLabel>

namespace lumarel {

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& address, QWidget* parent = nullptr);

signals:
    void activated();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool pressed_ = false;  // a left press began on this label; only its release inside activates
};

}  // namespace lumarel
