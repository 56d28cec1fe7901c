#pragma once
// What the program remembers between runs, in an INI file in the user's configuration folder
// (<config>/lumarel/lumarel.conf): the browsers' folders and choices, and the player's sound.
// Nothing is written until the user changes something; a file that is missing or unreadable
// reads as "nothing remembered".

#include <QString>
#include <memory>

#include "app/browsing_state.h"
#include "player/sound_choice.h"

class QSettings;

namespace lumarel {

class Settings {
public:
    // The user's file (QStandardPaths' configuration folder, so tests in test mode get their own).
    Settings();
    // Any file: tests keep theirs in a temporary folder.
    explicit Settings(const QString& file);
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    static QString userFile();
    QString file() const;

    BrowsingState browsing() const;
    void setBrowsing(const BrowsingState& state);
    SoundChoice sound() const;
    void setSound(const SoundChoice& choice);

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace lumarel
