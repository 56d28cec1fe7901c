#include "player/form3.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>

#include "app/main_window_link.h"
#include "platform/message_wait.h"
#include "platform/wrap_button.h"
#include "player/midi_events.h"
#include "player/midi_output.h"
#include "player/track_rows.h"

namespace lumarel {

Form3::Form3(SharedState& state, MainWindowLink& main, std::unique_ptr<MIDIOutput> output, QWidget* parent)
    : QWidget(parent, Qt::Window), MIDIOutput1(*output), state_(state), main_(main), output_(std::move(output))
{
    showMessage = [this](const QString& title, const QString& text) {
        QMessageBox::warning(this, title, text);
    };
    showInformation = [this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("Information"), text);
    };
    // A cycling run counts the output's notifications as messages but hands them on afterwards,
    // and takes the meter timer's ticks.
    MessageWait::holdEventType(MidiOutputEvent::eventType());
    createControls();
    formLoad();
}

Form3::~Form3()
{
    // Leaving by any road silences the device.
    MIDIOutput1.setAction(MIDIOutput::Stop);
    closeOutputDevice();
    stopTimer();
    MessageWait::setQueuedNotifications(this, 0);
}

int Form3::twipsToPxX(double twips) const
{
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return qRound(twips * s->logicalDotsPerInchX() / 1440.0);
}

int Form3::twipsToPxY(double twips) const
{
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return qRound(twips * s->logicalDotsPerInchY() / 1440.0);
}

