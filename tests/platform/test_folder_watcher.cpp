// The folder watcher: one signal per burst of changes, soon after a quiet spell, and spaced out
// by the work it sets off while changes keep coming.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/folder_watcher.h"
#include "model/path_codec.h"
#include "support/raw_files.h"

namespace lumarel {

class TestFolderWatcher : public QObject {
    Q_OBJECT

private slots:
    void aChangeAfterAQuietSpellIsToldSoonOnce()
    {
        QTemporaryDir dir;
        FolderWatcher watcher;
        watcher.watch(dir.path());
        QSignalSpy changed(&watcher, &FolderWatcher::changed);
        for (int i = 0; i < 20; ++i)
            QVERIFY(test::writeRaw(QFile::encodeName(dir.filePath(QString("f%1").arg(i))), "x"));
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, 2000);
        QTest::qWait(300);
        QCOMPARE(changed.count(), 1);  // the burst gave one signal

        // The folder removed: told too. Watching it again once it is back renews the watch.
        QDir(dir.path()).removeRecursively();
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 2, 2000);
        QVERIFY(QDir().mkpath(dir.path()));
        watcher.watch(dir.path());
        QVERIFY(test::writeRaw(QFile::encodeName(dir.filePath("again")), "x"));
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 3, 2000);
    }

    void aFolderNamedInLatin1IsWatchedToo()
    {
        QTemporaryDir dir;
        const QByteArray raw = QFile::encodeName(dir.path()) + "/caf\xe9";
        QCOMPARE(::mkdir(raw.constData(), 0755), 0);
        FolderWatcher watcher;
        watcher.watch(decodePath(raw));
        QSignalSpy changed(&watcher, &FolderWatcher::changed);
        QVERIFY(test::writeRaw(raw + "/new.bmp", "BM"));
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, 2000);
        test::removeTree(raw);
    }

    void aFolderThatKeepsChangingCostsAFifthOfTheTimeAtMost()
    {
        QTemporaryDir dir;
        FolderWatcher watcher;
        watcher.watch(dir.path());
        int signals_ = 0;
        connect(&watcher, &FolderWatcher::changed, this, [&signals_] {
            ++signals_;
            QThread::msleep(150);  // the re-reading this costs
        });
        QTimer churn;
        int made = 0;
        connect(&churn, &QTimer::timeout, this, [&] {
            const QByteArray name = QFile::encodeName(dir.filePath(QString("c%1").arg(made++)));
            QVERIFY(test::writeRaw(name, "x"));
            ::unlink(name.constData());
        });
        churn.start(10);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 2000)
            QTest::qWait(20);
        churn.stop();
        // Each signal's 150 ms of work is followed by 600 ms of rest, so 2 s hold three at most;
        // signals that only waited for the burst to settle would have been about eight.
        QVERIFY2(signals_ >= 1 && signals_ <= 4, qPrintable(QString::number(signals_)));
    }
};

}  // namespace lumarel

QTEST_MAIN(lumarel::TestFolderWatcher)
#include "test_folder_watcher.moc"
