#pragma once
// Renders what a song paints on a picture into a file: a video with the song's sound (.mp4, .webm)
// or a looping GIF (.gif). The colours are the song's timeline (music/timeline.h): the same
// played-note handler as live playback, in the song's exact times. Frame n shows the picture's
// indices, stretched to the output (aspect kept, black bars), through the palette in force at
// n / fps; before the first note the picture shows its own colours.

#include <QSize>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

namespace lumarel {

struct ExportRequest {
    QString song;       // a MIDI file
    QString picture;    // a GIF or BMP picture
    QString output;     // .mp4, .webm or .gif; the format follows the extension
    QSize size;         // empty: 1280x720 for a video, the picture's own size for a GIF
    int fps = 30;       // video frames a second, 1..120
    QString soundFont;  // empty: the built-in synth's
    QString mapFile;    // also write the last generated map here as a .map file (empty: no)
};

inline constexpr QSize kDefaultVideoSize{1280, 720};
inline constexpr int kMaxExportFps = 120;

struct ExportProgress {
    double fraction = 0;             // of the whole work, 0..1
    std::int64_t framesDone = 0;
    std::int64_t framesTotal = 0;    // 0 until known
    double outputSeconds = 0;        // how long the output lasts, 0 until known
    double elapsedSeconds = 0;
};

struct ExportOutcome {
    bool ok = false;
    QString error;              // a sentence for the user, naming the file and the reason
    bool cancelled = false;
    std::int64_t frames = 0;
    double outputSeconds = 0;   // the length of the output
    double wallSeconds = 0;
    QSize size;
    // Where the time went, in seconds of wall clock.
    double audioSeconds = 0;   // rendering the sound
    double lookupSeconds = 0;  // palette tables
    double yuvSeconds = 0;     // colour conversion through them
    double encodeSeconds = 0;  // video encoding and writing
    double audioEncodeSeconds = 0;
};

// Checks the request's own values (extension, fps, size) before any file is read; empty when fine.
QString checkExportRequest(const ExportRequest& request);

// Does the whole export. cancel is polled often; a cancelled or failed export leaves no output
// file (nor map file). progress, when given, is called now and then on this thread.
ExportOutcome exportSong(const ExportRequest& request, const std::atomic<bool>* cancel = nullptr,
                         const std::function<void(const ExportProgress&)>& progress = {});

}  // namespace lumarel
