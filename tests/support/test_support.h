#pragma once
// Shared helpers for the tests: temporary files, the project's data folders and the corpus.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace lumarel::test {

QString sourceDir();                 // the project's source tree
QString corpusDir();                 // ../shared/corpus beside the source tree; may not exist
bool corpusPresent();
// Every file under dir (recursively) whose name ends with one of suffixes (case-insensitive).
QStringList filesUnder(const QString& dir, const QStringList& suffixes);
// Writes bytes to a new file in a temporary folder that lives until the test program ends.
QString writeTempFile(const QString& name, const QByteArray& bytes);
QString tempDir();

}  // namespace lumarel::test
