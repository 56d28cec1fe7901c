// The player's comforts: the SoundFont and volume of its context menu, remembered choices, the
// window staying on the screen as it grows, and files dropped on it.
#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include "animation/palette_surface.h"
#include "animation/wait_source.h"
#include "midi/fluid_synth_device.h"
#include "midi/midi_output.h"
#include "midi/recording_device.h"
#include "midi/sound_fonts.h"
#include "platform/message_wait.h"
#include "player/form3.h"
#include "support/midi_builder.h"
#include "support/qt_test_main.h"
#include "support/recording_dialogs.h"
#include "support/test_support.h"

using namespace lumarel;
using namespace lumarel::test;

namespace {

// The main window's picture, unused here.
class NoPicture : public PaletteSurface {
public:
    bool loadPicture(const QString&, QString*) override { return true; }
    void realizePalette(const LogPalette&) override {}
    void animatePalette(int, int, const PaletteEntry*) override {}
};

// A song of `tracks` tracks, one note each after the first.
QByteArray song(int tracks)
{
    std::vector<TrackBuilder> built(1);
    built[0].tempo(0, 500000).end();
    for (int t = 2; t <= tracks; ++t) {
        TrackBuilder track;
        track.meta(0, 3, QByteArray("Part ") + QByteArray::number(t));
        track.event(0, {0x90 | ((t - 1) & 15), 60, 100}).event(96, {0x80 | ((t - 1) & 15), 60, 0}).end();
        built.push_back(track);
    }
    return smf(1, 96, built);
}

}  // namespace

class PlayerSoundTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        log_ = std::make_shared<RecordingLog>();
        clock_ = std::make_shared<FakeClock>();
        dialogs_ = std::make_unique<RecordingDialogs>();
    }

    void cleanup() { player_.reset(); }

    void aSoundFontThatFailsToLoadKeepsThePreviousAndTheListNamesTheOneInUse()
    {
        const QString installed = FluidSynthDevice::findSoundFont();
        if (installed.isEmpty())
            QSKIP("no General MIDI SoundFont installed");
        QTemporaryDir folder;
        const QString mine = folder.filePath("Mine.sf2");
        QVERIFY(QFile::copy(installed, mine));
        const QString broken = writeTempFile("broken.sf2", "RIFF\x04\0\0\0sfbk");
        open(std::make_unique<MIDIOutput>(defaultProvider(), clock_));
        const QString builtIn = QStringLiteral("Built-in synth (%1)").arg(soundFontName(installed));
        QCOMPARE(devices()->itemText(0), builtIn);
        QSignalSpy changed(player_.get(), &Form3::soundChanged);

        dialogs_->answers = {mine, broken};
        action("SoundFontFile")->trigger();
        QCOMPARE(devices()->itemText(0), QString("Built-in synth (Mine)"));
        QCOMPARE(player_->soundChoice().soundFont, mine);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(dialogs_->asked.back().filters.first(), QString("SoundFonts (*.sf2 *.sf3)"));

        action("SoundFontFile")->trigger();
        QCOMPARE(dialogs_->messages.size(), 1);
        QVERIFY2(dialogs_->messages.first().contains("broken.sf2"), qPrintable(dialogs_->messages.first()));
        QVERIFY(dialogs_->messages.first().contains("Built-in synth (Mine)"));
        QCOMPARE(devices()->itemText(0), QString("Built-in synth (Mine)"));
        QCOMPARE(player_->soundChoice().soundFont, mine);
        QCOMPARE(changed.size(), 1);

        // The menu offers the built-in SoundFont and the installed ones, the one in use checked.
        emit menu()->aboutToShow();
        QVERIFY(action("ChosenSoundFont")->isChecked());
        QCOMPARE(action("ChosenSoundFont")->text(), QString("Mine"));
        QVERIFY(!action("BuiltInSoundFont")->isChecked());
        const QList<QAction*> installedEntries = menu()->findChildren<QAction*>("InstalledSoundFont");
        QVERIFY(!installedEntries.isEmpty());
        installedEntries.first()->trigger();
        QCOMPARE(devices()->itemText(0), QStringLiteral("Built-in synth (%1)").arg(installedEntries.first()->text()));
        action("BuiltInSoundFont")->trigger();
        QCOMPARE(devices()->itemText(0), builtIn);
        QVERIFY(player_->soundChoice().soundFont.isEmpty());
        QCOMPARE(changed.size(), 3);
    }

    void theVolumeScalesTheDevicesOwnAndTheDeviceGetsItsOwnBackWhenItCloses()
    {
        open();
        QVERIFY(player_->loadMidiFile(writeTempFile("two.mid", song(2))));
        // Untouched, the device's own volume (40000) is only saved and put back.
        play();
        stop();
        QCOMPARE(log_->volumes(), (std::vector<std::int32_t>{40000}));

        QSignalSpy changed(player_.get(), &Form3::soundChanged);
        slider()->setValue(50);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(player_->soundChoice().volumePercent, 50);
        play();
        QCOMPARE(log_->volumes().back(), 20000);
        slider()->setValue(150);  // while playing: heard at once
        QCOMPARE(log_->volumes().back(), 60000);
        stop();
        QCOMPARE(log_->volumes().back(), 40000);
    }

    void rememberedChoicesComeBackAndADeviceThatIsGoneLeavesTheDefaultOutput()
    {
        open(nullptr, {"Synth A 20:0", "Synth B 24:0"});
        player_->restoreSound({"Synth B 28:0", QString(), 70});  // the same port, renumbered
        QCOMPARE(devices()->currentIndex(), 2);
        QCOMPARE(slider()->value(), 70);
        // Restoring is not the user choosing: Play stays as the load step left it.
        QVERIFY(!control<QPushButton>("CmdPlay")->isEnabled());
        QCOMPARE(player_->soundChoice().device, QString("Synth B 24:0"));

        open(nullptr, {"Synth A 20:0"});
        player_->restoreSound({"Synth B 24:0", "/no/such/Font.sf2", 100});
        QCOMPARE(devices()->currentIndex(), 0);
        QVERIFY(player_->soundChoice().device.isEmpty());
        QVERIFY(player_->soundChoice().soundFont.isEmpty());
        QVERIFY(dialogs_->messages.isEmpty());
    }

    void thePlayerStaysInsideTheScreenAsItGrowsWithItsRows()
    {
        open();
        const QRect work = player_->screen()->availableGeometry();
        // The main window low on the screen: the player loads beside it, 700 twips down.
        main_.move(work.left() + 40, work.bottom() - 300);
        open();
        QCOMPARE(player_->pos(), main_.pos() + QPoint(player_->twipsToPxX(700), player_->twipsToPxY(700)));
        QVERIFY(player_->loadMidiFile(writeTempFile("sixteen.mid", song(16))));
        QCOMPARE(player_->rowCount(), 15);
        QVERIFY(main_.y() + player_->twipsToPxY(700) + player_->height() > work.bottom());  // where it would end
        QTRY_VERIFY2(work.contains(player_->frameGeometry()),
                     qPrintable(QString("frame %1,%2 %3x%4 in %5x%6")
                                    .arg(player_->frameGeometry().x())
                                    .arg(player_->frameGeometry().y())
                                    .arg(player_->frameGeometry().width())
                                    .arg(player_->frameGeometry().height())
                                    .arg(work.width())
                                    .arg(work.height())));
        QVERIFY(player_->y() < main_.y() + player_->twipsToPxY(700));  // it moved up
    }

    void filesDroppedOnThePlayerAreHandedOnAndOnlyFilesAreTaken()
    {
        open();
        QSignalSpy dropped(player_.get(), &Form3::filesDropped);
        QMimeData text;
        text.setText("just words");
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(player_.get(), &refused);
        QVERIFY(!refused.isAccepted());

        QMimeData files;
        files.setUrls({QUrl::fromLocalFile("/songs/a.mid"), QUrl::fromLocalFile("/pictures/b.gif")});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(player_.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(player_.get(), &drop);
        QCOMPARE(dropped.size(), 0);  // handed on once the drop is over
        QTRY_COMPARE(dropped.size(), 1);
        QCOMPARE(dropped.first().first().toStringList(), (QStringList{"/songs/a.mid", "/pictures/b.gif"}));
    }

private:
    void open(std::unique_ptr<MIDIOutput> output = nullptr, QStringList ports = {"Port A"})
    {
        player_.reset();
        if (!output)
            output = std::make_unique<MIDIOutput>(std::make_unique<RecordingDeviceProvider>(log_, clock_, ports), clock_);
        const PlayerContext context{state_, main_, picture_, wait_, source_, *dialogs_};
        player_ = std::make_unique<Form3>(context, std::move(output));
        player_->show();
        QVERIFY(QTest::qWaitForWindowExposed(player_.get()));
    }
    template <typename T>
    T* control(const char* name) const
    {
        T* found = player_->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QComboBox* devices() const { return control<QComboBox>("OutputDevCombo"); }
    QMenu* menu() const { return control<QMenu>("SoundMenu"); }
    QSlider* slider() const { return control<QSlider>("VolumeSlider"); }
    QAction* action(const char* name) const { return control<QAction>(name); }
    void play() { control<QPushButton>("CmdPlay")->click(); }
    void stop() { control<QPushButton>("CmdStop")->click(); }

    SharedState state_;
    QWidget main_;
    NoPicture picture_;
    MessageWait wait_;
    WaitSource source_{wait_};
    std::shared_ptr<RecordingLog> log_;
    std::shared_ptr<FakeClock> clock_;
    std::unique_ptr<RecordingDialogs> dialogs_;
    std::unique_ptr<Form3> player_;
};

LUMAREL_QTEST_MAIN(PlayerSoundTest)
#include "test_player_sound.moc"
