#include <QApplication>
#include <QtTest>

#include "animation/animate.h"
#include "animation/picture_surface.h"
#include "app/shared_state.h"
#include "platform/picture_box.h"
#include "support/test_support.h"
#include "support/ui_watchdog.h"

namespace lumarel {
namespace {

class OneMouseMove : public MessageSource {
public:
    WindowMessage get() override { return {WindowMessage::Kind::Mouse, 0, false}; }
};

// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// A 4 x 2 8-bit BMP with indices 0..7 and its own grey colours.
QString writeLittleBmp()
{
    QImage image(4, 2, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 8; ++i)
        table << qRgb(i * 30, i * 30, i * 30);
    image.setColorTable(table);
    for (int i = 0; i < 8; ++i)
        image.setPixel(i % 4, i / 4, uint(i));
    const QString path = test::tempDir() + QStringLiteral("/little.bmp");
    image.save(path, "BMP");
    return path;
}

}  // namespace

class PictureSurfaceTest : public QObject {
    Q_OBJECT
private slots:
    void oneStepPutsTheGeneratedPaletteOnTheVisibleBox()
    {
        QWidget window;
        PictureBox picture1(&window);
        PictureBox picture2(&window);
        picture1.hide();
        picture2.setGeometry(0, 0, 80, 40);
        window.resize(100, 60);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const QString file = writeLittleBmp();
        QVERIFY(picture1.loadPicture(file));
        picture2.stretchFrom(picture1);
        QCOMPARE(picture2.picture().size(), QSize(80, 40));
        QCOMPARE(picture2.picture().pixel(79, 39), qRgb(210, 210, 210));  // own colour of index 7

        SharedState state;
        for (std::size_t i = 1; i <= 256; ++i)
            state.generatedPalette[i] = {std::int16_t(i - 1), std::int16_t(255 - (i - 1)), 40, 0};
        state.stopAnimation = kTrue;
        OneMouseMove messages;
        PictureSurface surface(picture1, picture2);
        PaintCounter counter;
        picture2.installEventFilter(&counter);
        Animate animator(state, messages);
        animator.pict = &surface;
        animator.File = file;
        QVERIFY(animator.Show());
        QVERIFY(picture2.paletteRealized());
        // Index k shows generated entry k + 2 after one step toward lower indices.
        for (int k = 0; k < 8; ++k) {
            const QPoint at((k % 4) * 20 + 5, (k / 4) * 20 + 5);
            QCOMPARE(picture2.picture().pixel(at), qRgb(k + 1, 255 - (k + 1), 40));
        }
        // The push painted the box at once, without the event loop.
        QVERIFY(counter.paints >= 1);

        // A picture that cannot be loaded is reported; both boxes keep what they show.
        const QImage before = picture2.picture().copy();
        animator.File = test::tempDir() + QStringLiteral("/missing.gif");
        QString error;
        QVERIFY(!animator.Show(&error));
        QVERIFY(error.contains(QStringLiteral("missing.gif")));
        QCOMPARE(picture2.picture(), before);
        QCOMPARE(picture1.indexedPicture().size, QSize(4, 2));

        // A new stretch shows the picture in its own colours again.
        picture2.stretchFrom(picture1);
        QVERIFY(!picture2.paletteRealized());
        QCOMPARE(picture2.picture().pixel(79, 39), qRgb(210, 210, 210));
        const PaletteEntry red{255, 0, 0, 1};
        picture2.animatePalette(7, 1, &red);
        QCOMPARE(picture2.picture().pixel(79, 39), qRgb(210, 210, 210));
    }

    void aPictureTakenFromAnotherBoxIsNotDecodedAgainUntilItsFileChanges()
    {
        const QString file = writeLittleBmp();
        PictureBox loaded;
        QVERIFY(loaded.loadPicture(file));
        PictureBox shown;
        shown.takeLoadedPicture(loaded);
        QCOMPARE(shown.indexedPicture().size, QSize(4, 2));
        const std::uint64_t taken = shown.generation();
        QVERIFY(shown.loadPicture(file));
        QCOMPARE(shown.generation(), taken);  // the same picture: a run's load is free

        // A different file of another size is decoded.
        QImage wider(6, 2, QImage::Format_Indexed8);
        wider.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        wider.fill(1u);
        QVERIFY(wider.save(file, "BMP"));
        QVERIFY(shown.loadPicture(file));
        QVERIFY(shown.generation() != taken);
        QCOMPARE(shown.indexedPicture().size, QSize(6, 2));

        // A box whose picture did not come from a file passes on no file.
        PictureBox drawn;
        drawn.setIndexedPicture(shown.indexedPicture());
        PictureBox other;
        QVERIFY(other.loadPicture(file));
        other.takeLoadedPicture(drawn);
        const std::uint64_t fromDrawn = other.generation();
        QVERIFY(other.loadPicture(file));
        QVERIFY(other.generation() != fromDrawn);
    }
};

}  // namespace lumarel

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    lumarel::test::UiWatchdog watchdog;
    lumarel::PictureSurfaceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_picture_surface.moc"
