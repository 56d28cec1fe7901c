// The main window as a user drives it, offscreen.
#include <QClipboard>
#include <QDir>
#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "animation/animate.h"
#include "app/form1.h"
#include "app/form2.h"
#include "support/ui_watchdog.h"

using namespace lumarel;

namespace {

// A 4-colour indexed BMP: quarters in red, green, blue and white.
void writeIndexedBmp(const QString& path, QSize size)
{
    QImage image(size, QImage::Format_Indexed8);
    image.setColorTable({qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)});
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, (x * 2 / size.width()) + 2 * (y * 2 / size.height()));
    QVERIFY(image.save(path, "BMP"));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A cycling step waits for the program's next message: send one shortly.
void sendKeySoon(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int ms = 20)
{
    QTimer::singleShot(ms, target, [target, key, modifiers] { QTest::keyClick(target, key, modifiers); });
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        folder_ = std::make_unique<QTemporaryDir>();
        writeIndexedBmp(folder_->filePath("Lmrlogo.bmp"), QSize(64, 48));
        state_ = SharedState{};
        messages_.clear();
        window_ = std::make_unique<Form1>(state_, folder_->path());
        window_->showMessage = [this](const QString& text) { messages_ << text; };
        window_->quitImmediately = [this] { ++quits_; };
        window_->openAbout = [this] { ++aboutOpened_; };
        window_->resize(1280, 800);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup() { window_.reset(); }

    void startsWithTheLogoAndNothingToCopy()
    {
        QCOMPARE(window_->windowTitle(), QString("Lumarel - Version Beta 1.0.0"));
        const QStringList captions = {window_->Command1->text(), window_->Command2->text(), window_->Command3->text(),
                                      window_->Command4->text(), window_->Command5->text(), window_->Command6->text(),
                                      window_->Command7->text(), window_->Command8->text()};
        QCOMPARE(captions, (QStringList{"&Animate Palette", "&Help", "&Save Bmp", "&About", "&Midi File Player",
                                        "&Quit", "&Copy", "&Plug - In"}));
        QVERIFY(!window_->Command3->isEnabled());
        QVERIFY(!window_->Command7->isEnabled());
        QVERIFY(!window_->Command8->isEnabled());
        QCOMPARE(window_->SSTab1->bar->tabText(0), QString("Bmp Files"));
        QCOMPARE(window_->SSTab1->bar->tabText(1), QString("Map Files"));
        QCOMPARE(window_->filListMap->toolTip(), QString("Click to load a map file"));
        QCOMPARE(window_->filListBmp->pattern(), QString("*.gif;*.bmp"));
        QCOMPARE(state_.imagePath, folder_->path() + "/Lmrlogo.bmp");
        QCOMPARE(state_.helpFile, folder_->path() + "/Lmr.HLP");
        QCOMPARE(QDir::currentPath(), QDir(folder_->path()).canonicalPath());
        // The logo is stretched over the visible display: its top-left quarter is red and its
        // bottom-right quarter white, whatever the display's size.
        const QImage shown = window_->Picture2->picture();
        QCOMPARE(shown.size(), window_->Picture2->size());
        QCOMPARE(shown.pixel(2, 2), qRgb(255, 0, 0));
        QCOMPARE(shown.pixel(shown.width() - 3, shown.height() - 3), qRgb(255, 255, 255));
        QVERIFY(window_->filListBmp->findItems("Lmrlogo.bmp", Qt::MatchExactly).size() == 1);
    }

    void aMissingLogoLeavesTheAreaEmptyWithoutAMessage()
    {
        QTemporaryDir empty;
        SharedState state;
        Form1 window(state, empty.path());
        QStringList said;
        window.showMessage = [&said](const QString& text) { said << text; };
        QVERIFY(!window.Picture2->hasPicture());
        QVERIFY(said.isEmpty());
    }

    void choosingAMapDrawsItsStripAndMakesOneStepOnTheLogo()
    {
        // The strip is 97 pixels high, so its top row shows the last of entries 0 to 2.
        writeFile(folder_->filePath("REDS.MAP"), "255 0 0\n255 0 0\n255 0 0\n0 0 255\n");
        window_->dirListMap->setPath(folder_->path());
        window_->filListMap->setPath(folder_->path());
        QList<QListWidgetItem*> items = window_->filListMap->findItems("REDS.MAP", Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        window_->filListMap->setCurrentItem(items.first());
        sendKeySoon(window_.get(), Qt::Key_Shift);
        emit window_->filListMap->fileChosen();

        QCOMPARE(state_.mapPalette[0], (PaletteEntry{255, 0, 0, 0}));
        QCOMPARE(state_.mapPalette[3], (PaletteEntry{0, 0, 255, 0}));
        QCOMPARE(state_.mapPath, folder_->path() + "/REDS.MAP");
        // Entry 0 is the strip's top band, entry 255 its bottom one (black: never read).
        const QImage strip = window_->Picture3->drawing();
        QCOMPARE(QColor(strip.pixel(5, 0)).rgb(), qRgb(255, 0, 0));
        QCOMPARE(QColor(strip.pixel(5, strip.height() - 1)).rgb(), qRgb(0, 0, 0));
        // One step of the generated palette (all black before any music) on the logo.
        QVERIFY(state_.animator);
        QCOMPARE(state_.animator->stepsMade(), 1);
        QCOMPARE(state_.stopAnimation, kTrue);
        QCOMPARE(state_.cycleDelay, std::int16_t(0));
        QCOMPARE(state_.imagePath, folder_->path() + "/Lmrlogo.bmp");
        QCOMPARE(window_->Picture2->picture().pixel(2, 2), qRgb(0, 0, 0));
        QVERIFY(!window_->Command3->isEnabled());
        QVERIFY(messages_.isEmpty());
    }

    void aMapThatCannotBeReadIsRefusedAndTheOldOneStays()
    {
        state_.mapPalette[0] = PaletteEntry{1, 2, 3, 0};
        writeFile(folder_->filePath("junk.map"), QByteArray("\x00\x01\x02\xff\xfe", 5));
        window_->filListMap->setPath(folder_->path());
        window_->filListMap->setCurrentItem(window_->filListMap->findItems("junk.map", Qt::MatchExactly).first());
        emit window_->filListMap->fileChosen();
        QCOMPARE(messages_.size(), 1);
        QVERIFY(messages_.first().contains("junk.map"));
        QCOMPARE(state_.mapPalette[0], (PaletteEntry{1, 2, 3, 0}));
        QVERIFY(!state_.animator);
    }

    void choosingAnImageShowsItAndEnablesCopyAndSave()
    {
        writeIndexedBmp(folder_->filePath("FRACT001.BMP"), QSize(30, 20));
        writeFile(folder_->filePath("broken.gif"), "GIF89a this is not a picture");
        window_->filListBmp->setPath(folder_->path());

        window_->filListBmp->setCurrentItem(window_->filListBmp->findItems("broken.gif", Qt::MatchExactly).first());
        emit window_->filListBmp->fileChosen();
        QCOMPARE(messages_.size(), 1);
        QVERIFY(messages_.first().contains("broken.gif"));
        QCOMPARE(state_.imagePath, folder_->path() + "/Lmrlogo.bmp");
        QVERIFY(!window_->Command7->isEnabled());

        window_->filListBmp->setCurrentItem(window_->filListBmp->findItems("FRACT001.BMP", Qt::MatchExactly).first());
        emit window_->filListBmp->fileChosen();
        QCOMPARE(state_.imagePath, folder_->path() + "/FRACT001.BMP");
        QVERIFY(window_->Command7->isEnabled());
        QVERIFY(window_->Command3->isEnabled());
        QCOMPARE(window_->Picture4->size(), window_->Picture1->size());
        QCOMPARE(window_->Picture4->picture().size(), window_->Picture1->size());
        QCOMPARE(window_->form2().Picture1->indexedPicture().size, QSize(30, 20));
    }

    void saveWritesABitmapOfThePictureSizeAndNamesIt()
    {
        writeIndexedBmp(folder_->filePath("pic.bmp"), QSize(30, 20));
        window_->filListBmp->setPath(folder_->path());
        window_->filListBmp->setCurrentItem(window_->filListBmp->findItems("pic.bmp", Qt::MatchExactly).first());
        emit window_->filListBmp->fileChosen();

        const QString title = window_->windowTitle();
        window_->askSaveFileName = [] { return QString(); };  // cancelled
        window_->saveBitmap();
        QCOMPARE(window_->windowTitle(), title);
        QCOMPARE(QGuiApplication::clipboard()->image().size(), window_->Picture1->size());

        window_->askSaveFileName = [] { return QStringLiteral("/nonexistent-folder/out.bmp"); };
        window_->saveBitmap();
        QCOMPARE(messages_.size(), 1);
        QCOMPARE(window_->windowTitle(), title);

        const QString target = folder_->filePath("saved.bmp");
        window_->askSaveFileName = [&target] { return target; };
        window_->saveBitmap();
        QCOMPARE(window_->windowTitle(), "Lumarel - " + target);
        QImageReader reader(target);
        QCOMPARE(reader.format(), QByteArray("bmp"));
        const QImage saved = reader.read();
        QCOMPARE(saved.size(), window_->Picture1->size());
        QCOMPARE(saved.pixel(1, 1), qRgb(255, 0, 0));
    }

    void aFolderThatVanishedKeepsThePreviousOneAndSaysWhy()
    {
        QDir(folder_->path()).mkdir("gone");
        window_->dirListBmp->setPath(folder_->path());
        QDir(folder_->path()).rmdir("gone");
        for (int i = 0; i < window_->dirListBmp->count(); ++i) {
            if (window_->dirListBmp->item(i)->text().trimmed() == "gone")
                window_->dirListBmp->setCurrentRow(i);
        }
        emit window_->dirListBmp->enterRequested();
        QCOMPARE(window_->dirListBmp->path(), QDir(folder_->path()).absolutePath());
        QCOMPARE(messages_.size(), 1);
        QVERIFY(messages_.first().contains("no longer exists"));
    }

    void animatePaletteIsSteeredByKeysAndEatsClicks()
    {
        state_.cycleDelay = 10;       // an earlier run's speed does not carry over
        state_.stopAnimation = kTrue; // nor does an earlier stop
        QWidget* w = window_.get();
        QTimer::singleShot(20, w, [w] { QTest::keyClick(w, Qt::Key_Right); });
        QTimer::singleShot(30, w, [w] { QTest::keyClick(w, Qt::Key_Minus, Qt::KeypadModifier); });
        QTimer::singleShot(40, w, [w] { QTest::keyClick(w, Qt::Key_Minus, Qt::KeypadModifier); });
        QTimer::singleShot(50, w, [this] { QTest::mouseClick(window_->Command4, Qt::LeftButton); });
        QTimer::singleShot(60, w, [w] { QTest::keyClick(w, Qt::Key_Escape); });
        QTest::mouseClick(window_->Command1, Qt::LeftButton);
        QCOMPARE(state_.stopAnimation, kTrue);
        QCOMPARE(state_.cycleDelay, std::int16_t(10));
        QCOMPARE(aboutOpened_, 0);
        QCOMPARE(quits_, 0);  // Escape during a run ends only the run
        QVERIFY(state_.animator->stepsMade() >= 5);
        // Afterwards, Q ends the program.
        QTest::keyClick(window_.get(), Qt::Key_Q);
        QCOMPARE(quits_, 1);
    }

private:
    std::unique_ptr<QTemporaryDir> folder_;
    SharedState state_;
    std::unique_ptr<Form1> window_;
    QStringList messages_;
    int quits_ = 0;
    int aboutOpened_ = 0;
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    lumarel::test::UiWatchdog watchdog;
    Form1Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_form1.moc"
