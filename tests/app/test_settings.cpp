// What the program remembers between runs: written only when chosen, read back as written, and
// nothing when the file is missing or holds nonsense.
#include <gtest/gtest.h>

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "app/settings.h"

using namespace lumarel;

TEST(Settings, WhatIsWrittenIsReadBackByTheNextRun)
{
    QTemporaryDir folder;
    const QString file = folder.filePath("config/lumarel.conf");
    {
        Settings settings(file);
        settings.setBrowsing({"/pictures", "/pictures/a.gif", "/maps", "/maps/warm.map"});
        settings.setSound({"Synth Port 128:0", "/fonts/Big.sf2", 140});
    }
    ASSERT_TRUE(QFile::exists(file));  // written at once, folder made
    Settings again(file);
    const BrowsingState browsing = again.browsing();
    EXPECT_EQ(browsing.pictureFolder, QString("/pictures"));
    EXPECT_EQ(browsing.picture, QString("/pictures/a.gif"));
    EXPECT_EQ(browsing.mapFolder, QString("/maps"));
    EXPECT_EQ(browsing.map, QString("/maps/warm.map"));
    const SoundChoice sound = again.sound();
    EXPECT_EQ(sound.device, QString("Synth Port 128:0"));
    EXPECT_EQ(sound.soundFont, QString("/fonts/Big.sf2"));
    EXPECT_EQ(sound.volumePercent, 140);

    // Going back to nothing chosen leaves nothing behind.
    again.setBrowsing({});
    again.setSound({});
    Settings cleared(file);
    EXPECT_TRUE(cleared.browsing().picture.isEmpty());
    EXPECT_TRUE(cleared.sound().device.isEmpty());
    EXPECT_EQ(cleared.sound().volumePercent, 100);
}

TEST(Settings, AMissingOrDamagedFileRemembersNothing)
{
    QTemporaryDir folder;
    Settings none(folder.filePath("absent.conf"));
    EXPECT_TRUE(none.browsing().pictureFolder.isEmpty());
    EXPECT_TRUE(none.browsing().map.isEmpty());
    EXPECT_EQ(none.sound().volumePercent, 100);
    EXPECT_FALSE(QFile::exists(folder.filePath("absent.conf")));  // reading writes nothing

    QFile damaged(folder.filePath("damaged.conf"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("[player]\nvolume=loud\n\x01\x02garbage\n[player]\nvolume=\n");
    damaged.close();
    EXPECT_EQ(Settings(damaged.fileName()).sound().volumePercent, 100);

    QFile tooLoud(folder.filePath("loud.conf"));
    ASSERT_TRUE(tooLoud.open(QIODevice::WriteOnly));
    tooLoud.write("[player]\nvolume=9000\n");
    tooLoud.close();
    EXPECT_EQ(Settings(tooLoud.fileName()).sound().volumePercent, SoundChoice::kMaxVolumePercent);
}

TEST(Settings, TestsNeverTouchTheUsersFile)
{
    QStandardPaths::setTestModeEnabled(true);
    const QString file = Settings::userFile();
    EXPECT_TRUE(file.endsWith("/lumarel/lumarel.conf"));
    EXPECT_TRUE(file.contains("qttest")) << file.toStdString();
    EXPECT_EQ(Settings().file(), file);
    QStandardPaths::setTestModeEnabled(false);
}
