#pragma once
// The main window: the two file browsers, the picture areas, the map strip and the command buttons.
// It holds controls and calls window-free code; the program's shared state is handed to it.

#include <QWidget>
#include <memory>

#include "animation/display_surface.h"
#include "animation/wait_source.h"
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

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

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
