// The main window's two browsers against the disk as users have it: special files, names that
// are not valid UTF-8 or that hold control characters, and folders that change while shown.
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/form1.h"
#include "model/path_codec.h"
#include "platform/file_listing.h"
#include "platform/message_wait.h"
#include "platform/widgets/drive_list.h"
#include "platform/widgets/file_list.h"
#include "platform/widgets/folder_list.h"
#include "platform/widgets/picture_box.h"
#include "support/deadline.h"
#include "support/qt_test_main.h"
#include "support/bmp_bytes.h"
#include "support/raw_files.h"
#include "support/recording_dialogs.h"

using namespace lumarel;

namespace {

QListWidgetItem* itemShowing(QListWidget* list, const QString& text)
{
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

}  // namespace

class BrowsersTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        folder_ = std::make_unique<QTemporaryDir>();
        raw_ = QFile::encodeName(folder_->path());
        QVERIFY(test::writeRaw(raw_ + "/Lmrlogo.bmp", test::bmpBytes(QSize(8, 6))));
        state_ = SharedState{};
        messages_.clear();
        window_ = std::make_unique<Form1>(state_, folder_->path(), wait_, dialogs_);
        window_->resize(1280, 800);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup()
    {
        window_.reset();
        ::umount2(raw_ + "/mnt", MNT_DETACH);  // left mounted by a failed check
        test::removeTree(raw_);
    }

    void specialFilesChosenInTheListsAreRefusedAtOnce()
    {
        QCOMPARE(::symlink("/dev/zero", raw_ + "/zero.bmp"), 0);
        QCOMPARE(::symlink("/dev/urandom", raw_ + "/rnd.gif"), 0);
        QCOMPARE(::mkfifo(raw_ + "/y.map", 0644), 0);
        QCOMPARE(::symlink(raw_ + "/y.map", raw_ + "/fifolink.map"), 0);
        control<FileList>("filListBmp")->refresh();
        control<FileList>("filListMap")->refresh();
        const std::pair<FileList*, QString> choices[] = {
            {control<FileList>("filListBmp"), "zero.bmp"}, {control<FileList>("filListBmp"), "rnd.gif"}, {control<FileList>("filListMap"), "fifolink.map"}};
        for (const auto& [list, name] : choices) {
            QListWidgetItem* item = itemShowing(list, name);
            QVERIFY2(item, qPrintable(name));
            messages_.clear();
            {
                const test::Deadline deadline("choosing " + name.toStdString());
                list->setCurrentItem(item);
                emit list->fileChosen();
            }
            QCOMPARE(messages_.size(), 1);
            QVERIFY2(messages_.first().contains('"' + name + "\" is a "), qPrintable(messages_.first()));
        }
        QVERIFY(messages_.first().contains("named pipe (FIFO), not a map"));
        QCOMPARE(state_.imagePath, folder_->path() + "/Lmrlogo.bmp");  // the previous picture stays
    }

    void aLogoThatIsAPipeLeavesTheAreaEmptyAtOnce()
    {
        QTemporaryDir other;
        QCOMPARE(::mkfifo(QFile::encodeName(other.filePath("Lmrlogo.bmp")), 0644), 0);
        SharedState state;
        const test::Deadline deadline("starting with a named pipe as the logo");
        Form1 window(state, other.path(), wait_, dialogs_);
        QVERIFY(!window.findChild<PictureBox*>("Picture2")->hasPicture());
    }

