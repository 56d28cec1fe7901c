#pragma once
// What a window takes from a drag: URLs only (files, normally). A dropped URL becomes a local
// path, or stays its text when it names no local file, so whoever opens it can refuse it by name.

#include <QDropEvent>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

namespace lumarel {

inline bool carriesFiles(const QMimeData* data)
{
    return data && data->hasUrls();
}

inline QStringList droppedFiles(const QMimeData* data)
{
    QStringList paths;
    if (!carriesFiles(data))
        return paths;
    for (const QUrl& url : data->urls())
        paths << (url.isLocalFile() ? url.toLocalFile() : url.toDisplayString());
    return paths;
}

}  // namespace lumarel
