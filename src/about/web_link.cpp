#include "about/web_link.h"

#include <QDesktopServices>

namespace lumarel {

QString prefixedWebAddress(const QString& address)
{
    if (address.startsWith(QLatin1String("http"), Qt::CaseInsensitive))
        return address;
    return QStringLiteral("http://") + address;
}

bool OpenWebLink(const QString& address, const WebOpener& opener)
{
    const QUrl url(prefixedWebAddress(address), QUrl::TolerantMode);
    if (opener)
        return opener(url);
    return QDesktopServices::openUrl(url);
}

}  // namespace lumarel
