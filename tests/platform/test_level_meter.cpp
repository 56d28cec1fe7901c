// The level meter keeps the style's bar for each level it has shown; the picture must stay the
// style's own, and a change of size or palette must not leave an old bar on screen.
#include <QApplication>
#include <QPainter>
#include <QStyleOptionProgressBar>
#include <QtTest>

#include "platform/widgets/level_meter.h"

namespace lumarel {

namespace {

// The bar as the style draws it for this meter at this level.
QImage styleBar(LevelMeter& meter, int level)
{
    QPixmap bar(meter.size());
    bar.fill(Qt::transparent);
    QStyleOptionProgressBar option;
    option.initFrom(&meter);
    option.minimum = 0;
    option.maximum = LevelMeter::maximum();
    option.progress = level;
    option.textVisible = false;
    option.state |= QStyle::State_Horizontal;
    QPainter painter(&bar);
    meter.style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, &meter);
    painter.end();
    return bar.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage shown(LevelMeter& meter)
{
    QPixmap pixmap(meter.size());
    pixmap.fill(Qt::transparent);
    meter.render(&pixmap, QPoint(), QRegion(), QWidget::DrawChildren);
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

class LevelMeterTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheStyleBarAndDrawsEachLevelOnce()
    {
        LevelMeter meter;
        meter.resize(120, 18);
        meter.setLevel(64.5f);
        QCOMPARE(shown(meter), styleBar(meter, 64));
        meter.setLevel(0);
        QCOMPARE(shown(meter), styleBar(meter, 0));
        QVERIFY(styleBar(meter, 0) != styleBar(meter, 64));
        const int draws = meter.styleDrawCount();
        meter.setLevel(64);
        QCOMPARE(shown(meter), styleBar(meter, 64));
        meter.setLevel(0);
        shown(meter);
        QCOMPARE(meter.styleDrawCount(), draws);  // both levels came from what was kept

        // A new size or palette draws the bar again.
        meter.resize(200, 24);
        meter.setLevel(64);
        QCOMPARE(shown(meter), styleBar(meter, 64));
        const QImage before = shown(meter);
        QPalette red = meter.palette();
        red.setColor(QPalette::Highlight, Qt::red);
        meter.setPalette(red);
        QVERIFY(styleBar(meter, 64) != before);
        QCOMPARE(shown(meter), styleBar(meter, 64));
    }
};

}  // namespace lumarel

QTEST_MAIN(lumarel::LevelMeterTest)
#include "test_level_meter.moc"
