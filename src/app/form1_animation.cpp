// The main window's palette cycling: the map choice's single step, "&Animate Palette", and the
// run itself on the main picture.
#include <QFileInfo>

#include "animation/animate.h"
#include "animation/picture_surface.h"
#include "app/form1.h"
#include "maps/palette_strip.h"
#include "platform/message_wait.h"
#include "platform/visible_name.h"

namespace lumarel {

PictureSurface& Form1::paletteSurface()
{
    if (!surface_)
        surface_ = std::make_unique<PictureSurface>(*Picture1, *Picture2);
    return *surface_;
}

bool Form1::runAnimator(QString* error)
{
    // The message wait lives for this one run; the instance stays in animator until the next run
    // replaces it and is never run again.
    MessageWait messages;
    state_.animator = std::make_shared<Animate>(state_, messages);
    state_.animator->pict = &paletteSurface();
    state_.animator->File = state_.imagePath;
    return state_.animator->Show(error);
}

void Form1::cycleOnce()
{
    if (MessageWait::running())
        return;  // never a run inside a run
    refreshDisplay();
    state_.stopAnimation = kTrue;
    state_.cycleDelay = 0;
    QString error;
    do {
        if (!runAnimator(&error)) {
            reportUnloadable(error);
            return;
        }
    } while (state_.stopAnimation != kTrue);
}

void Form1::applyMapToDisplay()
{
    drawMapStrip(Picture3->drawing(), state_.mapPalette);
    Picture3->update();
    cycleOnce();
}

void Form1::runPaletteAnimation()
{
    if (MessageWait::running())
        return;
    state_.stopAnimation = kFalse;
    state_.cycleDelay = 0;
    QString error;
    do {
        if (!runAnimator(&error)) {
            // A picture that cannot be loaded would make this loop spin: stop and say why.
            state_.stopAnimation = kTrue;
            reportUnloadable(error);
            return;
        }
    } while (state_.stopAnimation != kTrue);
}

void Form1::command1Click()
{
    // Picture2 goes back to its persistent picture, the last copy drawn with persistence on.
    Picture2->update();
    runPaletteAnimation();
}

void Form1::reportUnloadable(const QString& error)
{
    // One message per picture that fails, not one per note of a song.
    if (lastUnloadable_ == state_.imagePath)
        return;
    lastUnloadable_ = state_.imagePath;
    showMessage(QStringLiteral("Cannot show the picture \"%1\": %2")
                    .arg(visibleName(QFileInfo(state_.imagePath).fileName()), error));
}

}  // namespace lumarel
