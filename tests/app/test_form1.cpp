// The main window as a user drives it, offscreen.
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QImageReader>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/form1.h"
#include "app/form2.h"
#include "app/tab_control.h"
#include "platform/message_wait.h"
#include "platform/widgets/file_list.h"
#include "platform/widgets/folder_list.h"
#include "platform/widgets/picture_box.h"
#include "support/qt_test_main.h"
#include "support/recording_dialogs.h"

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
        dialogs_ = std::make_unique<test::RecordingDialogs>();
        window_ = std::make_unique<Form1>(state_, folder_->path(), wait_, *dialogs_);
        window_->resize(1280, 800);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup() { window_.reset(); }

    void startsWithTheLogoAndNothingToCopy()
    {
        QCOMPARE(window_->windowTitle(), QString("Lumarel - Version Beta 1.0.0"));
        QStringList captions;
        for (const char* name : {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6", "Command7", "Command8"})
            captions << button(name)->text();
        QCOMPARE(captions, (QStringList{"&Animate Palette", "&Help", "&Save Bmp", "&About", "&Midi File Player",
                                        "&Quit", "&Copy", "&Plug - In"}));
        QVERIFY(!button("Command3")->isEnabled());
        QVERIFY(!button("Command7")->isEnabled());
        QVERIFY(!button("Command8")->isEnabled());
        auto* tabs = control<TabControl>("SSTab1");
        QCOMPARE(tabs->bar()->tabText(0), QString("Bmp Files"));
        QCOMPARE(tabs->bar()->tabText(1), QString("Map Files"));
        QCOMPARE(mapList()->toolTip(), QString("Click to load a map file"));
        QCOMPARE(pictureList()->pattern(), QString("*.gif;*.bmp"));
        QCOMPARE(state_.imagePath, folder_->path() + "/Lmrlogo.bmp");
        QCOMPARE(state_.helpFile, folder_->path() + "/Lmr.HLP");
        QCOMPARE(QDir::currentPath(), QDir(folder_->path()).canonicalPath());
        // The logo is stretched over the visible display: its top-left quarter is red and its
        // bottom-right quarter white, whatever the display's size.
        const QImage shown = box("Picture2")->image();
        QCOMPARE(shown.size(), box("Picture2")->size());
        QCOMPARE(shown.pixel(2, 2), qRgb(255, 0, 0));
        QCOMPARE(shown.pixel(shown.width() - 3, shown.height() - 3), qRgb(255, 255, 255));
        QVERIFY(pictureList()->findItems("Lmrlogo.bmp", Qt::MatchExactly).size() == 1);
    }

    void aMissingLogoLeavesTheAreaEmptyWithoutAMessage()
    {
        QTemporaryDir empty;
        SharedState state;
        Form1 window(state, empty.path(), wait_, *dialogs_);
        QVERIFY(!window.findChild<PictureBox*>("Picture2")->hasPicture());
        QVERIFY(dialogs_->messages.isEmpty());
    }

    void choosingAMapDrawsItsStripAndMakesOneStepOnTheLogo()
    {
        // The strip is 97 pixels high, so its top row shows the last of entries 0 to 2.
        writeFile(folder_->filePath("REDS.MAP"), "255 0 0\n255 0 0\n255 0 0\n0 0 255\n");
        chooseMap("REDS.MAP");

        QCOMPARE(state_.mapPalette[0], (PaletteEntry{255, 0, 0, 0}));
        QCOMPARE(state_.mapPalette[3], (PaletteEntry{0, 0, 255, 0}));
        QCOMPARE(state_.mapPath, folder_->path() + "/REDS.MAP");
        // Entry 0 is the strip's top band, entry 255 its bottom one (black: never read).
        const QImage strip = box("Picture3")->drawing();
        QCOMPARE(QColor(strip.pixel(5, 0)).rgb(), qRgb(255, 0, 0));
        QCOMPARE(QColor(strip.pixel(5, strip.height() - 1)).rgb(), qRgb(0, 0, 0));
        // One step of the generated palette (all black before any music) on the logo.
        const PaletteDisplay& display = box("Picture2")->display();
        QVERIFY(display.realized());
        QCOMPARE(display.pushCount(), 1u);
        QVERIFY(state_.cycling.stopAnimation);
        QCOMPARE(state_.cycling.cycleDelay, std::int16_t(0));
        QCOMPARE(state_.imagePath, folder_->path() + "/Lmrlogo.bmp");
        QCOMPARE(box("Picture2")->image().pixel(2, 2), qRgb(0, 0, 0));
        QVERIFY(!button("Command3")->isEnabled());
        QVERIFY(dialogs_->messages.isEmpty());
    }

    void aMapThatCannotBeReadIsRefusedAndTheOldOneStays()
    {
        state_.mapPalette[0] = PaletteEntry{1, 2, 3, 0};
        writeFile(folder_->filePath("junk.map"), QByteArray("\x00\x01\x02\xff\xfe", 5));
        chooseMap("junk.map");
        QCOMPARE(dialogs_->messages.size(), 1);
        QVERIFY(dialogs_->messages.first().contains("junk.map"));
        QCOMPARE(state_.mapPalette[0], (PaletteEntry{1, 2, 3, 0}));
        QVERIFY(!box("Picture2")->display().realized());
    }

    void choosingAnImageShowsItAndEnablesCopyAndSave()
    {
        writeIndexedBmp(folder_->filePath("FRACT001.BMP"), QSize(30, 20));
        writeFile(folder_->filePath("broken.gif"), "GIF89a this is not a picture");
        pictureList()->setPath(folder_->path());

        choosePicture("broken.gif");
        QCOMPARE(dialogs_->messages.size(), 1);
        QCOMPARE(dialogs_->messages.first().count("broken.gif"), 1);  // the name once
        QCOMPARE(state_.imagePath, folder_->path() + "/Lmrlogo.bmp");
        QVERIFY(!button("Command7")->isEnabled());
        // The list highlights the picture that is shown, not the one refused.
        QCOMPARE(pictureList()->fileName(), QString("Lmrlogo.bmp"));

        choosePicture("FRACT001.BMP");
        QCOMPARE(state_.imagePath, folder_->path() + "/FRACT001.BMP");
        QVERIFY(button("Command7")->isEnabled());
        QVERIFY(button("Command3")->isEnabled());
        QCOMPARE(box("Picture4")->size(), box("Picture1")->size());
        QCOMPARE(box("Picture4")->image().size(), box("Picture1")->size());
        QCOMPARE(window_->form2().picture()->indexedPicture()->size, QSize(30, 20));

        // A refused picture after it: the shown one stays highlighted.
        choosePicture("broken.gif");
        QCOMPARE(pictureList()->fileName(), QString("FRACT001.BMP"));
    }

    void saveWritesABitmapOfThePictureSizeAndNamesIt()
    {
        writeIndexedBmp(folder_->filePath("pic.bmp"), QSize(30, 20));
        pictureList()->setPath(folder_->path());
        choosePicture("pic.bmp");

        const QString title = window_->windowTitle();
        dialogs_->answers.push_back(QString());  // cancelled
        window_->saveBitmap();
        QCOMPARE(window_->windowTitle(), title);
        QCOMPARE(QGuiApplication::clipboard()->image().size(), box("Picture1")->size());
        QCOMPARE(dialogs_->asked.back().folder, folder_->path());  // opens in the folder browsed
        QCOMPARE(dialogs_->asked.back().filters,
                 (QStringList{"Files Bmp (*.BMP)", "Tutti i files (*.*)"}));

        dialogs_->answers.push_back(QStringLiteral("/nonexistent-folder/out.bmp"));
        window_->saveBitmap();
        QCOMPARE(dialogs_->messages.size(), 1);
        QCOMPARE(window_->windowTitle(), title);

        const QString target = folder_->filePath("saved.bmp");
        dialogs_->answers.push_back(target);
        window_->saveBitmap();
        QCOMPARE(window_->windowTitle(), "Lumarel - " + target);
        QImageReader reader(target);
        QCOMPARE(reader.format(), QByteArray("bmp"));
        const QImage saved = reader.read();
        QCOMPARE(saved.size(), box("Picture1")->size());
        QCOMPARE(saved.pixel(1, 1), qRgb(255, 0, 0));
    }

    void aFolderThatVanishedKeepsThePreviousOneAndSaysWhy()
    {
        QDir(folder_->path()).mkdir("gone");
        auto* folders = control<FolderList>("dirListBmp");
        folders->setPath(folder_->path());
        QDir(folder_->path()).rmdir("gone");
        for (int i = 0; i < folders->count(); ++i) {
            if (folders->item(i)->text().trimmed() == "gone")
                folders->setCurrentRow(i);
        }
        emit folders->enterRequested();
        QCOMPARE(folders->path(), QDir(folder_->path()).absolutePath());
        QCOMPARE(dialogs_->messages.size(), 1);
        QVERIFY(dialogs_->messages.first().contains("no longer exists"));
    }

    void animatePaletteIsSteeredByKeysAndEatsClicks()
    {
        state_.cycling.cycleDelay = 10;      // an earlier run's speed does not carry over
        state_.cycling.stopAnimation = true; // nor does an earlier stop
        QSignalSpy about(window_.get(), &Form1::aboutRequested);
        QSignalSpy quits(window_.get(), &Form1::quitRequested);
        QWidget* w = window_.get();
        QTimer::singleShot(20, w, [w] { QTest::keyClick(w, Qt::Key_Right); });
        QTimer::singleShot(30, w, [w] { QTest::keyClick(w, Qt::Key_Minus, Qt::KeypadModifier); });
        QTimer::singleShot(40, w, [w] { QTest::keyClick(w, Qt::Key_Minus, Qt::KeypadModifier); });
        QTimer::singleShot(50, w, [this] { QTest::mouseClick(button("Command4"), Qt::LeftButton); });
        QTimer::singleShot(60, w, [w] { QTest::keyClick(w, Qt::Key_Escape); });
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QVERIFY(state_.cycling.stopAnimation);
        QCOMPARE(state_.cycling.cycleDelay, std::int16_t(10));
        QCOMPARE(about.size(), 0);
        QCOMPARE(quits.size(), 0);  // Escape during a run ends only the run
        QVERIFY(box("Picture2")->display().pushCount() >= 5);
        // Afterwards, Q ends the program.
        QTest::keyClick(window_.get(), Qt::Key_Q);
        QCOMPARE(quits.size(), 1);
    }

    void theWindowsKeysWorkWhateverHasTheFocus()
    {
        QSignalSpy quits(window_.get(), &Form1::quitRequested);
        FileList* list = pictureList();
        list->setFocus();
        // Space in a list starts the animation (a key then ends the run).
        sendKeySoon(list, Qt::Key_Shift);
        QTest::keyClick(list, Qt::Key_Space);
        QVERIFY(box("Picture2")->display().realized());
        QCOMPARE(quits.size(), 0);
        // Q and Escape in a list or on a button end the program.
        QTest::keyClick(list, Qt::Key_Q);
        QTest::keyClick(control<FolderList>("dirListMap"), Qt::Key_Escape);
        QTest::keyClick(button("Command4"), Qt::Key_Q);
        QCOMPARE(quits.size(), 3);
    }

    void thePictureAreaAndTheStripFollowTheWindowsSize()
    {
        writeFile(folder_->filePath("REDS.MAP"), QByteArray("255 0 0\n").repeated(256));
        chooseMap("REDS.MAP");
        const QRect picture = box("Picture2")->geometry();
        const QRect strip = box("Picture3")->geometry();
        const QRect tab = control<QWidget>("SSTab1")->geometry();
        const QRect frame = control<QWidget>("Frame1")->geometry();

        window_->resize(window_->size() + QSize(120, 60));
        QCOMPARE(box("Picture2")->geometry(), picture.adjusted(0, 0, 120, 60));
        QCOMPARE(box("Picture1")->geometry(), box("Picture2")->geometry());
        QCOMPARE(box("Picture3")->geometry(), strip.adjusted(0, 0, 120, 0));
        QCOMPARE(control<QWidget>("SSTab1")->geometry(), tab.adjusted(0, 0, 0, 60));
        QCOMPARE(control<QWidget>("Frame1")->geometry(), frame);
        // The strip is drawn again over its whole new width, and the display follows the box.
        const QImage drawn = box("Picture3")->drawing();
        QCOMPARE(drawn.width(), strip.width() + 120);
        QCOMPARE(QColor(drawn.pixel(drawn.width() - 2, 2)).rgb(), qRgb(255, 0, 0));
        QCOMPARE(box("Picture2")->display().displaySize(), box("Picture2")->size());

        window_->resize(window_->size() - QSize(120, 60));
        QCOMPARE(box("Picture2")->geometry(), picture);
        QCOMPARE(box("Picture3")->geometry(), strip);
    }

    void aWindowRestoredFromMaximisedFitsTheWorkArea()
    {
        // The load step gives the window the whole work area; a frame around it would stick out.
        SharedState state;
        Form1 window(state, folder_->path(), wait_, *dialogs_);
        window.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect work = window.screen()->availableGeometry();
        window.showNormal();
        QTRY_VERIFY(!window.isMaximized());
        // The window system brings back the geometry the window had before it was maximised.
        window.setGeometry(work);
        QTRY_VERIFY2(work.contains(window.frameGeometry()),
                     qPrintable(QString("frame %1,%2 %3x%4, work area %5x%6")
                                    .arg(window.frameGeometry().x())
                                    .arg(window.frameGeometry().y())
                                    .arg(window.frameGeometry().width())
                                    .arg(window.frameGeometry().height())
                                    .arg(work.width())
                                    .arg(work.height())));
        // As large as fits: only the frame was taken off.
        QVERIFY(window.frameGeometry().width() >= work.width() - 1);
        QVERIFY(window.frameGeometry().height() >= work.height() - 1);
    }

private:
    template <typename T>
    T* control(const char* name) const
    {
        T* found = window_->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QPushButton* button(const char* name) const { return control<QPushButton>(name); }
    PictureBox* box(const char* name) const { return control<PictureBox>(name); }
    FileList* pictureList() const { return control<FileList>("filListBmp"); }
    FileList* mapList() const { return control<FileList>("filListMap"); }

    void choosePicture(const QString& name)
    {
        const QList<QListWidgetItem*> items = pictureList()->findItems(name, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        pictureList()->setCurrentItem(items.first());
        emit pictureList()->fileChosen();
    }
    // A map click: its one cycling step takes the next message, which comes shortly.
    void chooseMap(const QString& name)
    {
        mapList()->setPath(folder_->path());
        const QList<QListWidgetItem*> items = mapList()->findItems(name, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        mapList()->setCurrentItem(items.first());
        sendKeySoon(window_.get(), Qt::Key_Shift);
        emit mapList()->fileChosen();
    }

    std::unique_ptr<QTemporaryDir> folder_;
    SharedState state_;
    MessageWait wait_;
    std::unique_ptr<test::RecordingDialogs> dialogs_;
    std::unique_ptr<Form1> window_;
};

LUMAREL_QTEST_MAIN(Form1Test)
#include "test_form1.moc"
