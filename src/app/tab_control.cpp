#include "app/tab_control.h"

#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

namespace lumarel {

TabControl::TabControl(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this))
{
    bar_->setObjectName(QStringLiteral("SSTab1Bar"));
    for (QWidget*& page : pages_) {
        page = new QWidget(this);
        page->hide();
    }
    connect(bar_, &QTabBar::currentChanged, this, [this](int index) {
        for (int i = 0; i < 2; ++i)
            pages_[i]->setVisible(i == index);
        bar_->raise();
    });
}

void TabControl::paintEvent(QPaintEvent*)
{
    // The tab pane's frame, under the tab bar.
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    option.rect = rect().adjusted(0, bar_->height() - 1, 0, 0);
    option.tabBarSize = bar_->size();
    option.shape = QTabBar::RoundedNorth;
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, option);
}

void TabControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    bar_->setGeometry(0, 0, width(), bar_->sizeHint().height());
    for (QWidget* page : pages_)
        page->setGeometry(0, 0, width(), height());
    bar_->raise();
}

}  // namespace lumarel
