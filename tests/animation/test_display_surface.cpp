// A cycling run on the real palette display shown in a picture box.
#include <QtTest>

#include "animation/animate.h"
#include "animation/display_surface.h"
#include "platform/widgets/frame_pacer.h"
#include "platform/widgets/picture_box.h"
#include "support/qt_test_main.h"
#include "support/test_support.h"

namespace lumarel {
namespace {

class OneMouseMove : public MessageSource {
public:
    WindowMessage get() override { return {WindowMessage::Kind::Mouse, 0, false}; }
};

// Counts the paints a picture box receives, and how many pushes its display had taken by each.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(PictureBox& box) : box_(box) { box.installEventFilter(this); }
    int paints = 0;
    std::vector<std::uint64_t> pushesShown;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            pushesShown.push_back(box_.display().pushCount());
        }
        return false;
    }

private:
    PictureBox& box_;
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
        PaintCounter counter(box);
        Animate animator(surface, messages);
        QVERIFY(animator.Show(file, palette, control));
        QVERIFY(box.display().realized());
        // Index k shows generated entry k + 2 after one step toward lower indices.
        for (int k = 0; k < 8; ++k) {
            const QPoint at((k % 4) * 20 + 5, (k / 4) * 20 + 5);
            QCOMPARE(box.image().pixel(at), qRgb(k + 1, 255 - (k + 1), 40));
        }
        // The push marked the box; it is painted with the window's next frame.
        QTRY_VERIFY(counter.paints >= 1);

        // A picture that cannot be loaded is reported; the box keeps what it shows.
        const QImage before = box.image();
        QVERIFY(!animator.Show(test::tempDir() + QStringLiteral("/missing.gif"), palette, control, &error));
        QVERIFY(error.contains(QStringLiteral("\"missing.gif\" does not exist")));
        QCOMPARE(box.image(), before);

        // Loading the picture again shows it in its own colours.
        QVERIFY(surface.loadPicture(file, &error));
        QVERIFY(!box.display().realized());
        QCOMPARE(box.image().pixel(79, 39), qRgb(210, 210, 210));
        const PaletteEntry red{255, 0, 0, 1};
        box.display().animate(7, 1, &red);  // no palette realised: nothing changes
        QCOMPARE(box.image().pixel(79, 39), qRgb(210, 210, 210));
    }

    void aBurstOfPushesWithinARefreshIsOneFrameShowingTheLast()
    {
        QWidget window;
        FramePacer pacer(&window);
        PictureBox box(&window);
        box.setGeometry(0, 0, 64, 32);
        window.resize(80, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PictureFiles files;
        DisplaySurface surface(files, box.display());
        QString error;
        QVERIFY(surface.loadPicture(writeLittleBmp(QStringLiteral("burst.bmp")), &error));
        LogPalette palette;
        surface.realizePalette(palette);
        // Start right after a frame, so the burst lies within one refresh interval.
        QTest::qWait(int(3 * pacer.intervalNs() / 1'000'000));
        const int settled = pacer.framesDrawn();
        box.update();
        QTRY_VERIFY(pacer.framesDrawn() > settled);
        PaintCounter counter(box);
        const int framesBefore = pacer.framesDrawn();

        // Ten pushes within one refresh interval, as ten notes make them: the program handles its
        // events between them, as the note handler does.
        const std::uint64_t pushesBefore = box.display().pushCount();
        QElapsedTimer burst;
        burst.start();
        for (int step = 1; step <= 10; ++step) {
            palette.entries[7] = {std::uint8_t(step * 20), 0, 0, kPcReserved};
            surface.animatePalette(0, 255, palette.entries.data());
            QCoreApplication::processEvents();
        }
        if (burst.nsecsElapsed() > pacer.intervalNs() / 2)
            QSKIP("the machine is too busy to make ten pushes within half a refresh interval");
        QVERIFY(counter.paints <= 1);  // nothing is drawn per push
        QTRY_COMPARE(counter.paints, 1);
        QTest::qWait(int(3 * pacer.intervalNs() / 1'000'000));
        QCOMPARE(counter.paints, 1);
        QCOMPARE(pacer.framesDrawn(), framesBefore + 1);
        QCOMPARE(counter.pushesShown, std::vector<std::uint64_t>{pushesBefore + 10});
        QCOMPARE(box.image().pixel(63, 31), qRgb(200, 0, 0));  // index 7 in the tenth palette
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
