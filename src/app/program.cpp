#include "app/program.h"

#include <QCoreApplication>

#include "about/frm_about.h"
#include "app/form1.h"
#include "app/settings.h"
#include "midi/midi_output.h"
#include "platform/widgets/dialogs.h"
#include "platform/widgets/help_viewer.h"
#include "player/form3.h"

namespace lumarel {

Program::Program(const QString& programFolder, Dialogs* dialogs, OutputFactory makeOutput, Settings* settings)
    : ownDialogs_(dialogs ? nullptr : std::make_unique<QtDialogs>()),
      dialogs_(dialogs ? *dialogs : *ownDialogs_),
      ownSettings_(settings ? nullptr : std::make_unique<Settings>()),
      settings_(settings ? *settings : *ownSettings_),
      makeOutput_(makeOutput ? std::move(makeOutput) : OutputFactory([] { return std::make_unique<MIDIOutput>(); })),
      form1_(std::make_unique<Form1>(state_, programFolder, messages_, dialogs_))
{
    QObject::connect(form1_.get(), &Form1::helpRequested, form1_.get(), [this] { showHelp(); });
    QObject::connect(form1_.get(), &Form1::aboutRequested, form1_.get(), [this] { showAbout(); });
    QObject::connect(form1_.get(), &Form1::playerRequested, form1_.get(), [this] { openPlayer(); });
    QObject::connect(form1_.get(), &Form1::unloading, form1_.get(), [this] { closeHelp(); });
    // Q and Escape end the program at once: no window's unload handling runs.
    QObject::connect(form1_.get(), &Form1::quitRequested, form1_.get(), [] { QCoreApplication::exit(0); });

    // The browsers start where the last run left them; from now on every change is remembered.
    form1_->restoreBrowsing(settings_.browsing());
    QObject::connect(form1_.get(), &Form1::browsingChanged, form1_.get(),
                     [this] { settings_.setBrowsing(form1_->browsing()); });
    QObject::connect(form1_.get(), &Form1::filesDropped, form1_.get(),
                     [this](const QStringList& paths) { openDropped(paths, form1_.get()); });
}

Program::~Program()
{
    // The player first: its output silences the device before the windows go.
    form3_.reset();
    delete about_;
    delete help_;
    form1_.reset();
}

void Program::show()
{
    form1_->showMaximized();
}

Form3& Program::openPlayer()
{
    if (!form3_) {
        const PlayerContext context{state_, *form1_, form1_->pictureSurface(), messages_, source_, dialogs_};
        form3_ = std::make_unique<Form3>(context, makeOutput_());
        form3_->restoreSound(settings_.sound());
        Form3* player = form3_.get();
        QObject::connect(player, &Form3::soundChanged, player, [this, player] { settings_.setSound(player->soundChoice()); });
        QObject::connect(player, &Form3::filesDropped, player,
                         [this, player](const QStringList& paths) { openDropped(paths, player); });
        // A closed player is unloaded: the next opening runs its load step again.
        QObject::connect(form3_.get(), &Form3::unloaded, form1_.get(), [this] {
            if (form3_)
                form3_.release()->deleteLater();
        });
    }
    form3_->show();
    form3_->raise();
    form3_->activateWindow();
    return *form3_;
}

void Program::openFiles(const OpenRequest& files, QWidget* window)
{
    if (!files.others.isEmpty())
        dialogs_.message(window ? window : form1_.get(), QStringLiteral("Lumarel"), refusedFilesText(files.others));
    if (!files.picture.isEmpty())
        form1_->openPicture(files.picture);
    if (!files.map.isEmpty()) {
        if (files.picture.isEmpty())
            form1_->showMapsTab();
        form1_->openMap(files.map, true);
    }
    if (!files.song.isEmpty())
        openPlayer().loadMidiFile(files.song);
}

void Program::openDropped(const QStringList& paths, QWidget* window)
{
    // A drop is input: a cycling run takes it (it never reaches a window then); one that was
    // already under way when the run began is dropped with the rest of the run's input.
    if (messages_.running())
        return;
    openFiles(openRequestFor(paths), window);
}

void Program::showHelp()
{
    if (!help_)
        help_ = new HelpViewer(form1_.get());
    help_->showContents(state_.helpFile);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void Program::closeHelp()
{
    if (help_)
        help_->close();
}

void Program::showAbout()
{
    if (!about_)
        about_ = new frmAbout(form1_.get());
    about_->show();
    about_->raise();
    about_->activateWindow();
}

}  // namespace lumarel
