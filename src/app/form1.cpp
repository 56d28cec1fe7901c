#include "app/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

#include "animation/picture_surface.h"
#include "app/form2.h"
#include "app/layout.h"
#include "app/paths.h"
#include "maps/map_file.h"
#include "maps/palette_strip.h"
#include "platform/file_listing.h"
#include "platform/folder_watcher.h"
#include "platform/visible_name.h"
#include "platform/wrap_button.h"

namespace lumarel {

namespace {

QRect toRect(const RectF& r)
{
    return QRect(qRound(r.left), qRound(r.top), qRound(r.width), qRound(r.height));
}

// Twips of the tab's children (15 per pixel at 96 DPI) to the pixels of this screen.
int px(double twips, double tpp) { return qRound(twips / tpp); }

}  // namespace

TabControl::TabControl(QWidget* parent) : QWidget(parent), bar(new QTabBar(this))
{
    for (QWidget*& page : pages_) {
        page = new QWidget(this);
        page->hide();
    }
    connect(bar, &QTabBar::currentChanged, this, [this](int index) {
        for (int i = 0; i < 2; ++i)
            pages_[i]->setVisible(i == index);
        bar->raise();
    });
}

void TabControl::paintEvent(QPaintEvent*)
{
    // The tab pane's frame, under the tab bar.
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    option.rect = rect().adjusted(0, bar->height() - 1, 0, 0);
    option.tabBarSize = bar->size();
    option.shape = QTabBar::RoundedNorth;
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, option);
}

void TabControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    bar->setGeometry(0, 0, width(), bar->sizeHint().height());
    for (QWidget* page : pages_)
        page->setGeometry(0, 0, width(), height());
    bar->raise();
}

