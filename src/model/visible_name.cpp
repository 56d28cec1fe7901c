#include "model/visible_name.h"

#include "model/path_codec.h"

namespace lumarel {

namespace {

// Characters that change how the text around them is shown, or show nothing. The joiners
// U+200C and U+200D stay: several scripts and emoji need them, and they move nothing.
bool actsInsteadOfShowing(char32_t code)
{
    if (code == 0x200C || code == 0x200D)
        return false;
    switch (QChar::category(code)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Surrogate:
        return true;
    default:
        return false;
    }
}

QString codeName(char32_t code)
{
    return QStringLiteral("<U+%1>").arg(QString::number(uint(code), 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

}  // namespace

QString visibleName(const QString& name)
{
    QString shown;
    qsizetype copied = 0;  // name[0, copied) is already in shown
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t ch = name[i].unicode();
        char32_t code = ch;
        qsizetype width = 1;
        if (QChar::isHighSurrogate(ch) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(ch, name[i + 1].unicode());
            width = 2;
        }
        QString replacement;
        if (width == 1 && isEscapedByte(ch))
            replacement = QStringLiteral("\\x") + QString::number(escapedByte(ch), 16).toUpper();
        else if (actsInsteadOfShowing(code))
            replacement = codeName(code);
        if (!replacement.isNull()) {
            shown += QStringView(name).sliced(copied, i - copied);
            shown += replacement;
            copied = i + width;
        }
        i += width - 1;
    }
    if (copied == 0)
        return name;
    shown += QStringView(name).sliced(copied);
    return shown;
}

}  // namespace lumarel
