#include "midi/sound_fonts.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

#include "midi/fluid_synth_device.h"

namespace lumarel {

QStringList standardSoundFontFolders()
{
    QStringList folders;
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        folders << data + QStringLiteral("/sounds/sf2") << data + QStringLiteral("/soundfonts");
    }
    for (const QString& system : {QStringLiteral("/usr/share/sounds/sf2"), QStringLiteral("/usr/share/soundfonts")}) {
        if (!folders.contains(system))
            folders << system;
    }
    return folders;
}

std::vector<SoundFontFile> installedSoundFonts(const QStringList& folders)
{
    std::vector<SoundFontFile> found;
    QStringList seen;  // canonical paths of the files already listed
    for (const QString& folder : folders) {
        const QFileInfoList entries =
            QDir(folder).entryInfoList({QStringLiteral("*.sf2"), QStringLiteral("*.sf3")},
                                       QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo& entry : entries) {
            const QString real = entry.canonicalFilePath();
            if (real.isEmpty() || seen.contains(real))
                continue;
            seen << real;
            found.push_back({entry.absoluteFilePath(), soundFontName(entry.absoluteFilePath())});
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const SoundFontFile& a, const SoundFontFile& b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
    return found;
}

QString soundFontName(const QString& path)
{
    const QFileInfo info(path);
    const QString real = info.canonicalFilePath();
    return QFileInfo(real.isEmpty() ? path : real).completeBaseName();
}

std::optional<QString> soundFontProblem(const QString& path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (!info.exists())
        return QStringLiteral("The SoundFont \"%1\" does not exist.").arg(name);
    if (!info.isFile())
        return QStringLiteral("\"%1\" is not a file, so it cannot be a SoundFont.").arg(name);
    if (!info.isReadable())
        return QStringLiteral("You do not have permission to read the SoundFont \"%1\".").arg(name);
    if (FluidSynthDevice::checkSoundFont(info.absoluteFilePath()))
        return QStringLiteral("The built-in synth cannot load \"%1\": it is not a SoundFont it can read.").arg(name);
    return std::nullopt;
}

}  // namespace lumarel
