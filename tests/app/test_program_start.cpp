// The program given files (command line, drops) and starting where the last run left off.
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/form1.h"
#include "app/program.h"
#include "app/settings.h"
#include "app/tab_control.h"
#include "midi/midi_output.h"
#include "midi/recording_device.h"
#include "platform/widgets/file_list.h"
#include "platform/widgets/folder_list.h"
#include "platform/widgets/picture_box.h"
#include "player/form3.h"
#include "support/midi_builder.h"
#include "support/qt_test_main.h"
#include "support/recording_dialogs.h"

using namespace lumarel;

namespace {

constexpr QRgb kGreen = qRgb(0, 200, 0);

// An indexed BMP in one colour.
void writeBmp(const QString& path, QRgb colour)
{
    QImage image(QSize(40, 30), QImage::Format_Indexed8);
    image.setColorTable({colour, qRgb(255, 255, 255)});
    image.fill(0);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QVERIFY(image.save(path, "BMP"));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A song of `tracks` tracks; track t > 1 is named "Part t".
QByteArray song(int tracks)
{
    std::vector<test::TrackBuilder> built(1);
    built[0].tempo(0, 500000).end();
    for (int t = 2; t <= tracks; ++t) {
        test::TrackBuilder track;
        track.meta(0, 3, QByteArray("Part ") + QByteArray::number(t));
        track.event(0, {0x90 | (t - 1), 60, 100}).event(96, {0x80 | (t - 1), 60, 0}).end();
        built.push_back(track);
    }
    return test::smf(1, 96, built);
}

// A key the next cycling step takes, sent shortly.
void sendKeySoon(QWidget* target, Qt::Key key, int ms = 20)
{
    QTimer::singleShot(ms, target, [target, key] { QTest::keyClick(target, key); });
}

void drop(QWidget* target, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
}

}  // namespace

class ProgramStartTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        root_ = std::make_unique<QTemporaryDir>();
        writeBmp(path("program/Lmrlogo.bmp"), qRgb(255, 0, 0));
        writeBmp(path("pics/two.bmp"), kGreen);
        writeFile(path("maps/warm.map"), QByteArray("255 128 0\n").repeated(256));
        writeFile(path("songs/four.mid"), song(4));
        writeFile(path("songs/two.mid"), song(2));
        writeFile(path("notes.txt"), "not for Lumarel");
        log_ = std::make_shared<RecordingLog>();
        clock_ = std::make_shared<FakeClock>();
        dialogs_ = std::make_unique<test::RecordingDialogs>();
        ports_ = {"Port A", "Port B"};
    }

    void cleanup()
    {
        program_.reset();
        settings_.reset();
    }

    void aPictureGivenIsShownAsIfChosenInItsList()
    {
        start();
        program_->openFiles(openRequestFor({path("pics/two.bmp")}));
        QCOMPARE(control<FolderList>("dirListBmp")->path(), path("pics"));
        QCOMPARE(control<FileList>("filListBmp")->fileName(), QString("two.bmp"));
        QCOMPARE(program_->state().imagePath, path("pics/two.bmp"));
        QCOMPARE(box("Picture2")->image().pixel(3, 3), kGreen);
        QVERIFY(button("Command7")->isEnabled());
        QVERIFY(dialogs_->messages.isEmpty());
    }

    void aSongGivenOpensThePlayerWithItsRowsReadyToPlay()
    {
        start();
        program_->openFiles(openRequestFor({path("songs/four.mid")}));
        Form3* player = program_->player();
        QVERIFY(player);
        QVERIFY(player->isVisible());
        QCOMPARE(player->rowCount(), 3);
        QCOMPARE(player->findChild<QLabel*>("LabelTrackName_0")->text(), QString("Part 2"));
        QCOMPARE(player->findChild<QLabel*>("LabelTrackName_2")->text(), QString("Part 4"));
        QVERIFY(player->findChild<QPushButton*>("CmdPlay")->isEnabled());
        QVERIFY(!player->findChild<QPushButton*>("CmdStop")->isEnabled());
        QCOMPARE(log_->opens(), 0);  // not playing
    }

    void aMapGivenAloneIsChosenOnTheMapTabWithItsCyclingStep()
    {
        start();
        sendKeySoon(&program_->mainWindow(), Qt::Key_Shift);
        program_->openFiles(openRequestFor({path("maps/warm.map")}));
        QCOMPARE(control<TabControl>("SSTab1")->bar()->currentIndex(), 1);
        QCOMPARE(control<FolderList>("dirListMap")->path(), path("maps"));
        QCOMPARE(control<FileList>("filListMap")->fileName(), QString("warm.map"));
        QCOMPARE(QColor(box("Picture3")->drawing().pixel(5, 5)).rgb(), qRgb(255, 128, 0));
        QVERIFY(box("Picture2")->display().realized());  // the map list's one step
    }

    void theNextStartShowsTheLastFoldersPictureAndMapWithoutACyclingStep()
    {
        start();
        sendKeySoon(&program_->mainWindow(), Qt::Key_Shift);
        program_->openFiles(openRequestFor({path("pics/two.bmp"), path("maps/warm.map")}));
        QVERIFY(box("Picture2")->display().realized());
        program_.reset();

        start();  // a new run reading the same file
        QCOMPARE(control<FolderList>("dirListBmp")->path(), path("pics"));
        QCOMPARE(control<FileList>("filListBmp")->fileName(), QString("two.bmp"));
        QCOMPARE(program_->state().imagePath, path("pics/two.bmp"));
        QVERIFY(button("Command3")->isEnabled());
        QCOMPARE(control<FolderList>("dirListMap")->path(), path("maps"));
        QCOMPARE(control<FileList>("filListMap")->fileName(), QString("warm.map"));
        QCOMPARE(program_->state().mapPalette[0], (PaletteEntry{255, 128, 0, 0}));
        QCOMPARE(QColor(box("Picture3")->drawing().pixel(5, 5)).rgb(), qRgb(255, 128, 0));
        // The picture keeps its own colours until the user acts.
        QVERIFY(!box("Picture2")->display().realized());
        QCOMPARE(box("Picture2")->image().pixel(3, 3), kGreen);
        QCOMPARE(control<TabControl>("SSTab1")->bar()->currentIndex(), 0);
        QVERIFY(dialogs_->messages.isEmpty());
    }

    void rememberedThingsThatAreGoneGiveTheStartOfAFirstRun()
    {
        {
            Settings remembered(settingsFile());
            remembered.setBrowsing({path("gone"), path("gone/x.bmp"), path("pics"), path("maps/gone.map")});
        }
        start();
        QCOMPARE(control<FolderList>("dirListBmp")->path(), path("program"));
        QCOMPARE(control<FolderList>("dirListMap")->path(), path("pics"));  // still there: remembered
        QCOMPARE(program_->state().imagePath, path("program/Lmrlogo.bmp"));
        QVERIFY(!button("Command3")->isEnabled());
        QVERIFY(!button("Command7")->isEnabled());
        QVERIFY(program_->state().mapPath.isEmpty());
        QCOMPARE(qAlpha(box("Picture3")->drawing().pixel(5, 5)), 0);  // no strip
        QCOMPARE(box("Picture2")->image().pixel(3, 3), qRgb(255, 0, 0));  // the logo
        QVERIFY(dialogs_->messages.isEmpty());
    }

    void aRememberedDeviceComesBackByNameAndOneThatIsGoneGivesTheBuiltInSynth()
    {
        start();
        QComboBox* devices = program_->openPlayer().findChild<QComboBox*>("OutputDevCombo");
        devices->setCurrentIndex(2);
        emit devices->activated(2);  // the user chooses "Port B"
        QCOMPARE(Settings(settingsFile()).sound().device, QString("Port B"));
        program_.reset();

        start();
        devices = program_->openPlayer().findChild<QComboBox*>("OutputDevCombo");
        QCOMPARE(devices->currentIndex(), 2);
        program_.reset();

        ports_ = {"Port A"};
        start();
        devices = program_->openPlayer().findChild<QComboBox*>("OutputDevCombo");
        QCOMPARE(devices->currentIndex(), 0);
        QCOMPARE(Settings(settingsFile()).sound().device, QString("Port B"));  // kept for its return
    }

    void droppedFilesOpenAsIfChosenAndOthersAreRefusedInOneMessage()
    {
        start();
        drop(&program_->mainWindow(), {path("pics/two.bmp"), path("notes.txt"), path("songs/four.mid")});
        QTRY_VERIFY(program_->player());
        QCOMPARE(program_->player()->rowCount(), 3);
        QCOMPARE(program_->state().imagePath, path("pics/two.bmp"));
        QCOMPARE(dialogs_->messages.size(), 1);
        QVERIFY2(dialogs_->messages.first().contains("\"notes.txt\""), qPrintable(dialogs_->messages.first()));

        // A song dropped on the player opens there.
        drop(program_->player(), {path("songs/two.mid")});
        QTRY_COMPARE(program_->player()->rowCount(), 1);
        QCOMPARE(dialogs_->messages.size(), 1);
    }

    void aDropIsInputThatACyclingRunTakes()
    {
        start();
        Form1& window = program_->mainWindow();
        // Dropped during the run: the run takes the drag's events as its messages.
        QTimer::singleShot(20, &window, [&window, this] { drop(&window, {path("pics/two.bmp")}); });
        sendKeySoon(&window, Qt::Key_Escape, 60);
        window.command1Click();
        // Dropped just before the run began: the run takes it too, before it could open.
        drop(&window, {path("songs/four.mid")});
        sendKeySoon(&window, Qt::Key_Escape);
        window.command1Click();
        QTest::qWait(50);
        QCOMPARE(program_->state().imagePath, path("program/Lmrlogo.bmp"));
        QVERIFY(!program_->player());
        QVERIFY(dialogs_->messages.isEmpty());
    }

