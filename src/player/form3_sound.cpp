// The player's sound choices, in its context menu: the built-in synth's SoundFont (a file, the
// built-in one, or one installed on the system) and the volume; remembered choices restored.
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QSlider>
#include <QWidgetAction>
#include <algorithm>

#include "midi/midi_output.h"
#include "midi/sound_fonts.h"
#include "platform/widgets/dialogs.h"
#include "player/form3.h"

namespace lumarel {

namespace {

constexpr const char* kSoundFontPath = "soundFontPath";  // property of the menu's SoundFont entries

QString volumeText(int percent)
{
    return QStringLiteral("Volume: %1%").arg(percent);
}

// A port's name without the client and port numbers the system gives it at the end
// ("Synth:Synth Port 1 128:0"): they change from one session to the next.
QString withoutPortNumbers(const QString& name)
{
    static const QRegularExpression numbers(QStringLiteral("\\s+\\d+:\\d+$"));
    return QString(name).remove(numbers);
}

}  // namespace

void Form3::createSoundMenu()
{
    soundMenu_ = new QMenu(this);
    soundMenu_->setObjectName(QStringLiteral("SoundMenu"));
    QAction* file = soundMenu_->addAction(QStringLiteral("SoundFont\u2026"), this, [this] { chooseSoundFontFile(); });
    file->setObjectName(QStringLiteral("SoundFontFile"));
    // The SoundFont entries go before this separator, made afresh each time the menu opens.
    soundMenu_->addSeparator()->setObjectName(QStringLiteral("SoundFontsEnd"));

    auto* box = new QWidget(soundMenu_);
    auto* label = new QLabel(volumeText(volumePercent_), box);
    label->setObjectName(QStringLiteral("VolumeLabel"));
    volumeSlider_ = new QSlider(Qt::Horizontal, box);
    volumeSlider_->setObjectName(QStringLiteral("VolumeSlider"));
    volumeSlider_->setRange(0, SoundChoice::kMaxVolumePercent);
    volumeSlider_->setSingleStep(5);
    volumeSlider_->setPageStep(25);
    volumeSlider_->setValue(volumePercent_);
    volumeSlider_->setMinimumWidth(160);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(label);
    layout->addWidget(volumeSlider_);
    auto* volume = new QWidgetAction(soundMenu_);
    volume->setDefaultWidget(box);
    soundMenu_->addAction(volume);
    connect(volumeSlider_, &QSlider::valueChanged, this, [this, label](int value) {
        label->setText(volumeText(value));
        setVolumePercent(value);
        if (!volumeSlider_->isSliderDown())
            emit soundChanged();
    });
    connect(volumeSlider_, &QSlider::sliderReleased, this, &Form3::soundChanged);
    soundMenu_->addSeparator();
    soundMenu_->addAction(exportAction_);
    connect(soundMenu_, &QMenu::aboutToShow, this, [this] { fillSoundFonts(); });
    fillSoundFonts();
}

void Form3::fillSoundFonts()
{
    // The entries of the last opening go with their group.
    qDeleteAll(soundMenu_->findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly));
    QAction* end = soundMenu_->findChild<QAction*>(QStringLiteral("SoundFontsEnd"), Qt::FindDirectChildrenOnly);

    const QString inUse = MIDIOutput1.devices().soundFont();
    auto* group = new QActionGroup(soundMenu_);
    auto add = [&](const QString& text, const QString& path, const char* name) {
        auto* action = new QAction(text, group);
        action->setObjectName(QLatin1String(name));
        action->setCheckable(true);
        action->setChecked(path == inUse);
        action->setProperty(kSoundFontPath, path);
        connect(action, &QAction::triggered, this, [this, path] {
            if (useSoundFont(path, true))
                emit soundChanged();
        });
        soundMenu_->insertAction(end, action);
    };
    add(QStringLiteral("Built-in SoundFont"), QString(), "BuiltInSoundFont");
    bool listed = inUse.isEmpty();
    for (const SoundFontFile& font : installedSoundFonts()) {
        add(font.name, font.path, "InstalledSoundFont");
        listed = listed || font.path == inUse;
    }
    // A SoundFont chosen from a file shows too, so the menu always says which one plays.
    if (!listed)
        add(soundFontName(inUse), inUse, "ChosenSoundFont");
}

