#include "app/program.h"

#include <QCoreApplication>

#include "about/frm_about.h"
#include "app/form1.h"
#include "midi/midi_output.h"
#include "platform/widgets/dialogs.h"
#include "platform/widgets/help_viewer.h"
#include "player/form3.h"

namespace lumarel {

Program::Program(const QString& programFolder, Dialogs* dialogs, OutputFactory makeOutput)
    : ownDialogs_(dialogs ? nullptr : std::make_unique<QtDialogs>()),
      dialogs_(dialogs ? *dialogs : *ownDialogs_),
      makeOutput_(makeOutput ? std::move(makeOutput) : OutputFactory([] { return std::make_unique<MIDIOutput>(); })),
      form1_(std::make_unique<Form1>(state_, programFolder, messages_, dialogs_))
{
    QObject::connect(form1_.get(), &Form1::helpRequested, form1_.get(), [this] { showHelp(); });
    QObject::connect(form1_.get(), &Form1::aboutRequested, form1_.get(), [this] { showAbout(); });
    QObject::connect(form1_.get(), &Form1::playerRequested, form1_.get(), [this] { openPlayer(); });
    QObject::connect(form1_.get(), &Form1::unloading, form1_.get(), [this] { closeHelp(); });
    // Q and Escape end the program at once: no window's unload handling runs.
    QObject::connect(form1_.get(), &Form1::quitRequested, form1_.get(), [] { QCoreApplication::exit(0); });
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
