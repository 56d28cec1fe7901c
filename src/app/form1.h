#pragma once
// The main window: the two file browsers, the picture areas, the map strip and the command buttons.
// It holds controls and calls window-free code; the program's shared state is handed to it.

#include <QGroupBox>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/main_window_link.h"
#include "app/shared_state.h"
#include "platform/drive_list.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/picture_box.h"

namespace lumarel {

class Form2;
class MessageWait;
class PictureSurface;

// The tab control of the two browsers: a tab bar over two pages; the pages' children are placed
// in the control's own coordinates, as the designed layout gives them.
class TabControl : public QWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent = nullptr);
    QTabBar* bar;
    QWidget* page(int i) { return pages_[i]; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* pages_[2];
};

class Form1 : public QWidget, public MainWindowLink {
    Q_OBJECT
public:
    // programFolder: where the help, the logo and the samples are; the program's own folder.
    Form1(SharedState& state, const QString& programFolder, QWidget* parent = nullptr);
    ~Form1() override;

    // Controls, named as the rest of the program knows them.
    TabControl* SSTab1;
    DriveList* drvListBmp;
    FolderList* dirListBmp;
    FileList* filListBmp;
    DriveList* drvListMap;
    FolderList* dirListMap;
    FileList* filListMap;
    PictureBox* Picture1;  // hidden: the chosen image at its own size
    PictureBox* Picture2;  // the visible display
    PictureBox* Picture3;  // the map strip
    PictureBox* Picture4;  // hidden: a copy at Picture1's size, for copy and save
    QGroupBox* Frame1;
    QPushButton* Command1;  // "&Animate Palette"
    QPushButton* Command2;  // "&Help"
    QPushButton* Command3;  // "&Save Bmp"
    QPushButton* Command4;  // "&About"
    QPushButton* Command5;  // "&Midi File Player"
    QPushButton* Command6;  // "&Quit"
    QPushButton* Command7;  // "&Copy"
    QPushButton* Command8;  // "&Plug - In", never enabled

    Form2& form2();  // created hidden on first use

    // The handlers and shared operations of the main window.
    bool showImage();
    bool readMapFile();
    void applyMapToDisplay();
    void runPaletteAnimation();
    void command1Click();
    void copyPicture();
    void saveBitmap();
    // The picture engine's surface: Picture1 holds the image, Picture2 shows it.
    PictureSurface& paletteSurface();

    // What the player reaches of this window.
    QWidget* mainWindow() override { return this; }
    void cycleOnce() override;

    // Seams for what leaves the window: tests replace them.
    std::function<void(const QString& text)> showMessage;          // a warning to the user
    std::function<QString()> askSaveFileName;                        // empty on cancel
    std::function<void()> quitImmediately;                           // Q and Escape
    std::function<void()> openAbout;                                 // "&About"
    std::function<void()> openPlayer;                                // "&Midi File Player"
    std::function<void()> showHelpContents;                          // "&Help"
    std::function<void()> closeHelp;                                 // on unload

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void createControls();
    void load();
    void applyLayout();
    // refreshKey re-reads the browser's folder (F5), as a change seen on disk does.
    void connectBrowser(DriveList* drives, FolderList* folders, FileList* files, QShortcut* refreshKey);
    void enterHighlighted(FolderList* folders);
    // Shows Picture1's picture stretched in Picture2, as the display's persistent picture.
    void refreshDisplay();
    bool runAnimator(QString* error);
    void reportUnloadable(const QString& error);

    SharedState& state_;
    QString programFolder_;
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<PictureSurface> surface_;
    bool unloading_ = false;
    QString lastUnloadable_;  // the picture last reported as unloadable
};

}  // namespace lumarel
