#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "about/frm_about.h"
#include "about/link_label.h"
#include "about/web_links.h"
#include "support/ui_watchdog.h"

namespace lumarel {

class TestFrmAbout : public QObject {
    Q_OBJECT

private slots:
    void init() { savedPath_ = qgetenv("PATH"); }
    void cleanup()
    {
        qputenv("PATH", savedPath_);
        delete about_;
        QCOMPARE(watchdog_.closedModals, 0);  // no dialog was left hanging
    }

    void loadSetsCaptionAndLabels()
    {
        QWidget owner;
        frmAbout* about = open(&owner);
        QVERIFY(about->isVisible());
        QVERIFY(!about->isModal());
        QCOMPARE(about->windowTitle(), QStringLiteral("About Lumarel"));
        QCOMPARE(label(about, "lblTitle")->text(), QStringLiteral("Lumarel"));
        QCOMPARE(label(about, "lblVersion")->text(), QStringLiteral("Version 2.1.0"));
        QVERIFY(label(about, "Label1")->text().contains(QStringLiteral("error reports")));
        QCOMPARE(label(about, "Label2")->text(), kProgramPageAddress);
        QCOMPARE(label(about, "Label3")->text(), kSponsorPageAddress);
        QCOMPARE(label(about, "Label4")->text(), kMakerPageAddress);
        QCOMPARE(button(about, "cmdOK")->text(), QStringLiteral("OK"));
        QCOMPARE(button(about, "cmdSysInfo")->text(), QStringLiteral("&System Info..."));
    }

    void okDestroysSoTheNextOpeningLoadsAgain()
    {
        QWidget owner;
        QPointer<frmAbout> first = open(&owner);
        label(first, "lblVersion")->setText(QStringLiteral("changed"));
        QTest::mouseClick(button(first, "cmdOK"), Qt::LeftButton);
        QVERIFY(!first->isVisible());
        QTRY_VERIFY(first.isNull());  // destroyed, not only hidden

        frmAbout* second = open(&owner);
        QCOMPARE(label(second, "lblVersion")->text(), QStringLiteral("Version 2.1.0"));

        // Enter right after opening presses OK; it opens no link.
        int opened = 0;
        second->setWebOpener([&opened](const QUrl&) { ++opened; return true; });
        QVERIFY(QTest::qWaitForWindowActive(second));
        QPointer<frmAbout> guard = second;
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : second, Qt::Key_Return);
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(opened, 0);
    }

    void linkLabelsOpenTheirOwnAddress()
    {
        frmAbout* about = open(nullptr);
        QStringList opened;
        about->setWebOpener([&](const QUrl& url) {
            opened << url.toString();
            return false;  // a refusal is not reported to the user
        });
        QVERIFY(QTest::qWaitForWindowExposed(about));
        for (const char* name : {"Label2", "Label3", "Label4"})
            QTest::mouseClick(label(about, name), Qt::LeftButton);
        // A press that ends outside the label is no click.
        auto* link = qobject_cast<LinkLabel*>(label(about, "Label2"));
        QVERIFY(link);
        QTest::mousePress(link, Qt::LeftButton, {}, QPoint(2, 2));
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-20, -20));
        link->setFocus();
        QTest::keyClick(link, Qt::Key_Space);

        QCOMPARE(opened, (QStringList{kProgramPageAddress, kSponsorPageAddress, kMakerPageAddress,
                                      kProgramPageAddress}));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void systemInfoWithNothingFoundShowsTheMessage()
    {
        qputenv("PATH", "");
        frmAbout* about = open(nullptr);

        QString shownText;
        QString shownTitle;
        int buttonCount = 0;
        QTimer closer;
        closer.setInterval(20);
        connect(&closer, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            shownText = box->text();
            shownTitle = box->windowTitle();
            buttonCount = static_cast<int>(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        closer.start();
        QTest::mouseClick(button(about, "cmdSysInfo"), Qt::LeftButton);
        closer.stop();

        QCOMPARE(shownText, QStringLiteral("Le informazioni sul sistema non sono attualmente disponibili."));
        QCOMPARE(shownTitle, QStringLiteral("Lumarel"));
        QCOMPARE(buttonCount, 1);
        QVERIFY(about->isVisible());  // the about window stays
    }

    void systemInfoStartsTheFirstDesktopProgramFound()
    {
        QTemporaryDir bin;
        QVERIFY(bin.isValid());
        const QString marker = bin.filePath("started");
        QFile script(bin.filePath("kinfocenter"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\necho started > '%1'\n").arg(marker).toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", bin.path().toLocal8Bit());

        frmAbout* about = open(nullptr);
        QTest::mouseClick(button(about, "cmdSysInfo"), Qt::LeftButton);
        QVERIFY(QApplication::activeModalWidget() == nullptr);  // started, so no message
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
    }

private:
    // Opens an about window as the program does.
    frmAbout* open(QWidget* owner)
    {
        about_ = new frmAbout(owner);
        about_->show();
        return about_;
    }
    static QLabel* label(QWidget* about, const char* name)
    {
        auto* found = about->findChild<QLabel*>(QLatin1String(name));
        if (!found)
            qFatal("no label %s", name);
        return found;
    }
    static QPushButton* button(QWidget* about, const char* name)
    {
        auto* found = about->findChild<QPushButton*>(QLatin1String(name));
        if (!found)
            qFatal("no button %s", name);
        return found;
    }

    QByteArray savedPath_;
    QPointer<frmAbout> about_;
    test::UiWatchdog watchdog_{10};
};

}  // namespace lumarel

QTEST_MAIN(lumarel::TestFrmAbout)
#include "test_frm_about.moc"