    void namesThatAreNotUtf8AreListedAndOpen()
    {
        QVERIFY(test::writeRaw(raw_ + "/lat\xe9n1.bmp", test::bmpBytes(QSize(30, 20))));
        QVERIFY(test::writeRaw(raw_ + "/lat\xe9n1.map", "0 255 0\n"));
        QCOMPARE(::mkdir(raw_ + "/latin1 caf\xe9", 0755), 0);
        QVERIFY(test::writeRaw(raw_ + "/latin1 caf\xe9/inner.bmp", test::bmpBytes(QSize(12, 10))));
        QTest::keyClick(window_.get(), Qt::Key_F5);

        QListWidgetItem* picture = itemShowing(control<FileList>("filListBmp"), "lat\\xE9n1.bmp");
        QVERIFY(picture);
        control<FileList>("filListBmp")->setCurrentItem(picture);
        emit control<FileList>("filListBmp")->fileChosen();
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
        QCOMPARE(encodePath(state_.imagePath), raw_ + "/lat\xe9n1.bmp");
        QCOMPARE(control<PictureBox>("Picture1")->indexedPicture()->size, QSize(30, 20));

        QListWidgetItem* map = itemShowing(control<FileList>("filListMap"), "lat\\xE9n1.map");
        QVERIFY(map);
        control<FileList>("filListMap")->setCurrentItem(map);
        QTimer::singleShot(20, window_.get(), [this] { QTest::keyClick(window_.get(), Qt::Key_Shift); });
        emit control<FileList>("filListMap")->fileChosen();
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
        QCOMPARE(state_.mapPalette[0], (PaletteEntry{0, 255, 0, 0}));

        // The folder: highlighted, entered, and its pictures listed and shown.
        QListWidgetItem* folder = itemShowing(control<FolderList>("dirListBmp"), "latin1 caf\\xE9");
        QVERIFY(folder);
        control<FolderList>("dirListBmp")->setCurrentItem(folder);
        emit control<FolderList>("dirListBmp")->enterRequested();
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
        QCOMPARE(encodePath(control<FolderList>("dirListBmp")->path()), raw_ + "/latin1 caf\xe9");
        QListWidgetItem* inner = itemShowing(control<FileList>("filListBmp"), "inner.bmp");
        QVERIFY(inner);
        control<FileList>("filListBmp")->setCurrentItem(inner);
        emit control<FileList>("filListBmp")->fileChosen();
        QCOMPARE(control<PictureBox>("Picture1")->indexedPicture()->size, QSize(12, 10));
    }

    void controlCharactersInNamesAreShownNotApplied()
    {
        QVERIFY(test::writeRaw(raw_ + "/rtl\xe2\x80\xae" "gnp.bmp", "not a picture"));
        QCOMPARE(::mkdir(raw_ + "/\xe2\x80\xae" "redlof", 0755), 0);
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QListWidgetItem* item = itemShowing(control<FileList>("filListBmp"), "rtl<U+202E>gnp.bmp");
        QVERIFY(item);
        QVERIFY(itemShowing(control<FolderList>("dirListBmp"), "<U+202E>redlof"));
        control<FileList>("filListBmp")->setCurrentItem(item);
        emit control<FileList>("filListBmp")->fileChosen();
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_.first().contains("rtl<U+202E>gnp.bmp"), qPrintable(messages_.first()));
        QVERIFY(!messages_.first().contains(QChar(0x202E)));

