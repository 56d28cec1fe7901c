#pragma once
// The MIDI file player window: choose an output device, open a file, see its tracks, play and
// stop; every played note lights its track's row and recolours the main window's picture.

#include <QElapsedTimer>
#include <QWidget>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "midi/midifile.h"
#include "midi/note_names.h"
#include "model/shared_state.h"
#include "music/note_colouring.h"
#include "platform/picture_refusal.h"
#include "player/sound_choice.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QSlider;
class QPushButton;
class QTimer;

namespace lumarel {

class Dialogs;
class ExportJob;
class LevelMeter;
class MIDIOutput;
class MidiOutputEvent;
class MessageSource;
class MessageWait;
class PaletteSurface;
class PictureBox;

// What the player window reaches of the program.
struct PlayerContext {
    SharedState& state;
    QWidget& mainWindow;      // shown and brought forward by the "Lumarel" button
    PaletteSurface& picture;  // the main window's picture, where played notes put their colours
    MessageWait& messages;    // told what a cycling run takes from this window
    MessageSource& source;    // where a note's palette step takes its message
    Dialogs& dialogs;
};

class Form3 : public QWidget, private NoteView {
    Q_OBJECT
public:
    // output: the MIDI output to drive (tests hand in one with fake devices and a fake clock).
    Form3(const PlayerContext& context, std::unique_ptr<MIDIOutput> output, QWidget* parent = nullptr);
    ~Form3() override;

    // Opens a MIDI file as "&Open Midi File" does after its dialog. A file that cannot be read is
    // refused with a message, and the song that was loaded stays.
    bool loadMidiFile(const QString& path);

    // The played-note handler, for a note of the playback in progress.
    void showPlayedNote(std::int32_t tag);
    // One tick of the meter-decay timer.
    void timer1Tick();
    void errorReported(int code, const QString& text);

    // What the user chose of the sound, and choices remembered from an earlier run, applied as the
    // window loads: a device that is gone leaves the default output, a SoundFont that cannot be
    // loaded the built-in one; nothing is asked and no stop sequence runs.
    SoundChoice soundChoice() const;
    void restoreSound(const SoundChoice& choice);

    int rowCount() const { return rowCount_; }
    int meterDecayStep() const { return meterDecayStep_; }
    const NoteNames& noteNames() const { return noteNames_; }
    int twipsToPxX(double twips) const;
    int twipsToPxY(double twips) const;

signals:
    // The window was closed: the program drops it, so the next opening loads it afresh.
    void unloaded();
    // The user changed the device, the SoundFont or the volume.
    void soundChanged();
    // Files were dropped on the window; whoever owns the windows opens them.
    void filesDropped(const QStringList& paths);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct PendingNote {
        std::int32_t tag = 0;
        std::uint64_t playback = 0;
    };

    void createControls();
    void placeControls();
    void formLoad();
    void addRow(int i);
    void removeLastRow();

    // Output devices (form3.cpp).
    void openOutputDevice();
    void closeOutputDevice();
    void outputDevComboClick();
    // Sound choices: the context menu's SoundFont and volume commands (form3_sound.cpp).
    void createSoundMenu();
    void fillSoundFonts();
    void chooseSoundFontFile();
    bool useSoundFont(const QString& path, bool tellUser);
    void setVolumePercent(int percent);
    void applyVolume();
    void keepInsideScreen();
    // Files, queueing, Play and Stop (form3_playback.cpp).
    void openMidiFile();
    void queueSong();
    void startPlayback();
    void stopPlayback();
    void cmdPlayClick();
    void cmdStopClick();
    void stopTimer();
    // Rows (form3_rows.cpp).
    void buildTrackRows();
    QString trackName(int track);
    void clearTrackRows();
    void showMeters();
    // Export (form3_export.cpp).
    void createExportAction();
    void exportVideo();
    // Played notes (form3_notes.cpp).
    void handleOutputEvent(const MidiOutputEvent& event);
    void handleNotes(std::int32_t tag, std::uint64_t playback);
    void startPaletteRun();
    bool processPendingEvents() override;
    void showMeter(int row, float level) override;
    void showNote(const ShownNote& note) override;
    void showTrackTotal(int total) override;
    void showGeneratedMap(const GeneratedPalette& palette) override;
    void tooFewColours() override;
    void pictureUnloadable(const QString& error) override;

    SharedState& state_;
    QWidget& main_;
    Dialogs& dialogs_;
    MessageWait& wait_;
    std::unique_ptr<MIDIOutput> output_;
    MIDIOutput& MIDIOutput1;
    Midifile Midifile1;
    NoteNames noteNames_;
    NoteColouring colouring_;

    // Controls.
    QGroupBox* Frame1 = nullptr;       // "Funzioni"
    QPushButton* Command1 = nullptr;   // "&Open Midi File"
    QPushButton* CmdPlay = nullptr;
    QPushButton* CmdStop = nullptr;
    QPushButton* Command2 = nullptr;   // "Lumarel": brings the main window forward
    QPushButton* Command3 = nullptr;   // "Animate!"
    QLabel* Label1 = nullptr;          // "Track Name"
    QLabel* Label2 = nullptr;          // "Device di Output:"
    QLabel* Label3 = nullptr;          // "Total Tracks Number"
    QLabel* Label4 = nullptr;          // trackCount - 1
    QComboBox* OutputDevCombo = nullptr;
    PictureBox* Picture3 = nullptr;    // the generated map's strip
    QTimer* Timer1 = nullptr;          // meter decay
    std::vector<QLabel*> LabelTrackName;
    std::vector<LevelMeter*> Vindicator1;
    std::vector<PictureBox*> Picture1;  // level boxes
    std::vector<PictureBox*> Picture2;  // note boxes

    // Members of the window.
    std::int16_t meterDecayStep_ = 0;
    std::int16_t rowCount_ = 0;
    std::int32_t savedVolumeLeft_ = 0;
    std::int32_t savedVolumeRight_ = 0;
    std::int32_t firstTrack_ = 0;
    float msPerTick_ = 0;

    std::uint64_t activePlayback_ = 0;  // serial of the playback whose notes show; 0 when stopped
    std::uint64_t shownState_ = 0;      // changes when a stop or another song makes a note stale
    bool tooFewKeysShown_ = false;      // the generator's message shows once per playback
    bool inNoteHandler_ = false;        // the played-note handler never runs inside itself
    std::deque<PendingNote> pendingNotes_;  // notes that arrived while the handler worked
    std::uint64_t noteState_ = 0;       // shownState_ when the note being handled began
    std::uint64_t notePlayback_ = 0;    // the playback of the note being handled
    PictureRefusals refusals_;          // a picture that cannot be shown is reported once
    static constexpr std::int64_t kFullPassIntervalNs = 1'000'000;
    QElapsedTimer fullPass_;            // since the note handler last ran the whole event loop
    std::unique_ptr<ExportJob> export_;  // the export running or last run
    QAction* exportAction_ = nullptr;
    GeneratedPalette stripPalette_;     // the newest generated map, drawn at the strip's next paint
    bool stripDue_ = false;

    QMenu* soundMenu_ = nullptr;        // the context menu: SoundFonts and the volume
    QSlider* volumeSlider_ = nullptr;
    int volumePercent_ = 100;           // of the device's own volume; see SoundChoice
    bool volumeChosen_ = false;         // the volume was ever set: the device's own is not kept
};

}  // namespace lumarel