void Form3::contextMenuEvent(QContextMenuEvent* event)
{
    soundMenu_->popup(event->globalPos());
    event->accept();
}

void Form3::chooseSoundFontFile()
{
    FileDialogSettings settings;
    settings.title = QStringLiteral("Choose a SoundFont");
    settings.filters = {QStringLiteral("SoundFonts (*.sf2 *.sf3)"), QStringLiteral("All files (*)")};
    const QString current = MIDIOutput1.devices().soundFont();
    settings.folder = current.isEmpty() ? QStringLiteral("/usr/share/sounds/sf2") : QFileInfo(current).path();
    const QString path = dialogs_.openFileName(this, settings);
    if (path.isEmpty())
        return;  // cancelled
    if (useSoundFont(path, true))
        emit soundChanged();
}

bool Form3::useSoundFont(const QString& path, bool tellUser)
{
    MidiDeviceProvider& devices = MIDIOutput1.devices();
    QString why;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool loaded = devices.setSoundFont(path, &why);
    QApplication::restoreOverrideCursor();
    if (!loaded) {
        if (tellUser)
            dialogs_.message(this, QStringLiteral("Lumarel"),
                             why + QStringLiteral(" The SoundFont in use stays: %1.").arg(devices.name(-1)));
        return false;
    }
    OutputDevCombo->setItemText(0, devices.name(-1));
    // The synth takes its SoundFont when it opens: a song playing on it stops, as a change of device
    // stops it, and the next Play sounds with the new one.
    if (OutputDevCombo->currentIndex() == 0 && activePlayback_ != 0) {
        stopPlayback();
        stopTimer();
    }
    return true;
}

void Form3::setVolumePercent(int percent)
{
    percent = std::clamp(percent, 0, SoundChoice::kMaxVolumePercent);
    volumeChosen_ = volumeChosen_ || percent != volumePercent_;
    volumePercent_ = percent;
    if (volumeSlider_ && volumeSlider_->value() != percent) {
        const QSignalBlocker blocker(volumeSlider_);
        volumeSlider_->setValue(percent);
        if (auto* label = soundMenu_->findChild<QLabel*>(QStringLiteral("VolumeLabel")))
            label->setText(volumeText(percent));
    }
    applyVolume();
}

void Form3::applyVolume()
{
    // The device's own volume, saved when it opened, is what 100% means; it is put back when the
    // device closes. Until a volume is chosen the device's own is never touched.
    if (!volumeChosen_ || MIDIOutput1.openState() < 1)
        return;
    auto scaled = [this](std::int32_t own) {
        return std::int32_t(std::clamp<std::int64_t>(std::int64_t(own) * volumePercent_ / 100, 0, 65535));
    };
    if (MIDIOutput1.hasStereoVolume()) {
        MIDIOutput1.setVolume(scaled(savedVolumeLeft_));
        MIDIOutput1.setVolumeRight(scaled(savedVolumeRight_));
    } else if (MIDIOutput1.hasVolume()) {
        MIDIOutput1.setVolume(scaled(savedVolumeLeft_));
    }
}

SoundChoice Form3::soundChoice() const
{
    SoundChoice choice;
    if (OutputDevCombo->currentIndex() > 0)
        choice.device = OutputDevCombo->currentText();
    choice.soundFont = output_->devices().soundFont();
    choice.volumePercent = volumePercent_;
    return choice;
}

void Form3::restoreSound(const SoundChoice& choice)
{
    if (!choice.soundFont.isEmpty())
        useSoundFont(choice.soundFont, false);
    if (!choice.device.isEmpty()) {
        int found = -1;
        for (int i = 1; i < OutputDevCombo->count() && found < 0; ++i) {
            if (OutputDevCombo->itemText(i) == choice.device)
                found = i;
        }
        for (int i = 1; i < OutputDevCombo->count() && found < 0; ++i) {
            if (withoutPortNumbers(OutputDevCombo->itemText(i)) == withoutPortNumbers(choice.device))
                found = i;
        }
        // Only the entry moves: no device is open yet, and Play stays as the load step left it.
        if (found > 0)
            OutputDevCombo->setCurrentIndex(found);
    }
    if (choice.volumePercent != 100)
        setVolumePercent(choice.volumePercent);
}

}  // namespace lumarel
