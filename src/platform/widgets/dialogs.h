#pragma once
// What the windows ask of the user through dialogs: a message box with an OK button, a file to
// open, a file name to save under. The program hands every window one Dialogs; tests hand in one
// that records the messages and answers the questions.

#include <QString>
#include <QStringList>

class QWidget;

namespace lumarel {

struct FileDialogSettings {
    QString title;
    QStringList filters;   // "Files Bmp (*.BMP)", ...; the first is preselected
    QString defaultSuffix; // added to a name typed without one under the first filter
    QString folder;        // where the dialog opens
    QString fileName;      // a name proposed in the folder; empty proposes none
    bool showPatterns = true;  // false: a filter shows its description only, not its patterns again
    bool suffixFromFilter = false;  // a name typed without a suffix takes the chosen filter's
};

class Dialogs {
public:
    enum class Icon { Warning, Information };  // Warning is the exclamation mark

    virtual ~Dialogs() = default;
    // Waits for OK. The text is shown as plain text: names from files and paths are never markup.
    virtual void message(QWidget* parent, const QString& title, const QString& text, Icon icon = Icon::Warning) = 0;
    // The chosen existing file, or empty when cancelled.
    virtual QString openFileName(QWidget* parent, const FileDialogSettings& settings) = 0;
    // The chosen file name, or empty when cancelled.
    virtual QString saveFileName(QWidget* parent, const FileDialogSettings& settings) = 0;
};

// The desktop's dialogs.
class QtDialogs final : public Dialogs {
public:
    void message(QWidget* parent, const QString& title, const QString& text, Icon icon) override;
    QString openFileName(QWidget* parent, const FileDialogSettings& settings) override;
    QString saveFileName(QWidget* parent, const FileDialogSettings& settings) override;
};

}  // namespace lumarel
