#pragma once
// Telling the user that a picture cannot be shown: once per picture, not once per step of a run or
// per note of a song.

#include <QFileInfo>
#include <QString>

namespace lumarel {

// The message for a picture that cannot be shown, naming it once.
inline QString cannotShowPicture(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot show the picture \"%1\": %2").arg(QFileInfo(path).fileName(), reason);
}

class PictureRefusals {
public:
    // True the first time a picture is refused after another one (or a success); then false for it.
    bool firstFor(const QString& path)
    {
        if (path == last_)
            return false;
        last_ = path;
        return true;
    }
    // The picture was shown: a later refusal of it is news again.
    void shown() { last_.clear(); }

private:
    QString last_;
};

}  // namespace lumarel
