#pragma once
// The running program: its shared state, the message wait its cycling runs share, and its windows,
// created on first use and wired together.

#include <QPointer>
#include <QStringList>
#include <QString>
#include <functional>
#include <memory>

#include "model/shared_state.h"
#include "animation/wait_source.h"
#include "app/open_request.h"
#include "platform/message_wait.h"

namespace lumarel {

class Dialogs;
class Form1;
class Form3;
class HelpViewer;
class MIDIOutput;
class Settings;
class frmAbout;

class Program {
public:
    using OutputFactory = std::function<std::unique_ptr<MIDIOutput>()>;

    // dialogs: what the windows show and ask (the desktop's when null); makeOutput: the player's
    // MIDI output (the system's devices when empty; tests hand in fake devices and a fake clock);
    // settings: what is remembered between runs (the user's file when null). The main window
    // starts where the last run left its browsers.
    explicit Program(const QString& programFolder, Dialogs* dialogs = nullptr, OutputFactory makeOutput = {},
                     Settings* settings = nullptr);
    ~Program();

    void show();
    SharedState& state() { return state_; }
    Form1& mainWindow() { return *form1_; }
    // The player window, created and shown on first use (and again after it was closed).
    Form3& openPlayer();
    // The player window while it is open, else nullptr.
    Form3* player() const { return form3_.get(); }

    // Opens files as a user choosing them would: the picture, then the map (with its cycling
    // step; the map tab comes forward when no picture comes with it), then the song in the player.
    // Files of other kinds are refused with one message, over window (the main window when null).
    void openFiles(const OpenRequest& files, QWidget* window = nullptr);

private:
    void showHelp();
    void openDropped(const QStringList& paths, QWidget* window);
    void closeHelp();
    void showAbout();

    SharedState state_;
    MessageWait messages_;
    WaitSource source_{messages_};
    std::unique_ptr<Dialogs> ownDialogs_;
    Dialogs& dialogs_;
    std::unique_ptr<Settings> ownSettings_;
    Settings& settings_;
    OutputFactory makeOutput_;
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<Form3> form3_;
    QPointer<HelpViewer> help_;
    QPointer<frmAbout> about_;
};

}  // namespace lumarel
