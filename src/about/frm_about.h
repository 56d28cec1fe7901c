#pragma once
// The about window: the program's title and version, a line inviting comments and error reports,
// the project's web links, and a button that starts the desktop's system-information viewer.
// Not modal; OK closes and destroys it, so the next opening builds it (and its texts) afresh.
// The program keeps at most one open.

#include <QDialog>
#include <memory>

#include "platform/registry_reader.h"
#include "platform/web_link.h"

class QLabel;
class QPushButton;

namespace lumarel {

class LinkLabel;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Starts the system-information viewer, or tells the user that none is available.
    void StartSysInfo();

    // Where the link labels send their addresses; the desktop's browser unless replaced.
    void setWebOpener(WebOpener opener) { webOpener_ = std::move(opener); }

private:
    void arrange();
    void Form_Load();

    QLabel* imgLogo = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Label1 = nullptr;
    LinkLabel* Label2 = nullptr;  // the program's page
    LinkLabel* Label3 = nullptr;  // the sponsor's page
    LinkLabel* Label4 = nullptr;  // the maker's page
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

    std::unique_ptr<RegistryReader> registry_;
    WebOpener webOpener_;
};

}  // namespace lumarel
