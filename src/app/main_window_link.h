#pragma once
// What the player window may reach of the main window. The main window hands this to the player,
// so the player never needs the main window itself.

class QWidget;

namespace lumarel {

class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;
    virtual QWidget* mainWindow() = 0;
    // Redraws the shown picture and gives it one cycling step with the generated palette
    // (a run started with stopAnimation already true). Does nothing while a run is in progress.
    virtual void cycleOnce() = 0;
};

}  // namespace lumarel
