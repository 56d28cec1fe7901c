#include "player/form3.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "midi/midi_events.h"
#include "midi/midi_output.h"
#include "music/track_rows.h"
#include "platform/message_wait.h"
#include "platform/widgets/frame_pacer.h"
#include "platform/widgets/dropped_files.h"
#include "platform/widgets/level_meter.h"
#include "platform/widgets/picture_box.h"
#include "platform/widgets/wrap_button.h"
#include "player/export_job.h"
#include "player/row_layout.h"

namespace lumarel {

Form3::Form3(const PlayerContext& context, std::unique_ptr<MIDIOutput> output, QWidget* parent)
    : QWidget(parent, Qt::Window),
      state_(context.state),
      main_(context.mainWindow),
      dialogs_(context.dialogs),
      wait_(context.messages),
      output_(std::move(output)),
      MIDIOutput1(*output_),
      colouring_(noteNames_, context.picture, context.source)
{
    // A cycling run counts the output's notifications as messages but hands them on afterwards.
    wait_.holdEventType(MidiOutputEvent::eventType());
    createControls();
    createSoundMenu();
    formLoad();
}

Form3::~Form3()
{
    // Leaving by any road silences the device.
    MIDIOutput1.setAction(MIDIOutput::Stop);
    closeOutputDevice();
    MIDIOutput1.setEventReceiver(nullptr);
    stopTimer();
    wait_.setQueuedNotifications(this, 0);
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
    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    Frame1 = named(new QGroupBox(QStringLiteral("Funzioni"), this), "Frame1");
    Command1 = named(new WrapButton(QStringLiteral("&Open Midi File"), Frame1), "Command1");
    CmdPlay = named(new WrapButton(QStringLiteral("Play"), Frame1), "CmdPlay");
    CmdStop = named(new WrapButton(QStringLiteral("Stop"), Frame1), "CmdStop");
    Command3 = named(new WrapButton(QStringLiteral("Animate!"), Frame1), "Command3");
    Label2 = named(new QLabel(QStringLiteral("Device di Output:"), Frame1), "Label2");
    OutputDevCombo = named(new QComboBox(Frame1), "OutputDevCombo");
    Command2 = named(new WrapButton(QStringLiteral("Lumarel"), Frame1), "Command2");
    Picture3 = named(new PictureBox(this), "Picture3");
    Picture3->installEventFilter(this);
    Label3 = named(new QLabel(QStringLiteral("Total Tracks Number"), this), "Label3");
    Label4 = named(new QLabel(this), "Label4");
    Label1 = named(new QLabel(QStringLiteral("Track Name"), this), "Label1");
    Label4->setTextFormat(Qt::PlainText);
    Timer1 = named(new QTimer(this), "Timer1");
    // Rows, meters and the strip redraw with the screen's refresh, not per note.
    new FramePacer(this);
    placeControls();

    // Row 0 exists in the design; rows from 1 up are made as files need them.
    addRow(0);
    createExportAction();

    Timer1->setInterval(kMeterDecayIntervalMs);
    connect(Timer1, &QTimer::timeout, this, [this] { timer1Tick(); });
    connect(Command1, &QPushButton::clicked, this, [this] { openMidiFile(); });
    connect(CmdPlay, &QPushButton::clicked, this, [this] { cmdPlayClick(); });
    connect(CmdStop, &QPushButton::clicked, this, [this] { cmdStopClick(); });
    connect(Command3, &QPushButton::clicked, this, [this] { startPaletteRun(); });
    connect(Command2, &QPushButton::clicked, this, [this] {
        main_.show();
        main_.raise();
        main_.activateWindow();
    });
    // A user's choice of an entry, the one already chosen included; the program's own choices
    // call the handler themselves.
    connect(OutputDevCombo, &QComboBox::activated, this, [this] {
        outputDevComboClick();
        emit soundChanged();
    });
    // Songs dropped here open here; the program sees to every dropped file.
    setAcceptDrops(true);
}

void Form3::placeControls()
{
    auto place = [this](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(twipsToPxX(left), twipsToPxY(top), twipsToPxX(width), twipsToPxY(height));
    };
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
}

void Form3::addRow(int i)
{
    auto* label = new QLabel(this);
    auto* meter = new LevelMeter(this);
    auto* level = new PictureBox(this);
    auto* note = new PictureBox(this);
    // Track names come from files: never markup.
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QStringLiteral("LabelTrackName_%1").arg(i));
    meter->setObjectName(QStringLiteral("Vindicator1_%1").arg(i));
    level->setObjectName(QStringLiteral("Picture1_%1").arg(i));
    note->setObjectName(QStringLiteral("Picture2_%1").arg(i));
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
    const QPoint corner = main_.pos();
    move(corner.x() + twipsToPxX(700), corner.y() + twipsToPxY(700));
    // 2.
    rowCount_ = 1;
    meterDecayStep_ = kMeterDecayStep;
    colouring_.setRows(1, 1);
    // 3.
    noteNames_ = definizione_note();
    // 4, 5. The default output first, then the system's devices.
    const int n = MIDIOutput1.deviceCount();
    for (int i = -1; i < n; ++i) {
        MIDIOutput1.setDeviceIndex(i);
        OutputDevCombo->addItem(MIDIOutput1.deviceName());
    }
    // The list shows whole names; the combo itself keeps its place.
    OutputDevCombo->view()->setMinimumWidth(OutputDevCombo->view()->sizeHintForColumn(0) + 2 * OutputDevCombo->view()->frameWidth() + 16);
    MIDIOutput1.setDeviceIndex(-1);
    MIDIOutput1.setEventReceiver(this);
    // 6. Choosing entry 0 runs the stop sequence once; no device is open yet.
    OutputDevCombo->setCurrentIndex(0);
    outputDevComboClick();
    // 7, 8.
    main_.show();
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
        savedVolumeLeft_ = MIDIOutput1.volume();
        savedVolumeRight_ = MIDIOutput1.volumeRight();
    } else if (MIDIOutput1.hasVolume()) {
        savedVolumeLeft_ = MIDIOutput1.volume();
    }
}

