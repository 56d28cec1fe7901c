#include "support/test_support.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace lumarel::test {

QString sourceDir() { return QStringLiteral(LUMAREL_SOURCE_DIR); }

QString corpusDir() { return QDir::cleanPath(QStringLiteral(LUMAREL_CORPUS_DIR)); }

bool corpusPresent() { return QDir(corpusDir()).exists(); }

QStringList filesUnder(const QString& dir, const QStringList& suffixes)
{
    QStringList found;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        for (const QString& suffix : suffixes) {
            if (path.endsWith(suffix, Qt::CaseInsensitive)) {
                found << path;
                break;
            }
        }
    }
    found.sort();
    return found;
}

QString tempDir()
{
    static std::unique_ptr<QTemporaryDir> dir = std::make_unique<QTemporaryDir>();
    return dir->path();
}

QString writeTempFile(const QString& name, const QByteArray& bytes)
{
    const QString path = tempDir() + QLatin1Char('/') + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

}  // namespace lumarel::test
