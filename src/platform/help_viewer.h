#pragma once
// The program's help window: shows the help file (an HTML document beside the program) at its
// contents. One window serves every call; closeHelp() closes it again.

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace lumarel {

class HelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* owner = nullptr);

    // Loads helpFile afresh and shows its beginning. A file that cannot be read gives a message
    // naming it instead. True when the file was shown.
    bool showContents(const QString& helpFile);

    QTextBrowser* browser() const { return browser_; }
    const QString& helpFile() const { return helpFile_; }

private:
    QTextBrowser* browser_ = nullptr;
    QString helpFile_;
};

// Opens helpFile at its contents in the help window, creating the window (owned by owner, which
// may be null) on first use, and brings it forward.
void showHelpContents(QWidget* owner, const QString& helpFile);
// Closes the help window, if it is open.
void closeHelp();
// The open help window, or nullptr.
HelpViewer* helpViewer();

}  // namespace lumarel