        // The caption after a save shows the name the same way.
        QVERIFY(test::writeRaw(raw_ + "/pic.bmp", test::bmpBytes(QSize(8, 8))));
        QTest::keyClick(window_.get(), Qt::Key_F5);
        control<FileList>("filListBmp")->setCurrentItem(itemShowing(control<FileList>("filListBmp"), "pic.bmp"));
        emit control<FileList>("filListBmp")->fileChosen();
        const QString target = folder_->filePath(QString::fromUtf16(u"evil\u202Epmb.bmp"));
        dialogs_.answers.push_back(target);
        window_->saveBitmap();
        QVERIFY2(window_->windowTitle().endsWith("evil<U+202E>pmb.bmp"), qPrintable(window_->windowTitle()));
    }

    void theListsFollowTheDiskAndF5()
    {
        control<FileList>("filListBmp")->setCurrentItem(itemShowing(control<FileList>("filListBmp"), "Lmrlogo.bmp"));
        QSignalSpy chosen(control<FileList>("filListBmp"), &FileList::fileChosen);
        // A file made while the folder is shown appears by itself; the selection stays.
        QVERIFY(test::writeRaw(raw_ + "/appeared.gif", "GIF89a"));
        QTRY_VERIFY_WITH_TIMEOUT(itemShowing(control<FileList>("filListBmp"), "appeared.gif"), 5000);
        QCOMPARE(control<FileList>("filListBmp")->fileName(), QString("Lmrlogo.bmp"));
        QCOMPARE(chosen.count(), 0);
        QCOMPARE(::mkdir(raw_ + "/newfolder", 0755), 0);
        QTRY_VERIFY_WITH_TIMEOUT(itemShowing(control<FolderList>("dirListMap"), "newfolder"), 5000);

        // F5 reads the folder again at once, without waiting to be told.
        QVERIFY(test::writeRaw(raw_ + "/pressed.map", "1 2 3"));
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QVERIFY(itemShowing(control<FileList>("filListMap"), "pressed.map"));
        QCOMPARE(::unlink(raw_ + "/pressed.map"), 0);
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QVERIFY(!itemShowing(control<FileList>("filListMap"), "pressed.map"));

        // A current folder that is removed gives way to its parent, without a message.
        QVERIFY(control<FolderList>("dirListBmp")->setPath(folder_->filePath("newfolder")));
        QCOMPARE(::rmdir(raw_ + "/newfolder"), 0);
        QTRY_COMPARE_WITH_TIMEOUT(control<FolderList>("dirListBmp")->path(), QDir::cleanPath(folder_->path()), 5000);
        QCOMPARE(control<FileList>("filListBmp")->path(), QDir::cleanPath(folder_->path()));
        QVERIFY(itemShowing(control<FileList>("filListBmp"), "appeared.gif"));
        QVERIFY(messages_.isEmpty());
    }

    void theFolderListFindsTypedNamesWithoutEnteringThem()
    {
        for (const char* name : {"alpha", "beta", "gamma"})
            QCOMPARE(::mkdir(raw_ + '/' + name, 0755), 0);
        QTest::keyClick(window_.get(), Qt::Key_F5);
        control<FolderList>("dirListBmp")->setFocus();
        QTest::keyClicks(control<FolderList>("dirListBmp"), "ga");
        QCOMPARE(control<FolderList>("dirListBmp")->highlightedPath(), folder_->filePath("gamma"));
        QCOMPARE(control<FolderList>("dirListBmp")->path(), QDir::cleanPath(folder_->path()));
    }

    void theSaveDialogOpensWhereThePicturesAreBrowsed()
    {
        QCOMPARE(::mkdir(raw_ + "/pictures", 0755), 0);
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QVERIFY(control<FolderList>("dirListBmp")->setPath(folder_->filePath("pictures")));
        dialogs_.answers.push_back(QString());  // cancelled
        window_->saveBitmap();
        QCOMPARE(dialogs_.asked.back().folder, QDir(folder_->filePath("pictures")).absolutePath());
    }

    void aDriveThatGoesLeavesTheDriveOfTheFolderList()
    {
        // Drives as the mount table might give them: the folder list is on the innermost one.
        QCOMPARE(::mkdir(raw_ + "/inner", 0755), 0);
        const QString outer = QDir::cleanPath(folder_->path());
        const QString inner = outer + "/inner";
        QVERIFY(control<FolderList>("dirListBmp")->setPath(inner));
        DriveList* drives = control<DriveList>("drvListBmp");
        drives->setDrives(QStringList{QDir::rootPath(), outer, inner});
        QCOMPARE(drives->drive(), inner);
        // The chosen drive goes: the list shows the drive the folder is on now, not the first one.
        drives->setDrives(QStringList{QDir::rootPath(), outer});
        QCOMPARE(drives->drive(), outer);
        QCOMPARE(control<FolderList>("dirListBmp")->path(), inner);
        QVERIFY(messages_.isEmpty());
    }

    // Mounting needs root and a system that lets it: otherwise skipped.
    void mountsAndUnmountsAreFollowed()
    {
        QCOMPARE(::mkdir(raw_ + "/mnt", 0755), 0);
        const QString point = folder_->filePath("mnt");
        if (::geteuid() != 0 || ::mount("lumarel-test", raw_ + "/mnt", "tmpfs", 0, "size=1m") != 0)
            QSKIP("cannot mount a file system here");
        QTRY_VERIFY_WITH_TIMEOUT(control<DriveList>("drvListBmp")->drives().contains(point), 5000);
        control<DriveList>("drvListBmp")->setDrive(point);
        QCOMPARE(control<FolderList>("dirListBmp")->path(), point);
        QCOMPARE(::umount(raw_ + "/mnt"), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!control<DriveList>("drvListBmp")->drives().contains(point), 5000);
        // The folder is still there (the empty mount point); the drive list shows its drive.
        QCOMPARE(control<FolderList>("dirListBmp")->path(), point);
        QCOMPARE(control<DriveList>("drvListBmp")->drive(), driveOf(point, control<DriveList>("drvListBmp")->drives()));
        QVERIFY(messages_.isEmpty());
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

    std::unique_ptr<QTemporaryDir> folder_;
    QByteArray raw_;
    SharedState state_;
    MessageWait wait_;
    test::RecordingDialogs dialogs_;
    QStringList& messages_ = dialogs_.messages;
    std::unique_ptr<Form1> window_;
};

LUMAREL_QTEST_MAIN(BrowsersTest)

#include "test_browsers.moc"
