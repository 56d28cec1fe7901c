#include "platform/web_link.h"

#include <QDesktopServices>
#include <QRegularExpression>

namespace lumarel {

QString prefixedWebAddress(const QString& address)
{
    if (address.startsWith(QLatin1String("http"), Qt::CaseInsensitive))
        return address;
    return QStringLiteral("http://") + address;
}

bool OpenWebLink(const QString& address, const WebOpener& opener)
{
    const QString prefixed = prefixedWebAddress(address);
    QUrl url(prefixed, QUrl::TolerantMode);
    // Blanks are not part of an address: " www.x.org" is prefixed as it stands, then opened
    // without them rather than as an empty address.
    if (!url.isValid())
        url = QUrl(QString(prefixed).remove(QRegularExpression(QStringLiteral("\\s"))), QUrl::TolerantMode);
    if (opener)
        return opener(url);
    return QDesktopServices::openUrl(url);
}

}  // namespace lumarel
