// The main window's picture: choosing an image, choosing a map (its strip and one cycling step),
// and "&Animate Palette".
#include <QFileInfo>
#include <QPushButton>

#include "animation/cycling.h"
#include "app/form1.h"
#include "app/form2.h"
#include "app/paths.h"
#include "maps/map_file.h"
#include "maps/palette_strip.h"
#include "platform/picture_refusal.h"
#include "platform/stretch.h"
#include "platform/widgets/dialogs.h"
#include "platform/widgets/file_list.h"
#include "platform/widgets/picture_box.h"

namespace lumarel {

void Form1::refreshDisplay()
{
    if (Picture1->indexedPicture())
        Picture2->display().setPicture(Picture1->indexedPicture());
    else
        Picture2->display().clear();
}

bool Form1::showImage()
{
    const QString name = filListBmp->fileName();
    if (name.isEmpty())
        return false;
    return showImageFile(joinFolderPath(filListBmp->path(), name), true);
}

bool Form1::showImageFile(const QString& path, bool tellUser)
{
    // Load first: a picture that cannot be read leaves the previous one and its state in place.
    PictureFiles::Loaded loaded = pictureFiles_.load(path);
    if (!loaded.picture) {
        if (tellUser)
            dialogs_.message(this, QStringLiteral("Lumarel"), loaded.error);
        highlightShownPicture();
        return false;
    }
    state_.imagePath = path;
    refusals_.shown();
    Picture1->setPicture(loaded.picture);
    refreshDisplay();
    Picture4->resize(Picture1->size());
    Picture4->setPicture(std::make_shared<const IndexedPicture>(stretchIndexed(*loaded.picture, Picture4->size())));
    form2().picture()->setPicture(loaded.picture);
    Command7->setEnabled(true);
    Command3->setEnabled(true);
    pictureChosen_ = true;
    emit browsingChanged();
    return true;
}

void Form1::highlightShownPicture()
{
    // The list highlights the picture that is shown, not one that was refused.
    const QFileInfo shown(state_.imagePath);
    const QString folder = filListBmp->path();
    const bool here = QFileInfo(folder) == QFileInfo(shown.path());
    const QList<QListWidgetItem*> found = here ? filListBmp->findItems(shown.fileName(), Qt::MatchExactly)
                                               : QList<QListWidgetItem*>{};
    const QSignalBlocker blocker(filListBmp);
    if (found.isEmpty()) {
        filListBmp->clearSelection();
        filListBmp->setCurrentItem(nullptr);
    } else {
        filListBmp->setCurrentItem(found.first());
    }
}

bool Form1::readMapFile()
{
    const QString name = filListMap->fileName();
    if (name.isEmpty())
        return false;
    return readMapFileAt(joinFolderPath(filListMap->path(), name), true);
}

bool Form1::readMapFileAt(const QString& path, bool tellUser)
{
    const QString previous = state_.mapPath;
    state_.mapPath = path;
    const MapReadResult result = lumarel::readMapFile(state_.mapPath, state_.mapPalette);
    if (!result.ok) {
        if (tellUser)
            dialogs_.message(this, QStringLiteral("Lumarel"), result.error);
        else
            state_.mapPath = previous;  // nobody chose it: as if it had never been tried
        return false;
    }
    readMap_ = path;
    emit browsingChanged();
    return true;
}

void Form1::drawStrip()
{
    drawMapStrip(Picture3->drawing(), state_.mapPalette);
    Picture3->update();
}

void Form1::applyMapToDisplay()
{
    drawStrip();
    refreshDisplay();
    const CyclingResult result = runCycling(*surface_, messages_, state_.imagePath, state_.generatedPalette,
                                            state_.cycling, CyclingStart::OneStep);
    if (result.outcome == CyclingOutcome::Unloadable)
        reportUnloadable(result.error);
}

void Form1::runPaletteAnimation()
{
    const CyclingResult result = runCycling(*surface_, messages_, state_.imagePath, state_.generatedPalette,
                                            state_.cycling, CyclingStart::UntilStopped);
    if (result.outcome == CyclingOutcome::Unloadable)
        reportUnloadable(result.error);
}

void Form1::command1Click()
{
    // Picture2 goes back to its persistent picture, the last copy drawn with persistence on.
    Picture2->update();
    runPaletteAnimation();
}

void Form1::reportUnloadable(const QString& error)
{
    if (refusals_.firstFor(state_.imagePath))
        dialogs_.message(this, QStringLiteral("Lumarel"), error);
}

}  // namespace lumarel
