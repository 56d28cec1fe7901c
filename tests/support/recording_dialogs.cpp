#include "support/recording_dialogs.h"

namespace lumarel::test {

void RecordingDialogs::message(QWidget*, const QString& title, const QString& text, Icon)
{
    titles << title;
    messages << text;
}

QString RecordingDialogs::openFileName(QWidget*, const FileDialogSettings& settings)
{
    asked.push_back(settings);
    if (answers.empty())
        return {};
    const QString answer = answers.front();
    answers.pop_front();
    return answer;
}

QString RecordingDialogs::saveFileName(QWidget* parent, const FileDialogSettings& settings)
{
    return openFileName(parent, settings);
}

}  // namespace lumarel::test
