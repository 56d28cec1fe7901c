// A cycling run on the real palette display shown in a picture box.
#include <QtTest>

#include "animation/animate.h"
#include "animation/display_surface.h"
#include "platform/widgets/picture_box.h"
#include "support/qt_test_main.h"
#include "support/test_support.h"

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
QString writeLittleBmp(const QString& name = QStringLiteral("little.bmp"))
{
    QImage image(4, 2, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 8; ++i)
        table << qRgb(i * 30, i * 30, i * 30);
    image.setColorTable(table);
    for (int i = 0; i < 8; ++i)
        image.setPixel(i % 4, i / 4, uint(i));
    const QString path = test::tempDir() + QLatin1Char('/') + name;
    image.save(path, "BMP");
    return path;
}

}  // namespace

class DisplaySurfaceTest : public QObject {
    Q_OBJECT
private slots:
    void oneStepPutsTheGeneratedPaletteOnTheBox()
    {
        QWidget window;
        PictureBox box(&window);
        box.setGeometry(0, 0, 80, 40);
        window.resize(100, 60);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        PictureFiles files;
        DisplaySurface surface(files, box.display());
        const QString file = writeLittleBmp();
        QString error;
        QVERIFY(surface.loadPicture(file, &error));
        QCOMPARE(box.image().size(), QSize(80, 40));
        QCOMPARE(box.image().pixel(79, 39), qRgb(210, 210, 210));  // own colour of index 7

        GeneratedPalette palette;
        for (std::size_t i = 1; i <= 256; ++i)
            palette[i] = {std::int16_t(i - 1), std::int16_t(255 - (i - 1)), 40, 0};
        CyclingControl control{true, 0};
        OneMouseMove messages;
        PaintCounter counter;
        box.installEventFilter(&counter);
        Animate animator(surface, messages);
        QVERIFY(animator.Show(file, palette, control));
        QVERIFY(box.display().realized());
        // Index k shows generated entry k + 2 after one step toward lower indices.
        for (int k = 0; k < 8; ++k) {
            const QPoint at((k % 4) * 20 + 5, (k / 4) * 20 + 5);
            QCOMPARE(box.image().pixel(at), qRgb(k + 1, 255 - (k + 1), 40));
        }
        // The push painted the box at once, without the event loop.
        QVERIFY(counter.paints >= 1);

        // A picture that cannot be loaded is reported; the box keeps what it shows.
        const QImage before = box.image();
        QVERIFY(!animator.Show(test::tempDir() + QStringLiteral("/missing.gif"), palette, control, &error));
        QVERIFY(error.contains(QStringLiteral("cannot be opened")));
        QCOMPARE(box.image(), before);

        // Loading the picture again shows it in its own colours.
        QVERIFY(surface.loadPicture(file, &error));
        QVERIFY(!box.display().realized());
        QCOMPARE(box.image().pixel(79, 39), qRgb(210, 210, 210));
        const PaletteEntry red{255, 0, 0, 1};
        box.display().animate(7, 1, &red);  // no palette realised: nothing changes
        QCOMPARE(box.image().pixel(79, 39), qRgb(210, 210, 210));
    }

    void anUnchangedFileIsNotDecodedAgain()
    {
        const QString file = writeLittleBmp(QStringLiteral("cached.bmp"));
        PictureFiles files;
        const PictureFiles::Loaded first = files.load(file);
        QVERIFY(first.picture);
        QCOMPARE(files.load(file).picture, first.picture);  // the same picture, shared

        // A changed file is decoded again.
        QImage wider(6, 2, QImage::Format_Indexed8);
        wider.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        wider.fill(1u);
        QVERIFY(wider.save(file, "BMP"));
        const PictureFiles::Loaded second = files.load(file);
        QVERIFY(second.picture && second.picture != first.picture);
        QCOMPARE(second.picture->size, QSize(6, 2));

        // A file that fails keeps nothing from before in its place.
        QVERIFY(QFile::remove(file));
        const PictureFiles::Loaded gone = files.load(file);
        QVERIFY(!gone.picture);
        QVERIFY(!gone.error.isEmpty());
    }
};

}  // namespace lumarel

LUMAREL_QTEST_MAIN(lumarel::DisplaySurfaceTest)
#include "test_display_surface.moc"
