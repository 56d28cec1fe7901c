#pragma once
// Text rules the program shares.

#include <QString>

namespace lumarel {

// The text with its leading and trailing blanks (the space character only) removed; tabs and line
// ends stay, unlike QString::trimmed().
inline QString trimmedBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

}  // namespace lumarel