void Form3::createControls()
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Midi File Player -  Lumarel"));
    auto place = [this](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(twipsToPxX(left), twipsToPxY(top), twipsToPxX(width), twipsToPxY(height));
    };

    Frame1 = new QGroupBox(QStringLiteral("Funzioni"), this);
    Command1 = new WrapButton(QStringLiteral("&Open Midi File"), Frame1);
    CmdPlay = new WrapButton(QStringLiteral("Play"), Frame1);
    CmdStop = new WrapButton(QStringLiteral("Stop"), Frame1);
    Command3 = new WrapButton(QStringLiteral("Animate!"), Frame1);
    Label2 = new QLabel(QStringLiteral("Device di Output:"), Frame1);
    OutputDevCombo = new QComboBox(Frame1);
    Command2 = new WrapButton(QStringLiteral("Lumarel"), Frame1);
    Picture3 = new PictureBox(this);
    Label3 = new QLabel(QStringLiteral("Total Tracks Number"), this);
    Label4 = new QLabel(this);
    Label1 = new QLabel(QStringLiteral("Track Name"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    CmdPlay->setObjectName(QStringLiteral("CmdPlay"));
    CmdStop->setObjectName(QStringLiteral("CmdStop"));
    Command3->setObjectName(QStringLiteral("Command3"));
    Command2->setObjectName(QStringLiteral("Command2"));
    OutputDevCombo->setObjectName(QStringLiteral("OutputDevCombo"));
    Picture3->setObjectName(QStringLiteral("Picture3"));
    Label4->setObjectName(QStringLiteral("Label4"));

    place(Frame1, 120, 120, 8655, 1575);
    place(Command1, 120, 360, 1215, 975);
    place(CmdPlay, 1440, 360, 855, 975);
    place(CmdStop, 2400, 360, 855, 975);
    place(Command3, 3360, 360, 1815, 975);
    place(Label2, 5280, 420, 2175, 255);
    place(OutputDevCombo, 5280, 840, 1935, 315);
    place(Command2, 7320, 360, 1215, 975);
    place(Picture3, 9000, 240, 1575, 2055);
    place(Label3, 240, 1920, 1815, 255);
    place(Label4, 2280, 1920, 1095, 255);
    place(Label1, 240, 2400, 1935, 255);
    resize(twipsToPxX(10770), twipsToPxY(5355));

    // Row 0 exists in the design; rows from 1 up are made as files need them.
    addRow(0);

    Timer1.setInterval(kMeterDecayIntervalMs);
    connect(&Timer1, &QTimer::timeout, this, [this] { timer1Tick(); });
    connect(Command1, &QPushButton::clicked, this, [this] { openMidiFile(); });
    connect(CmdPlay, &QPushButton::clicked, this, [this] { cmdPlayClick(); });
    connect(CmdStop, &QPushButton::clicked, this, [this] { cmdStopClick(); });
    connect(Command3, &QPushButton::clicked, this, [this] { startPaletteRun(); });
    connect(Command2, &QPushButton::clicked, this, [this] {
        QWidget* mainWindow = main_.mainWindow();
        mainWindow->show();
        mainWindow->raise();
        mainWindow->activateWindow();
    });
    connect(OutputDevCombo, &QComboBox::currentIndexChanged, this, [this] { outputDevComboClick(); });
}

void Form3::addRow(int i)
{
    auto* label = new QLabel(this);
    auto* meter = new LevelMeter(this);
    auto* level = new PictureBox(this);
    auto* note = new PictureBox(this);
    const int top = twipsToPxY(rowTopTwips(i));
    const int height = twipsToPxY(255);
    label->setGeometry(twipsToPxX(240), top, twipsToPxX(3255), height);
    meter->setGeometry(twipsToPxX(3960), top, twipsToPxX(2895), height);
    level->setGeometry(twipsToPxX(7080), top, twipsToPxX(1095), height);
    note->setGeometry(twipsToPxX(8400), top, twipsToPxX(2175), height);
    for (QWidget* w : std::initializer_list<QWidget*>{label, meter, level, note})
        w->show();
    LabelTrackName.push_back(label);
    Vindicator1.push_back(meter);
    Picture1.push_back(level);
    Picture2.push_back(note);
}

void Form3::removeLastRow()
{
    delete LabelTrackName.back();
    delete Vindicator1.back();
    delete Picture1.back();
    delete Picture2.back();
    LabelTrackName.pop_back();
    Vindicator1.pop_back();
    Picture1.pop_back();
    Picture2.pop_back();
}

void Form3::formLoad()
{
    // 1. Beside the main window, 700 twips down and to the right.
    const QPoint corner = main_.mainWindow()->pos();
    move(corner.x() + twipsToPxX(700), corner.y() + twipsToPxY(700));
    // 2.
    rowCount = 1;
    meterDecayStep = kMeterDecayStep;
    // 3.
    noteNames = definizione_note();
    // 4, 5. The default output first, then the system's devices.
    const int n = MIDIOutput1.deviceCount();
    {
        const QSignalBlocker blocker(OutputDevCombo);
        for (int i = -1; i < n; ++i) {
            MIDIOutput1.setDeviceIndex(i);
            OutputDevCombo->addItem(MIDIOutput1.deviceName());
        }
    }
    MIDIOutput1.setDeviceIndex(-1);
    MIDIOutput1.setEventReceiver(this);
    // 6. Choosing entry 0 runs the stop sequence once; no device is open yet.
    {
        const QSignalBlocker blocker(OutputDevCombo);
        OutputDevCombo->setCurrentIndex(0);
    }
    outputDevComboClick();
    // 7, 8.
    main_.mainWindow()->show();
    CmdStop->setEnabled(false);
    CmdPlay->setEnabled(false);
}

void Form3::openOutputDevice()
{
    MIDIOutput1.setDeviceIndex(OutputDevCombo->currentIndex() - 1);
    MIDIOutput1.setAction(MIDIOutput::Open);
    if (MIDIOutput1.deviceHandle() == 0)
        return;
    if (MIDIOutput1.hasStereoVolume()) {
        savedVolumeLeft = MIDIOutput1.volume();
        savedVolumeRight = MIDIOutput1.volumeRight();
    } else if (MIDIOutput1.hasVolume()) {
        savedVolumeLeft = MIDIOutput1.volume();
    }
}

void Form3::closeOutputDevice()
{
    if (MIDIOutput1.openState() < 1)
        return;
    if (MIDIOutput1.hasStereoVolume()) {
        MIDIOutput1.setVolume(savedVolumeLeft);
        MIDIOutput1.setVolumeRight(savedVolumeRight);
    } else if (MIDIOutput1.hasVolume()) {
        MIDIOutput1.setVolume(savedVolumeLeft);
    }
    MIDIOutput1.setAction(MIDIOutput::Close);
}

void Form3::closeEvent(QCloseEvent* event)
{
    // Closing the player stops what it plays and closes the device; the main window stays. A
    // song cut off this way leaves the player ready to play it again when it is reopened.
    if (CmdStop->isEnabled()) {
        stopPlayback();
    } else {
        MIDIOutput1.setAction(MIDIOutput::Stop);
        closeOutputDevice();
    }
    stopTimer();
    event->accept();
}

void Form3::mousePressEvent(QMouseEvent* event)
{
    state_.stopAnimation = kTrue;
    QWidget::mousePressEvent(event);
}

bool Form3::event(QEvent* event)
{
    if (event->type() == MidiOutputEvent::eventType()) {
        handleOutputEvent(*static_cast<MidiOutputEvent*>(event));
        return true;
    }
    return QWidget::event(event);
}

}  // namespace lumarel
