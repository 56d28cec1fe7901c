// SoundFonts for the built-in synth: the installed ones, their names, which files load, and the
// device list naming the one in use.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

#include "midi/fluid_synth_device.h"
#include "midi/midi_device.h"
#include "midi/sound_fonts.h"

using namespace lumarel;

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A copy of the installed General MIDI SoundFont under another name, or empty without one.
QString copyOfInstalledFont(const QTemporaryDir& folder, const QString& name)
{
    const QString installed = FluidSynthDevice::findSoundFont();
    if (installed.isEmpty())
        return {};
    const QString copy = folder.filePath(name);
    return QFile::copy(installed, copy) ? copy : QString();
}

}  // namespace

TEST(SoundFonts, InstalledOnesAreListedOnceEachByNameWhateverTheirFolder)
{
    QTemporaryDir a;
    QTemporaryDir b;
    write(a.filePath("Zeta.sf2"), "RIFF");
    write(a.filePath("alpha.SF2"), "RIFF");
    write(a.filePath("notes.txt"), "not a SoundFont");
    write(b.filePath("Mid.sf3"), "RIFF");
    ASSERT_TRUE(QFile::link(a.filePath("Zeta.sf2"), b.filePath("default-GM.sf2")));
    ASSERT_TRUE(QDir(b.path()).mkdir("folder.sf2"));

    const std::vector<SoundFontFile> found = installedSoundFonts({a.path(), b.path(), a.filePath("absent")});
    ASSERT_EQ(found.size(), std::size_t(3));
    EXPECT_EQ(found[0].name, QString("alpha"));
    EXPECT_EQ(found[1].name, QString("Mid"));
    EXPECT_EQ(found[2].name, QString("Zeta"));
    EXPECT_EQ(found[2].path, a.filePath("Zeta.sf2"));  // the link to it is the same file

    // A link is named after the file it leads to.
    EXPECT_EQ(soundFontName(b.filePath("default-GM.sf2")), QString("Zeta"));
    EXPECT_EQ(soundFontName("/nowhere/Gone.sf2"), QString("Gone"));

    const QStringList folders = standardSoundFontFolders();
    EXPECT_TRUE(folders.contains("/usr/share/sounds/sf2"));
    EXPECT_TRUE(folders.contains("/usr/share/soundfonts"));
}

TEST(SoundFonts, OnlyAFileFluidSynthLoadsIsASoundFontAndTheRestSayWhy)
{
    QTemporaryDir folder;
    write(folder.filePath("junk.sf2"), QByteArray("RIFF\x10\0\0\0sfbkLIST", 16) + QByteArray(4000, '\x7f'));
    write(folder.filePath("empty.sf2"), "");
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.filePath("pipe.sf2")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder.sf2"));

    for (const char* name : {"junk.sf2", "empty.sf2", "pipe.sf2", "folder.sf2", "absent.sf2"}) {
        const std::optional<QString> problem = soundFontProblem(folder.filePath(name));
        ASSERT_TRUE(problem.has_value()) << name;
        EXPECT_TRUE(problem->contains(QLatin1String(name))) << problem->toStdString();
    }
    const QString good = copyOfInstalledFont(folder, "Good.sf2");
    if (good.isEmpty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    EXPECT_FALSE(soundFontProblem(good).has_value());
}

TEST(SoundFonts, TheBuiltInSynthsEntryNamesTheSoundFontInUseAndARefusalKeepsIt)
{
    QTemporaryDir folder;
    const QString mine = copyOfInstalledFont(folder, "MyFont.sf2");
    if (mine.isEmpty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    write(folder.filePath("broken.sf2"), "RIFF....sfbk and then nothing a SoundFont holds");

    const std::unique_ptr<MidiDeviceProvider> devices = defaultProvider();
    const QString builtIn = QStringLiteral("Built-in synth (%1)").arg(soundFontName(FluidSynthDevice::findSoundFont()));
    EXPECT_EQ(devices->name(-1), builtIn);
    EXPECT_TRUE(devices->soundFont().isEmpty());

    QString why;
    EXPECT_TRUE(devices->setSoundFont(mine, &why)) << why.toStdString();
    EXPECT_EQ(devices->name(-1), QString("Built-in synth (MyFont)"));
    EXPECT_EQ(devices->soundFont(), mine);

    EXPECT_FALSE(devices->setSoundFont(folder.filePath("broken.sf2"), &why));
    EXPECT_TRUE(why.contains("broken.sf2")) << why.toStdString();
    EXPECT_EQ(devices->name(-1), QString("Built-in synth (MyFont)"));
    EXPECT_EQ(devices->soundFont(), mine);

    EXPECT_TRUE(devices->setSoundFont(QString(), &why));
    EXPECT_EQ(devices->name(-1), builtIn);
    EXPECT_TRUE(devices->soundFont().isEmpty());
}
