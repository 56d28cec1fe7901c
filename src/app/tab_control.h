#pragma once
// The tab control of the two browsers: a tab bar over two pages; the pages' children are placed
// in the control's own coordinates, as the designed layout gives them.

#include <QTabBar>
#include <QWidget>

namespace lumarel {

class TabControl : public QWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent = nullptr);
    QTabBar* bar() const { return bar_; }
    QWidget* page(int i) const { return pages_[i]; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* bar_;
    QWidget* pages_[2];
};

}  // namespace lumarel
