#pragma once
// The MIDI file player window: choose an output device, open a file, see its tracks, play and
// stop; every played note lights its track's row and recolours the main window's picture.

#include <QGroupBox>
#include <QLabel>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <deque>
#include <memory>
#include <vector>

#include "app/shared_state.h"
#include "platform/level_meter.h"
#include "platform/picture_box.h"
#include "player/midifile.h"
#include "player/note_names.h"

namespace lumarel {

class MainWindowLink;
class MIDIOutput;
class MidiOutputEvent;

class Form3 : public QWidget {
    Q_OBJECT
public:
    // output: the MIDI output to drive (tests hand in one with fake devices and a fake clock).
    Form3(SharedState& state, MainWindowLink& main, std::unique_ptr<MIDIOutput> output,
          QWidget* parent = nullptr);
    ~Form3() override;

    // Controls, named as the rest of the program knows them.
    QGroupBox* Frame1;               // "Funzioni"
    QPushButton* Command1;           // "&Open Midi File"
    QPushButton* CmdPlay;
    QPushButton* CmdStop;
    QPushButton* Command2;           // "Lumarel": brings the main window forward
    QPushButton* Command3;           // "Animate!"
    QLabel* Label2;                  // "Device di Output:"
    QComboBox* OutputDevCombo;
    QLabel* Label1;                  // "Track Name"
    QLabel* Label3;                  // "Total Tracks Number"
    QLabel* Label4;                  // trackCount - 1
    PictureBox* Picture3;            // the generated map's strip
    QTimer Timer1;                   // meter decay
    std::vector<QLabel*> LabelTrackName;
    std::vector<LevelMeter*> Vindicator1;
    std::vector<PictureBox*> Picture1;  // level boxes
    std::vector<PictureBox*> Picture2;  // note boxes

    Midifile Midifile1;
    MIDIOutput& MIDIOutput1;

    // Members of the window.
    std::int16_t meterDecayStep = 0;
    std::int16_t rowCount = 0;
    std::int32_t savedVolumeLeft = 0;
    std::int32_t savedVolumeRight = 0;
    std::int32_t firstTrack = 0;
    float msPerTick = 0;
    NoteNames noteNames;

    // Operations.
    void openOutputDevice();
    void closeOutputDevice();
    void openMidiFile();
    bool loadMidiFile(const QString& path);  // what follows the dialog
    void queueSong();
    void startPlayback();
    void stopPlayback();
    void buildTrackRows();
    QString trackName(int track);
    void clearTrackRows();
    void timer1Tick();
    void showPlayedNote(std::int32_t tag);
    void startPaletteRun();
    void generateMapAndStrip();
    void errorReported(int code, const QString& text);
    void cmdPlayClick();
    void cmdStopClick();
    void outputDevComboClick();
    void stopTimer();

    // Seams for what leaves the window: tests replace them.
    std::function<QString()> askMidiFileName;                          // empty on cancel
    std::function<void(const QString& title, const QString& text)> showMessage;
    std::function<void(const QString& text)> showInformation;          // the generator's message

    int twipsToPxX(double twips) const;
    int twipsToPxY(double twips) const;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void createControls();
    void formLoad();
    void addRow(int i);
    void removeLastRow();
    void handleOutputEvent(const MidiOutputEvent& event);
    void showOneNote(std::int32_t tag);
    bool noteRowValid(int row) const;

    SharedState& state_;
    MainWindowLink& main_;
    std::unique_ptr<MIDIOutput> output_;
    bool tooFewKeysShown_ = false;  // the generator's message shows once per playback
    bool inNoteHandler_ = false;    // the played-note handler never runs inside itself
    std::deque<std::int32_t> pendingNotes_;  // notes that arrived while the handler worked
};

}  // namespace lumarel