private:
    QString path(const QString& name) const { return QDir::cleanPath(root_->filePath(name)); }
    QString settingsFile() const { return path("config/lumarel.conf"); }
    void start()
    {
        settings_ = std::make_unique<Settings>(settingsFile());
        auto log = log_;
        auto clock = clock_;
        const QStringList ports = ports_;
        program_ = std::make_unique<Program>(path("program"), dialogs_.get(), [log, clock, ports] {
            return std::make_unique<MIDIOutput>(std::make_unique<RecordingDeviceProvider>(log, clock, ports), clock);
        }, settings_.get());
        program_->show();
        QVERIFY(QTest::qWaitForWindowExposed(&program_->mainWindow()));
    }
    template <typename T>
    T* control(const char* name) const
    {
        T* found = program_->mainWindow().findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QPushButton* button(const char* name) const { return control<QPushButton>(name); }
    PictureBox* box(const char* name) const { return control<PictureBox>(name); }

    std::unique_ptr<QTemporaryDir> root_;
    std::shared_ptr<RecordingLog> log_;
    std::shared_ptr<FakeClock> clock_;
    QStringList ports_;
    std::unique_ptr<test::RecordingDialogs> dialogs_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<Program> program_;
};

LUMAREL_QTEST_MAIN(ProgramStartTest)
#include "test_program_start.moc"
