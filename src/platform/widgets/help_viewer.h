#pragma once
// The program's help window: shows the help file (an HTML document beside the program) at its
// contents. The program keeps one and closes it when the main window unloads.

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

}  // namespace lumarel
