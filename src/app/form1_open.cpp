// The main window opening files it is given (command line, drops) as a user choosing them in the
// lists would, and the browsers' state remembered between runs.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QSignalBlocker>

#include "app/form1.h"
#include "app/tab_control.h"
#include "platform/widgets/dropped_files.h"
#include "platform/widgets/file_list.h"
#include "platform/widgets/folder_list.h"

namespace lumarel {

namespace {

// Selects path's entry in a file list that shows path's folder, without choosing it (no click
// handler runs). False when the list shows another folder or has no such entry.
bool selectFile(FileList* files, const QString& path)
{
    const QFileInfo file(path);
    if (QFileInfo(files->path()) != QFileInfo(file.path()))
        return false;
    QList<QListWidgetItem*> found = files->findItems(file.fileName(), Qt::MatchExactly);
    if (found.isEmpty()) {
        // The file may be newer than the listing.
        files->setPath(files->path());
        found = files->findItems(file.fileName(), Qt::MatchExactly);
    }
    if (found.isEmpty())
        return false;
    const QSignalBlocker blocker(files);
    files->setCurrentItem(found.first());
    files->scrollToItem(found.first());
    return true;
}

// The folder list (and through it the drive and file lists) moves to path's folder, and the file
// list selects path.
void moveListsTo(FolderList* folders, FileList* files, const QString& path)
{
    folders->setPath(QFileInfo(path).absolutePath());
    selectFile(files, path);
}

bool isFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool isFile(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

}  // namespace

bool Form1::openPicture(const QString& path)
{
    moveListsTo(dirListBmp, filListBmp, path);
    return showImageFile(path, true);
}

bool Form1::openMap(const QString& path, bool withCyclingStep)
{
    moveListsTo(dirListMap, filListMap, path);
    if (!readMapFileAt(path, true))
        return false;
    if (withCyclingStep)
        applyMapToDisplay();
    else
        drawStrip();
    return true;
}

void Form1::showMapsTab()
{
    SSTab1->bar()->setCurrentIndex(1);
}

BrowsingState Form1::browsing() const
{
    BrowsingState state;
    state.pictureFolder = dirListBmp->path();
    state.picture = pictureChosen_ ? state_.imagePath : QString();
    state.mapFolder = dirListMap->path();
    state.map = readMap_;
    return state;
}

void Form1::restoreBrowsing(const BrowsingState& remembered)
{
    // Each list goes back to its folder; the picture and the map show again, selected where their
    // list shows their folder. The map's strip is drawn, but the picture keeps its own colours: no
    // cycling step runs until the user acts.
    if (isFolder(remembered.pictureFolder))
        dirListBmp->setPath(remembered.pictureFolder);
    if (isFolder(remembered.mapFolder))
        dirListMap->setPath(remembered.mapFolder);
    if (isFile(remembered.picture) && showImageFile(remembered.picture, false))
        selectFile(filListBmp, remembered.picture);
    if (isFile(remembered.map) && readMapFileAt(remembered.map, false)) {
        drawStrip();
        selectFile(filListMap, remembered.map);
    }
}

void Form1::dragEnterEvent(QDragEnterEvent* event)
{
    // During a cycling run the run takes the drag as input and it never gets here.
    if (carriesFiles(event->mimeData()))
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event)
{
    const QStringList paths = droppedFiles(event->mimeData());
    event->acceptProposedAction();
    // Opened once the drop is over: the drag's source waits for its answer meanwhile, and a
    // map's cycling step must not run inside the drop.
    QMetaObject::invokeMethod(this, [this, paths] { emit filesDropped(paths); }, Qt::QueuedConnection);
}

}  // namespace lumarel
