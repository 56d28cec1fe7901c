#pragma once
// Dialogs for widget tests: messages are recorded instead of shown, and the file dialogs answer
// with what the test queued (an empty answer is a cancel).

#include <QStringList>
#include <deque>

#include "platform/widgets/dialogs.h"

namespace lumarel::test {

class RecordingDialogs final : public Dialogs {
public:
    void message(QWidget* parent, const QString& title, const QString& text, Icon icon) override;
    QString openFileName(QWidget* parent, const FileDialogSettings& settings) override;
    QString saveFileName(QWidget* parent, const FileDialogSettings& settings) override;

    QStringList titles;    // of every message, in order
    QStringList messages;  // their texts
    std::deque<QString> answers;            // the next file names the dialogs return
    std::vector<FileDialogSettings> asked;  // what every file dialog was opened with
};

}  // namespace lumarel::test
