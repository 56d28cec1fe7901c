#pragma once
// SoundFonts for the built-in synth: the ones installed on the system, the name a SoundFont is
// shown by, and whether FluidSynth can load a file as one.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace lumarel {

struct SoundFontFile {
    QString path;  // as found (a link keeps its own path)
    QString name;  // soundFontName(path)
};

// Where distributions install SoundFonts: sounds/sf2 and soundfonts under every data folder
// (/usr/share, /usr/local/share, the user's own).
QStringList standardSoundFontFolders();

// The .sf2 and .sf3 files in folders, each file once (links to the same file count once, under
// the first name found), sorted by name.
std::vector<SoundFontFile> installedSoundFonts(const QStringList& folders = standardSoundFontFolders());

// The name a SoundFont is shown by: its file name without extension, after following links
// (default-GM.sf2 leading to TimGM6mb.sf2 is "TimGM6mb").
QString soundFontName(const QString& path);

// nullopt when FluidSynth loads path as a SoundFont; else why not, in a sentence naming the file.
// Only a regular file is handed to FluidSynth (a pipe or a device would block or never end).
std::optional<QString> soundFontProblem(const QString& path);

}  // namespace lumarel
