#include <QDir>
#include <QFile>
#include <QPointer>
#include <QScrollBar>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/widgets/help_viewer.h"
#include "support/deadline.h"
#include "support/test_support.h"
#include "support/ui_watchdog.h"

namespace lumarel {

class TestHelpViewer : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        delete viewer_;
        QCOMPARE(watchdog_.closedModals, 0);
    }

    void showsAFileAtItsContentsAndReusesTheWindow()
    {
        QWidget owner;
        const QString file = test::writeTempFile(
            "first.HLP",
            "<html><head><meta charset=\"utf-8\"><title>First help</title></head><body>"
            "<h1 id=\"contents\">Contents</h1><p><a href=\"#far\">down</a></p>"
            + QByteArray(200, '\n').replace("\n", "<p>filler line</p>")
            + "<h2 id=\"far\">Far section \xC2\xB0</h2></body></html>");
        HelpViewer* viewer = show(&owner, file);
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->windowTitle(), QStringLiteral("First help"));
        QVERIFY(viewer->browser()->toPlainText().contains(QStringLiteral("Far section \u00B0")));  // read as UTF-8

        // Wander off, then ask for the contents again: the same window, back at the top.
        viewer->browser()->resize(400, 200);
        viewer->browser()->scrollToAnchor("far");
        QTRY_VERIFY(viewer->browser()->verticalScrollBar()->value() > 0);
        const QString second = test::writeTempFile(
            "second.HLP", "<html><head><title>Second help</title></head><body><p>Other text</p></body></html>");
        QCOMPARE(show(&owner, second), viewer);
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Second help"));
        QVERIFY(viewer->browser()->toPlainText().contains(QStringLiteral("Other text")));
        QCOMPARE(viewer->browser()->verticalScrollBar()->value(), 0);

        // The same file again is read afresh.
        QFile rewrite(second);
        QVERIFY(rewrite.open(QIODevice::WriteOnly | QIODevice::Truncate));
        rewrite.write("<html><body><p>Rewritten text</p></body></html>");
        rewrite.close();
        show(&owner, second);
        QVERIFY(viewer->browser()->toPlainText().contains(QStringLiteral("Rewritten text")));
    }

    void missingFileShowsAMessageNamingIt()
    {
        const QString missing = QDir(test::tempDir()).filePath("no-such-help.HLP");
        HelpViewer* viewer = show(nullptr, missing);
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        const QString text = viewer->browser()->toPlainText();
        QVERIFY2(text.contains(missing), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("could not be opened")));

        // A folder is no help file either.
        show(nullptr, test::tempDir());
        QVERIFY(viewer->browser()->toPlainText().contains(test::tempDir()));
    }

    void escapeAndCtrlWCloseTheWindow()
    {
        for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
            QPointer<HelpViewer> viewer = show(nullptr, test::writeTempFile("keys.HLP", "<p>x</p>"));
            QVERIFY(viewer && viewer->isVisible());
            QVERIFY(QTest::qWaitForWindowActive(viewer));
            QTest::keySequence(viewer->browser(), keys);
            QTRY_VERIFY2(viewer.isNull(), qPrintable(keys.toString()));
        }
    }

    void aHelpFileThatIsAPipeOrADeviceIsRefusedAtOnce()
    {
        const QString pipe = QDir(test::tempDir()).filePath("pipe.HLP");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe), 0644), 0);
        const QString device = QDir(test::tempDir()).filePath("zero.HLP");
        QCOMPARE(::symlink("/dev/zero", QFile::encodeName(device)), 0);
        for (const QString& file : {pipe, device}) {
            {
                const test::Deadline deadline("showing the help " + file.toStdString());
                show(nullptr, file);
            }
            const QString text = viewer_->browser()->toPlainText();
            QVERIFY2(text.contains("could not be opened") && text.contains(QFileInfo(file).fileName() + "\" is a "),
                     qPrintable(text));
        }
        // A page the help links to is read the same way.
        const QString linking = test::writeTempFile("linking.HLP", "<p><a href=\"pipe.HLP\">pipe</a></p>");
        show(nullptr, linking);
        const test::Deadline deadline("following a help link to a named pipe");
        viewer_->browser()->setSource(QUrl::fromLocalFile(pipe));
    }

    // The help shipped with the program: it loads, its contents links all lead somewhere, and it
    // names every button of the program's windows.
    void shippedHelpIsCompleteAndConsistent()
    {
        const QString shipped = test::sourceDir() + "/data/ship/Lmr.HLP";
        QFile file(shipped);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());

        QSet<QString> anchors;
        for (const auto& m : QRegularExpression(R"re(\b(?:id|name)="([^"]+)")re").globalMatch(html))
            anchors.insert(m.captured(1));
        int links = 0;
        for (const auto& m : QRegularExpression(R"re(href="#([^"]+)")re").globalMatch(html)) {
            ++links;
            QVERIFY2(anchors.contains(m.captured(1)), qPrintable("no anchor " + m.captured(1)));
        }
        QVERIFY(links >= 8);

        HelpViewer* viewer = show(nullptr, shipped);
        const QString text = viewer->browser()->toPlainText();
        for (const char* caption :
             {"Bmp Files", "Map Files", "Animate Palette", "Help", "Save Bmp", "Copy", "About", "Midi File Player",
              "Quit", "Plug - In", "Open Midi File", "Play", "Stop", "Animate!", "Device di Output:", "System Info",
              "Le informazioni sul sistema", "Escape", "Ottava", "Funzioni", "Action Table"})
            QVERIFY2(text.contains(QLatin1String(caption)), caption);
        QVERIFY(viewer->windowTitle().contains(QStringLiteral("Lumarel")));
    }

private:
    // Shows a help file at its contents, in the one help window as the program keeps it.
    HelpViewer* show(QWidget* owner, const QString& file)
    {
        if (!viewer_)
            viewer_ = new HelpViewer(owner);
        viewer_->showContents(file);
        viewer_->show();
        return viewer_;
    }

    QPointer<HelpViewer> viewer_;
    test::UiWatchdog watchdog_{10};
};

}  // namespace lumarel

QTEST_MAIN(lumarel::TestHelpViewer)
#include "test_help_viewer.moc"
