#include "export/atomic_output.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <filesystem>
#include <system_error>

namespace lumarel {

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString randomTag()
{
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString tag;
    for (int i = 0; i < 6; ++i)
        tag += QLatin1Char(alphabet[QRandomGenerator::global()->bounded(int(sizeof(alphabet) - 1))]);
    return tag;
}

}  // namespace

AtomicOutput::AtomicOutput(QString destination, QString temporary)
    : destination_(std::move(destination)), temporary_(std::move(temporary))
{
}

std::unique_ptr<AtomicOutput> AtomicOutput::create(const QString& destination, QString* error)
{
    const QFileInfo target(destination);
    const QString folder = QDir::toNativeSeparators(target.absolutePath());
    if (destination.isEmpty() || target.fileName().isEmpty()) {
        setError(error, QStringLiteral("No output file was given."));
        return nullptr;
    }
    const QFileInfo folderInfo(target.absolutePath());
    if (!folderInfo.exists()) {
        setError(error, QStringLiteral("The folder %1 does not exist.").arg(folder));
        return nullptr;
    }
    if (!folderInfo.isDir()) {
        setError(error, QStringLiteral("%1 is not a folder.").arg(folder));
        return nullptr;
    }
    if (target.isDir()) {
        setError(error, QStringLiteral("%1 is a folder, not a file.").arg(QDir::toNativeSeparators(target.absoluteFilePath())));
        return nullptr;
    }
    // NewOnly never reuses an existing name; a few tries cover the rare clash.
    QString lastReason;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString temporary = target.absolutePath() + QLatin1Char('/') + QLatin1Char('.') + target.fileName() +
                                  QLatin1Char('.') + randomTag() + QStringLiteral(".part");
        QFile file(temporary);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            file.close();
            return std::unique_ptr<AtomicOutput>(new AtomicOutput(target.absoluteFilePath(), temporary));
        }
        lastReason = file.errorString();
        if (!QFile::exists(temporary))
            break;  // not a clash of names: the folder refuses
    }
    setError(error, QStringLiteral("The folder %1 cannot be written: %2").arg(folder, lastReason));
    return nullptr;
}

AtomicOutput::~AtomicOutput()
{
    if (!committed_)
        QFile::remove(temporary_);
}

bool AtomicOutput::commit(QString* error)
{
    if (committed_)
        return true;
    // std::filesystem::rename replaces an existing destination in one step (POSIX rename).
    std::error_code failure;
    std::filesystem::rename(std::filesystem::path(temporary_.toStdU16String()),
                            std::filesystem::path(destination_.toStdU16String()), failure);
    if (failure) {
        setError(error, QStringLiteral("Could not write %1: %2")
                            .arg(QDir::toNativeSeparators(destination_), QString::fromStdString(failure.message())));
        QFile::remove(temporary_);
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace lumarel