Form1::Form1(SharedState& state, const QString& programFolder, QWidget* parent)
    : QWidget(parent), state_(state), programFolder_(QDir::cleanPath(programFolder))
{
    showMessage = [this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("Lumarel"), text);
    };
    quitImmediately = [] { QCoreApplication::exit(0); };
    createControls();
    load();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Lumarel - Version Beta 1.0.0"));
    setFocusPolicy(Qt::ClickFocus);

    Frame1 = new QGroupBox(QStringLiteral("Action Table"), this);
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

    SSTab1 = new TabControl(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->bar->addTab(QStringLiteral("Bmp Files"));
    SSTab1->bar->addTab(QStringLiteral("Map Files"));
    drvListBmp = new DriveList(SSTab1->page(0));
    dirListBmp = new FolderList(SSTab1->page(0));
    filListBmp = new FileList(SSTab1->page(0));
    drvListMap = new DriveList(SSTab1->page(1));
    dirListMap = new FolderList(SSTab1->page(1));
    filListMap = new FileList(SSTab1->page(1));
    filListMap->setToolTip(QStringLiteral("Click to load a map file"));
    drvListBmp->setObjectName(QStringLiteral("drvListBmp"));
    dirListBmp->setObjectName(QStringLiteral("dirListBmp"));
    filListBmp->setObjectName(QStringLiteral("filListBmp"));
    drvListMap->setObjectName(QStringLiteral("drvListMap"));
    dirListMap->setObjectName(QStringLiteral("dirListMap"));
    filListMap->setObjectName(QStringLiteral("filListMap"));
    SSTab1->page(0)->show();

    Picture1 = new PictureBox(this);
    Picture2 = new PictureBox(this);
    Picture3 = new PictureBox(this);
    Picture4 = new PictureBox(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture3->setObjectName(QStringLiteral("Picture3"));
    Picture4->setObjectName(QStringLiteral("Picture4"));
    Picture1->hide();
    Picture4->hide();

    auto* refreshKey = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connectBrowser(drvListBmp, dirListBmp, filListBmp, refreshKey);
    connectBrowser(drvListMap, dirListMap, filListMap, refreshKey);
    connect(filListBmp, &FileList::fileChosen, this, [this] { showImage(); });
    connect(filListMap, &FileList::fileChosen, this, [this] {
        if (readMapFile())
            applyMapToDisplay();
    });

    connect(Command1, &QPushButton::clicked, this, [this] { command1Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] {
        if (showHelpContents)
            showHelpContents();
    });
    connect(Command3, &QPushButton::clicked, this, [this] { saveBitmap(); });
    connect(Command4, &QPushButton::clicked, this, [this] {
        if (openAbout)
            openAbout();
    });
    connect(Command5, &QPushButton::clicked, this, [this] {
        if (openPlayer)
            openPlayer();
    });
    connect(Command6, &QPushButton::clicked, this, [this] { close(); });
    connect(Command7, &QPushButton::clicked, this, [this] { copyPicture(); });
}

void Form1::connectBrowser(DriveList* drives, FolderList* folders, FileList* files, QShortcut* refreshKey)
{
    connect(drives, &DriveList::driveChanged, this, [drives, folders](const QString& drive) {
        // A drive that cannot be entered: go back to the folder list's drive, silently.
        if (!folders->setPath(drive))
            drives->setDriveSilently(driveOf(folders->path(), drives->drives()));
    });
    auto* watcher = new FolderWatcher(this);
    connect(folders, &FolderList::pathChanged, this, [files, drives, watcher](const QString& path) {
        files->setPath(path);
        drives->setDriveSilently(driveOf(path, drives->drives()));
        watcher->watch(path);
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
        showMessage(why);
    }
}

void Form1::load()
{
    // 1. The help file, owned by this window.
    state_.helpOwnerWindow = std::uint32_t(winId());
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
    Picture1->loadPicture(state_.imagePath);
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

    const QRect work = screen->availableGeometry();
    setGeometry(work.left(), work.top(), work.width(), int(layout.windowHeightTwips / metrics.tppY));

    Frame1->setGeometry(toRect(design::frame1));
    const int lefts1[] = {16, 80, 144};
    QPushButton* row1[] = {Command3, Command1, Command7};
    for (int i = 0; i < 3; ++i)
        row1[i]->setGeometry(lefts1[i], 24, 65, 65);
    const int lefts2[] = {216, 280, 344, 408, 472};
    QPushButton* row2[] = {Command2, Command4, Command6, Command8, Command5};
    for (int i = 0; i < 5; ++i)
        row2[i]->setGeometry(lefts2[i], 32, row2[i] == Command8 ? 57 : 65, 65);

    RectF tab = design::tab;
    tab.height = layout.tabHeightPx;
    SSTab1->setGeometry(toRect(tab));
    const double tx = metrics.tppX;
    const double ty = metrics.tppY;
    for (auto [drives, folders, files, driveTop] :
         {std::tuple{drvListBmp, dirListBmp, filListBmp, 600}, std::tuple{drvListMap, dirListMap, filListMap, 580}}) {
        drives->setGeometry(px(240, tx), px(driveTop, ty), px(2175, tx), px(315, ty));
        folders->setGeometry(px(240, tx), px(1080, ty), px(2175, tx), px(1440, ty));
        files->setGeometry(px(240, tx), px(2760, ty), px(2175, tx), px(layout.fileListHeightTwips, ty));
    }

    Picture1->setGeometry(toRect(layout.picture1));
    Picture2->setGeometry(toRect(layout.picture2));
    Picture3->setGeometry(toRect(layout.picture3));
    Picture4->setGeometry(toRect(design::picture4));
}

void Form1::refreshDisplay()
{
    Picture2->stretchFrom(*Picture1);
}

Form2& Form1::form2()
{
    if (!form2_)
        form2_ = std::make_unique<Form2>();
    return *form2_;
}

bool Form1::showImage()
{
    const QString name = filListBmp->fileName();
    if (name.isEmpty())
        return false;
    const QString path = joinFolderPath(filListBmp->path(), name);
    // Load first: a picture that cannot be read leaves the previous one and its state in place.
    QString error;
    PictureBox loaded;
    if (!loaded.loadPicture(path, &error)) {
        showMessage(QStringLiteral("Cannot show the picture \"%1\": %2").arg(visibleName(name), error));
        return false;
    }
    state_.imagePath = path;
    lastUnloadable_.clear();
    Picture1->takeLoadedPicture(loaded);
    refreshDisplay();
    Picture4->resize(Picture1->size());
    Picture4->stretchFrom(*Picture1);
    form2().Picture1->setIndexedPicture(loaded.indexedPicture());
    Command7->setEnabled(true);
    Command3->setEnabled(true);
    return true;
}

bool Form1::readMapFile()
{
    const QString name = filListMap->fileName();
    if (name.isEmpty())
        return false;
    state_.mapPath = joinFolderPath(filListMap->path(), name);
    const MapReadResult result = lumarel::readMapFile(state_.mapPath, state_.mapPalette);
    if (!result.ok) {
        showMessage(result.error);
        return false;
    }
    return true;
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (!unloading_) {
        unloading_ = true;
        if (closeHelp)
            closeHelp();
    }
    event->accept();
    // Unloading the main window ends the program with every window.
    QCoreApplication::quit();
}

void Form1::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        command1Click();
        return;
    }
    if (event->key() == Qt::Key_Q || event->key() == Qt::Key_Escape) {
        quitImmediately();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form1::mousePressEvent(QMouseEvent* event)
{
    state_.stopAnimation = kTrue;
    QWidget::mousePressEvent(event);
}

}  // namespace lumarel
