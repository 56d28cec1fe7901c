#pragma once
// Opening a web address in the user's default browser.

#include <QString>
#include <QUrl>
#include <functional>

namespace lumarel {

// Hands an address to the desktop; true when the desktop accepted it.
using WebOpener = std::function<bool(const QUrl& url)>;

// The address as it is opened: unchanged when it begins with "http" in any letter case,
// otherwise with "http://" in front. Nothing else is checked.
QString prefixedWebAddress(const QString& address);

// Opens prefixedWebAddress(address) through opener (the desktop's default handler when none is
// given) and returns whether it was accepted. Shows nothing on failure.
bool OpenWebLink(const QString& address, const WebOpener& opener = {});

}  // namespace lumarel
