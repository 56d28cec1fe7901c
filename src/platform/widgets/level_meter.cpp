#include "platform/widgets/level_meter.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOptionProgressBar>

namespace lumarel {

void LevelMeter::paintEvent(QPaintEvent*)
{
    QStyleOptionProgressBar option;
    option.initFrom(this);
    option.minimum = 0;
    option.maximum = maximum();
    option.progress = qBound(0, int(level_), maximum());
    option.textVisible = false;
    option.state |= QStyle::State_Horizontal;

    // The state flags (enabled, active, hover) change the look as well as size and palette.
    if (barsState_ != int(option.state))
        forgetBars();
    barsState_ = int(option.state);

    QPixmap& bar = bars_[std::size_t(option.progress)];
    const qreal ratio = devicePixelRatioF();
    if (bar.isNull()) {
        bar = QPixmap(size() * ratio);
        bar.setDevicePixelRatio(ratio);
        bar.fill(Qt::transparent);
        QPainter onBar(&bar);
        style()->drawControl(QStyle::CE_ProgressBar, &option, &onBar, this);
        ++styleDraws_;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, bar);
}

void LevelMeter::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::EnabledChange:
    case QEvent::FontChange:
    case QEvent::LayoutDirectionChange:
    case QEvent::ActivationChange:
        forgetBars();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

void LevelMeter::resizeEvent(QResizeEvent* event)
{
    forgetBars();
    QWidget::resizeEvent(event);
}

void LevelMeter::forgetBars()
{
    for (QPixmap& bar : bars_)
        bar = QPixmap();
}

}  // namespace lumarel
