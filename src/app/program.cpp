#include "app/program.h"

#include "about/frm_about.h"
#include "app/form1.h"
#include "platform/help_viewer.h"
#include "player/form3.h"
#include "player/midi_output.h"

namespace lumarel {

Program::Program(const QString& programFolder)
    : form1_(std::make_unique<Form1>(state_, programFolder))
{
    makeOutput = [] { return std::make_unique<MIDIOutput>(); };
    form1_->openAbout = [this] { frmAbout::showInstance(form1_.get()); };
    form1_->showHelpContents = [this] { lumarel::showHelpContents(form1_.get(), state_.helpFile); };
    form1_->closeHelp = [] { lumarel::closeHelp(); };
    form1_->openPlayer = [this] {
        Form3& player = form3();
        player.show();
        player.raise();
        player.activateWindow();
    };
}

Program::~Program()
{
    // The player first: its output silences the device before the windows go.
    form3_.reset();
    form1_.reset();
}

void Program::show()
{
    form1_->showMaximized();
}

Form3& Program::form3()
{
    if (!form3_)
        form3_ = std::make_unique<Form3>(state_, *form1_, makeOutput());
    return *form3_;
}

}  // namespace lumarel
