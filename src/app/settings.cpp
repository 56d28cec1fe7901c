#include "app/settings.h"

#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

namespace lumarel {

namespace {

// sync: the keys of browsing() and setBrowsing(), sound() and setSound().
const QString kPictureFolder = QStringLiteral("pictures/folder");
const QString kPicture = QStringLiteral("pictures/file");
const QString kMapFolder = QStringLiteral("maps/folder");
const QString kMap = QStringLiteral("maps/file");
const QString kDevice = QStringLiteral("player/device");
const QString kSoundFont = QStringLiteral("player/soundfont");
const QString kVolume = QStringLiteral("player/volume");

// Writes a value, or removes the key for an empty one, so the file holds only what was chosen.
void store(QSettings& settings, const QString& key, const QString& value)
{
    if (value.isEmpty())
        settings.remove(key);
    else
        settings.setValue(key, value);
}

}  // namespace

Settings::Settings() : Settings(userFile()) {}

Settings::Settings(const QString& file) : settings_(std::make_unique<QSettings>(file, QSettings::IniFormat)) {}

Settings::~Settings() = default;

QString Settings::userFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/lumarel/lumarel.conf");
}

QString Settings::file() const
{
    return settings_->fileName();
}

BrowsingState Settings::browsing() const
{
    BrowsingState state;
    state.pictureFolder = settings_->value(kPictureFolder).toString();
    state.picture = settings_->value(kPicture).toString();
    state.mapFolder = settings_->value(kMapFolder).toString();
    state.map = settings_->value(kMap).toString();
    return state;
}

void Settings::setBrowsing(const BrowsingState& state)
{
    store(*settings_, kPictureFolder, state.pictureFolder);
    store(*settings_, kPicture, state.picture);
    store(*settings_, kMapFolder, state.mapFolder);
    store(*settings_, kMap, state.map);
    settings_->sync();
}

SoundChoice Settings::sound() const
{
    SoundChoice choice;
    choice.device = settings_->value(kDevice).toString();
    choice.soundFont = settings_->value(kSoundFont).toString();
    bool ok = false;
    const int volume = settings_->value(kVolume, 100).toInt(&ok);
    choice.volumePercent = ok ? std::clamp(volume, 0, SoundChoice::kMaxVolumePercent) : 100;
    return choice;
}

void Settings::setSound(const SoundChoice& choice)
{
    store(*settings_, kDevice, choice.device);
    store(*settings_, kSoundFont, choice.soundFont);
    if (choice.volumePercent == 100)
        settings_->remove(kVolume);
    else
        settings_->setValue(kVolume, choice.volumePercent);
    settings_->sync();
}

}  // namespace lumarel
