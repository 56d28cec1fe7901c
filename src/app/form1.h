#pragma once
// The main window: the two file browsers, the picture areas, the map strip and the command buttons.
// It holds controls and calls window-free code; the program's shared state is handed to it.

#include <QElapsedTimer>
#include <QWidget>
#include <memory>

#include "animation/display_surface.h"
#include "animation/wait_source.h"
#include "app/browsing_state.h"
#include "app/layout.h"
#include "model/shared_state.h"
#include "platform/picture_files.h"
#include "platform/picture_refusal.h"

class QGroupBox;
class QPushButton;
class QShortcut;

namespace lumarel {

class Dialogs;
class DriveList;
class FileList;
class FolderList;
class Form2;
class MessageWait;
class PictureBox;
class TabControl;

class Form1 : public QWidget {
    Q_OBJECT
public:
    // programFolder: where the help, the logo and the samples are; the program's own folder.
    Form1(SharedState& state, const QString& programFolder, MessageWait& messages, Dialogs& dialogs,
          QWidget* parent = nullptr);
    ~Form1() override;

    // The handlers and shared operations of the main window.
    bool showImage();
    bool readMapFile();
    void applyMapToDisplay();
    void runPaletteAnimation();
    void command1Click();
    void copyPicture();
    void saveBitmap();

    // Files opened from the command line or dropped, as a user choosing them would: the lists move
    // to the file and select it; refusals are told. A map read with its cycling step is the map
    // list's click; without it, only the strip is drawn.
    bool openPicture(const QString& path);
    bool openMap(const QString& path, bool withCyclingStep);
    void showMapsTab();
    // Where the browsers are and what they chose; restoring it (at start) asks and tells nothing:
    // whatever is gone leaves the load step's start as it is.
    BrowsingState browsing() const;
    void restoreBrowsing(const BrowsingState& remembered);

    // The main picture as a cycling run's surface: files load through the window's picture cache
    // and show on the visible display (Picture2).
    PaletteSurface& pictureSurface() { return *surface_; }
    Form2& form2();  // created hidden on first use

signals:
    void helpRequested();
    void aboutRequested();
    void playerRequested();
    // Q or Escape outside a run: the program ends at once, without the unload handling.
    void quitRequested();
    // The window unloads ("&Quit" or closing it): the help viewer closes, then the program ends.
    void unloading();
    // A folder was entered, a picture shown or a map read.
    void browsingChanged();
    // Files were dropped on the window; whoever owns the windows opens them.
    void filesDropped(const QStringList& paths);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    void createBrowsers();
    void load();
    void applyLayout();
    // refreshKey re-reads the browser's folder (F5), as a change seen on disk does.
    void connectBrowser(DriveList* drives, FolderList* folders, FileList* files, QShortcut* refreshKey);
    void enterHighlighted(FolderList* folders);
    // Shows Picture1's picture stretched in Picture2 in its own colours, as its persistent picture.
    void refreshDisplay();
    void highlightShownPicture();
    bool showImageFile(const QString& path, bool tellUser);
    bool readMapFileAt(const QString& path, bool tellUser);
    void drawStrip();
    // Window comforts (form1_window.cpp): the picture area and the strip follow the window's size;
    // a window restored from maximised fits the work area.
    void followWindowSize();
    void fitSoonAfterRestore();
    void fitInsideWorkArea();
    void reportUnloadable(const QString& error);
    bool handleWindowKey(int key, bool autoRepeat);

    SharedState& state_;
    QString programFolder_;
    Dialogs& dialogs_;
    WaitSource messages_;
    PictureFiles pictureFiles_;
    std::unique_ptr<Form2> form2_;
    bool unloading_ = false;
    PictureRefusals refusals_;
    bool pictureChosen_ = false;  // a picture was shown in place of the logo
    QString readMap_;             // the map last read, or empty

    MainLayout layout_;  // the load step's layout, for the window's inner size designSize_
    QSize designSize_;
    QElapsedTimer restoredAt_;  // since the window was restored from maximised
    bool fitPending_ = false;

    // Controls.
    TabControl* SSTab1 = nullptr;
    DriveList* drvListBmp = nullptr;
    FolderList* dirListBmp = nullptr;
    FileList* filListBmp = nullptr;
    DriveList* drvListMap = nullptr;
    FolderList* dirListMap = nullptr;
    FileList* filListMap = nullptr;
    PictureBox* Picture1 = nullptr;  // hidden: the chosen image at its own size
    PictureBox* Picture2 = nullptr;  // the visible display
    PictureBox* Picture3 = nullptr;  // the map strip
    PictureBox* Picture4 = nullptr;  // hidden: a copy at Picture1's size, for copy and save
    QGroupBox* Frame1 = nullptr;
    QPushButton* Command1 = nullptr;  // "&Animate Palette"
    QPushButton* Command2 = nullptr;  // "&Help"
    QPushButton* Command3 = nullptr;  // "&Save Bmp"
    QPushButton* Command4 = nullptr;  // "&About"
    QPushButton* Command5 = nullptr;  // "&Midi File Player"
    QPushButton* Command6 = nullptr;  // "&Quit"
    QPushButton* Command7 = nullptr;  // "&Copy"
    QPushButton* Command8 = nullptr;  // "&Plug - In", never enabled

    std::unique_ptr<DisplaySurface> surface_;  // over Picture2's display
};

}  // namespace lumarel
