// A screen scaled by 2 (QT_SCALE_FACTOR=2): the windows keep their layout in logical pixels and a
// picture is stretched to the device pixels, nearest neighbour, never smoothed.
#include <QApplication>
#include <QBackingStore>
#include <QGroupBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "app/form1.h"
#include "platform/message_wait.h"
#include "platform/widgets/picture_box.h"
#include "support/recording_dialogs.h"
#include "support/ui_watchdog.h"

using namespace lumarel;

namespace {

// A 7 x 5 picture whose every pixel has its own index and colour.
std::shared_ptr<const IndexedPicture> numberedPicture()
{
    auto picture = std::make_shared<IndexedPicture>();
    picture->size = QSize(7, 5);
    picture->indices.resize(35);
    for (int i = 0; i < 35; ++i) {
        picture->indices[std::size_t(i)] = std::uint8_t(i);
        picture->palette[std::size_t(i)] = qRgb(i * 7, 255 - i * 7, (i * 53) % 256);
    }
    return picture;
}

// Where a device pixel's colour comes from when the picture is stretched to width x height
// device pixels: source (x * 7 / width, y * 5 / height).
QRgb expectedAt(const IndexedPicture& picture, int x, int y, QSize device)
{
    const int sx = x * picture.size.width() / device.width();
    const int sy = y * picture.size.height() / device.height();
    return picture.palette[picture.indices[std::size_t(sy * picture.size.width() + sx)]] | 0xff000000u;
}

// How many device pixels of shown differ from the nearest-neighbour stretch of picture.
int wrongPixels(const QImage& shown, const IndexedPicture& picture)
{
    const QImage image = shown.convertToFormat(QImage::Format_RGB32);
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            wrong += (image.pixel(x, y) | 0xff000000u) != expectedAt(picture, x, y, image.size());
    return wrong;
}

QImage backingStore(QWidget& window)
{
    QPaintDevice* device = window.backingStore()->paintDevice();
    if (!device || device->devType() != QInternal::Image)
        return {};
    return *static_cast<QImage*>(device);
}

}  // namespace

class HiDpiTest : public QObject {
    Q_OBJECT

private slots:
    void theScreenIsScaledByTwo()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
    }

    void theMainWindowKeepsItsLayoutInLogicalPixels()
    {
        QTemporaryDir folder;
        SharedState state;
        MessageWait wait;
        test::RecordingDialogs dialogs;
        Form1 window(state, folder.path(), wait, dialogs);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The designed places at 15 twips per pixel, as on an unscaled screen of 96 DPI.
        QCOMPARE(window.findChild<QGroupBox*>("Frame1")->geometry(), QRect(8, 8, 537, 105));
        QCOMPARE(window.findChild<QPushButton*>("Command1")->geometry(), QRect(80, 24, 65, 65));
        QCOMPARE(window.findChild<QPushButton*>("Command5")->geometry(), QRect(472, 32, 65, 65));
        QCOMPARE(window.findChild<QWidget*>("SSTab1")->geometry().topLeft(), QPoint(8, 128));
        QCOMPARE(window.findChild<PictureBox*>("Picture2")->geometry().topLeft(), QPoint(200, 128));
        QCOMPARE(window.findChild<PictureBox*>("Picture3")->geometry().topLeft(), QPoint(552, 16));
    }

    void aPictureIsStretchedToTheDevicePixelsNeverSmoothed()
    {
        const auto picture = numberedPicture();
        QWidget window;
        window.resize(120, 80);
        auto* box = new PictureBox(&window);
        box->setGeometry(3, 5, 50, 30);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        box->display().setPicture(picture);
        QCOMPARE(box->display().displaySize(), QSize(100, 60));

        // What the box paints (through a painter, as for a grab).
        const QPixmap grabbed = box->grab();
        QCOMPARE(grabbed.size(), QSize(100, 60));
        QCOMPARE(wrongPixels(grabbed.toImage(), *picture), 0);

        // What the window shows: its backing store, into which the box writes directly.
        box->repaint();
        const QImage screen = backingStore(window);
        QCOMPARE(screen.size(), QSize(240, 160));
        QCOMPARE(wrongPixels(screen.copy(6, 10, 100, 60), *picture), 0);

        // Its palette shows in device pixels too.
        std::array<PaletteEntry, 256> grey{};
        for (int i = 0; i < 256; ++i)
            grey[std::size_t(i)] = {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0};
        box->display().realize(grey);
        box->repaint();
        const QImage realised = backingStore(window).copy(6, 10, 100, 60);
        for (int x = 0; x < 100; ++x) {
            const int index = x * 7 / 100;  // row 0
            QCOMPARE(realised.pixel(x, 0) & 0xffffffu, qRgb(index, index, index) & 0xffffffu);
        }
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    lumarel::test::UiWatchdog watchdog;
    HiDpiTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_hidpi.moc"
