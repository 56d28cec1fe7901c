#pragma once
// Telling the user that a picture cannot be shown: once per picture, not once per step of a run or
// per note of a song.

#include <QString>

namespace lumarel {

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
