#include "app/form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QShortcut>

#include "app/form2.h"
#include "app/layout.h"
#include "app/paths.h"
#include "app/tab_control.h"
#include "model/visible_name.h"
#include "platform/file_listing.h"
#include "platform/folder_watcher.h"
#include "platform/widgets/dialogs.h"
#include "platform/widgets/drive_list.h"
#include "platform/widgets/file_list.h"
#include "platform/widgets/folder_list.h"
#include "platform/widgets/frame_pacer.h"
#include "platform/widgets/picture_box.h"
#include "platform/widgets/wrap_button.h"

namespace lumarel {

namespace {

QRect toRect(const RectF& r)
{
    return QRect(qRound(r.left), qRound(r.top), qRound(r.width), qRound(r.height));
}

// Twips to the pixels of this screen.
int px(double twips, double tpp) { return qRound(twips / tpp); }

}  // namespace

Form1::Form1(SharedState& state, const QString& programFolder, MessageWait& messages, Dialogs& dialogs,
             QWidget* parent)
    : QWidget(parent), state_(state), programFolder_(QDir::cleanPath(programFolder)), dialogs_(dialogs),
      messages_(messages)
{
    createControls();
    surface_ = std::make_unique<DisplaySurface>(pictureFiles_, Picture2->display());
    load();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Lumarel - Version Beta 1.0.0"));
    setFocusPolicy(Qt::ClickFocus);

    Frame1 = new QGroupBox(QStringLiteral("Action Table"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new WrapButton(caption, Frame1);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    Command1 = button("Command1", QStringLiteral("&Animate Palette"));
    Command2 = button("Command2", QStringLiteral("&Help"));
    Command3 = button("Command3", QStringLiteral("&Save Bmp"));
    Command4 = button("Command4", QStringLiteral("&About"));
    Command5 = button("Command5", QStringLiteral("&Midi File Player"));
    Command6 = button("Command6", QStringLiteral("&Quit"));
    Command7 = button("Command7", QStringLiteral("&Copy"));
    Command8 = button("Command8", QStringLiteral("&Plug - In"));
    Command8->setEnabled(false);

    createBrowsers();

    auto box = [this](const char* name) {
        auto* b = new PictureBox(this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    Picture1 = box("Picture1");
    Picture2 = box("Picture2");
    Picture3 = box("Picture3");
    Picture4 = box("Picture4");
    Picture1->hide();
    Picture4->hide();

    connect(Command1, &QPushButton::clicked, this, [this] { command1Click(); });
    connect(Command2, &QPushButton::clicked, this, &Form1::helpRequested);
    connect(Command3, &QPushButton::clicked, this, [this] { saveBitmap(); });
    connect(Command4, &QPushButton::clicked, this, &Form1::aboutRequested);
    connect(Command5, &QPushButton::clicked, this, &Form1::playerRequested);
    connect(Command6, &QPushButton::clicked, this, [this] { close(); });
    connect(Command7, &QPushButton::clicked, this, [this] { copyPicture(); });

    // Palette pushes and everything else redraw with the screen's refresh, not per change.
    new FramePacer(this);
    // Pictures, maps and songs dropped anywhere on the window open as if chosen.
    setAcceptDrops(true);

    // The window's keys do the same whatever control has the focus.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void Form1::createBrowsers()
{
    SSTab1 = new TabControl(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->bar()->addTab(QStringLiteral("Bmp Files"));
    SSTab1->bar()->addTab(QStringLiteral("Map Files"));
    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    drvListBmp = named(new DriveList(SSTab1->page(0)), "drvListBmp");
    dirListBmp = named(new FolderList(SSTab1->page(0)), "dirListBmp");
    filListBmp = named(new FileList(SSTab1->page(0)), "filListBmp");
    drvListMap = named(new DriveList(SSTab1->page(1)), "drvListMap");
    dirListMap = named(new FolderList(SSTab1->page(1)), "dirListMap");
    filListMap = named(new FileList(SSTab1->page(1)), "filListMap");
    filListMap->setToolTip(QStringLiteral("Click to load a map file"));
    SSTab1->page(0)->show();

    auto* refreshKey = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connectBrowser(drvListBmp, dirListBmp, filListBmp, refreshKey);
    connectBrowser(drvListMap, dirListMap, filListMap, refreshKey);
    connect(filListBmp, &FileList::fileChosen, this, [this] { showImage(); });
    connect(filListMap, &FileList::fileChosen, this, [this] {
        if (readMapFile())
            applyMapToDisplay();
    });
}

void Form1::connectBrowser(DriveList* drives, FolderList* folders, FileList* files, QShortcut* refreshKey)
{
    connect(drives, &DriveList::driveChanged, this, [drives, folders](const QString& drive) {
        // A drive that cannot be entered: go back to the folder list's drive, silently.
        if (!folders->setPath(drive))
            drives->setDriveSilently(driveOf(folders->path(), drives->drives()));
    });
    auto* watcher = new FolderWatcher(this);
    connect(folders, &FolderList::pathChanged, this, [this, files, drives, watcher](const QString& path) {
        files->setPath(path);
        drives->setDriveSilently(driveOf(path, drives->drives()));
        watcher->watch(path);
        emit browsingChanged();
    });
    // The disk changed under the lists (or the user asked, F5): read the folder again. A removed
    // folder gives way to its nearest ancestor; a drive that went leaves the drive of the folder.
    auto reread = [drives, folders, files, watcher] {
        const QString before = folders->path();
        folders->refresh();
        if (folders->path() == before)
            files->refresh();
        drives->setDriveSilently(driveOf(folders->path(), drives->drives()));
        watcher->watch(folders->path());
    };
    connect(watcher, &FolderWatcher::changed, this, reread);
    connect(drives, &DriveList::drivesChanged, this, reread);
    connect(refreshKey, &QShortcut::activated, this, reread);
    connect(folders, &FolderList::focusLost, this, [this, folders] { enterHighlighted(folders); });
    connect(folders, &FolderList::enterRequested, this, [this, folders] { enterHighlighted(folders); });
}

void Form1::enterHighlighted(FolderList* folders)
{
    const QString target = folders->highlightedPath();
    if (target == folders->path())
        return;
    QString why;
    if (!folders->setPath(target, &why)) {
        // Keep the previous folder: show it highlighted again, and say why.
        folders->setPath(folders->path());
        dialogs_.message(this, QStringLiteral("Lumarel"), why);
    }
}

void Form1::load()
{
    // 1. The help file, owned by this window.
    state_.helpFile = helpFilePath(programFolder_);
    // 2. The program's folder becomes the current one.
    QDir::setCurrent(programFolder_);
    // 3. Nothing to copy or save until an image is chosen.
    Command7->setEnabled(false);
    Command3->setEnabled(false);
    // 4 to 12. Lay the window out for its screen.
    applyLayout();
    // 13. The browsers' patterns; both start in the program's folder.
    filListMap->setPattern(QStringLiteral("*.map"));
    filListBmp->setPattern(QStringLiteral("*.gif;*.bmp"));
    dirListBmp->setPath(programFolder_);
    dirListMap->setPath(programFolder_);
    // 14 to 16. The logo until an image is chosen; a missing logo leaves the area empty.
    state_.imagePath = logoPath(programFolder_);
    Picture1->setPicture(pictureFiles_.load(state_.imagePath).picture);
    refreshDisplay();
}

void Form1::applyLayout()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    ScreenMetrics metrics;
    metrics.tppX = 1440.0 / screen->logicalDotsPerInchX();
    metrics.tppY = 1440.0 / screen->logicalDotsPerInchY();
    metrics.screenWidthTwips = screen->geometry().width() * metrics.tppX;
    metrics.screenHeightTwips = screen->geometry().height() * metrics.tppY;
    metrics.workAreaHeightTwips = screen->availableGeometry().height() * metrics.tppY;
    const MainLayout layout = computeMainLayout(metrics);
    const double tx = metrics.tppX;
    const double ty = metrics.tppY;

    const QRect work = screen->availableGeometry();
    setGeometry(work.left(), work.top(), work.width(), int(layout.windowHeightTwips / ty));
    // The layout below is made for this size; the picture area and the strip follow later sizes.
    layout_ = layout;
    designSize_ = size();

    Frame1->setGeometry(toRect(layout.frame1));
    QPushButton* row1[] = {Command3, Command1, Command7};
    for (int i = 0; i < 3; ++i)
        row1[i]->setGeometry(px(design::firstRowLefts[i], tx), px(design::firstRowTop, ty), px(design::buttonSide, tx),
                             px(design::buttonSide, ty));
    QPushButton* row2[] = {Command2, Command4, Command6, Command8, Command5};
    for (int i = 0; i < 5; ++i) {
        const double width = row2[i] == Command8 ? design::command8Width : design::buttonSide;
        row2[i]->setGeometry(px(design::secondRowLefts[i], tx), px(design::secondRowTop, ty), px(width, tx),
                             px(design::buttonSide, ty));
    }

    SSTab1->setGeometry(toRect(layout.tab));
    for (auto [drives, folders, files, driveTop] :
         {std::tuple{drvListBmp, dirListBmp, filListBmp, 600}, std::tuple{drvListMap, dirListMap, filListMap, 580}}) {
        drives->setGeometry(px(240, tx), px(driveTop, ty), px(2175, tx), px(315, ty));
        folders->setGeometry(px(240, tx), px(1080, ty), px(2175, tx), px(1440, ty));
        files->setGeometry(px(240, tx), px(2760, ty), px(2175, tx), px(layout.fileListHeightTwips, ty));
    }

    Picture1->setGeometry(toRect(layout.picture1));
    Picture2->setGeometry(toRect(layout.picture2));
    Picture3->setGeometry(toRect(layout.picture3));
    Picture4->setGeometry(toRect(layout.picture4));
}

Form2& Form1::form2()
{
    if (!form2_)
        form2_ = std::make_unique<Form2>();
    return *form2_;
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (!unloading_) {
        unloading_ = true;
        emit unloading();
    }
    event->accept();
    // Unloading the main window ends the program with every window.
    QCoreApplication::quit();
}

bool Form1::handleWindowKey(int key, bool autoRepeat)
{
    if (key == Qt::Key_Space) {
        if (!autoRepeat)
            command1Click();
        return true;
    }
    if (key == Qt::Key_Q || key == Qt::Key_Escape) {
        emit quitRequested();
        return true;
    }
    return false;
}

void Form1::keyPressEvent(QKeyEvent* event)
{
    if (!handleWindowKey(event->key(), event->isAutoRepeat()))
        QWidget::keyPressEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // Keys typed in a list or on a button reach the window's key rules first: Space animates,
    // Q and Escape end the program, whatever has the focus.
    if (event->type() == QEvent::KeyPress && watched != this) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (handleWindowKey(key->key(), key->isAutoRepeat()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::mousePressEvent(QMouseEvent* event)
{
    state_.cycling.stopAnimation = true;
    QWidget::mousePressEvent(event);
}

}  // namespace lumarel