void Form3::closeOutputDevice()
{
    if (MIDIOutput1.openState() < 1)
        return;
    if (MIDIOutput1.hasStereoVolume()) {
        MIDIOutput1.setVolume(savedVolumeLeft_);
        MIDIOutput1.setVolumeRight(savedVolumeRight_);
    } else if (MIDIOutput1.hasVolume()) {
        MIDIOutput1.setVolume(savedVolumeLeft_);
    }
    MIDIOutput1.setAction(MIDIOutput::Close);
}

void Form3::outputDevComboClick()
{
    stopPlayback();
}

void Form3::closeEvent(QCloseEvent* event)
{
    // Closing the player stops what it plays and closes the device; the main window stays, and
    // the next opening loads the window afresh.
    stopPlayback();
    stopTimer();
    event->accept();
    emit unloaded();
}

void Form3::mousePressEvent(QMouseEvent* event)
{
    state_.cycling.stopAnimation = true;
    QWidget::mousePressEvent(event);
}

void Form3::dragEnterEvent(QDragEnterEvent* event)
{
    // During a cycling run the run takes the drag as input and it never gets here.
    if (carriesFiles(event->mimeData()))
        event->acceptProposedAction();
}

void Form3::dropEvent(QDropEvent* event)
{
    const QStringList paths = droppedFiles(event->mimeData());
    event->acceptProposedAction();
    // Opened once the drop is over: the drag's source waits for its answer meanwhile.
    QMetaObject::invokeMethod(this, [this, paths] { emit filesDropped(paths); }, Qt::QueuedConnection);
}

void Form3::keepInsideScreen()
{
    // The window grows downwards with its rows; when its frame leaves the work area it moves up
    // (and left) as far as needed, never past the work area's top-left corner.
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect work = s->availableGeometry();
    const QRect inner = geometry();
    const QRect frame = frameGeometry();
    const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                           frame.bottom() - inner.bottom());
    const QRect outer = inner.marginsAdded(margins);
    QPoint at = outer.topLeft();
    if (outer.bottom() > work.bottom())
        at.setY(std::max(work.top(), work.bottom() - outer.height() + 1));
    if (outer.right() > work.right())
        at.setX(std::max(work.left(), work.right() - outer.width() + 1));
    if (at != outer.topLeft())
        move(at);
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
