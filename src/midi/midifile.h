#pragma once
// Our reader of standard MIDI files (formats 0, 1 and 2, and RIFF-wrapped .rmi).
//
// MidiSong::parse is a pure function over bytes: it returns a song or a refusal with a clear
// text, never a half-filled value. Damage inside an otherwise valid file (a track cut short,
// a track longer than its events, stray bytes) is read up to the damage and reported.
// Midifile wraps it with the members the player drives: select a track and an event, then
// read the event's fields.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <variant>
#include <vector>

namespace lumarel {

inline constexpr std::int32_t defaultTempoUs = 500000;  // 120 quarter notes a minute
// The largest file Midifile opens, in bytes. Its events can take up to the file's
// size eight times over (16 bytes for an event of two); the densest real songs are a few tens
// of megabytes.
inline constexpr qint64 kMaxMidiFileBytes = qint64(256) * 1024 * 1024;

// Milliseconds per tick as the track rows hold it: (tempo / 1000) / division in double,
// stored in single precision. 0 for a division that is not ticks-per-quarter.
float msPerTickOf(std::int32_t tempoUs, int division);

// One event, 16 bytes so that millions fit. Payload (meta text, sysex bytes) stays in the
// song's copy of the file and is referred to by offset.
struct MidiEvent {
    std::uint32_t delta = 0;          // ticks since the previous event of the track
    std::uint32_t payloadOffset = 0;  // into MidiSong::bytes
    std::uint32_t payloadSize = 0;
    std::uint8_t status = 0;  // running status resolved; 0xFF meta; 0xF0 / 0xF7 sysex
    std::uint8_t data1 = 0;   // meta: its type
    std::uint8_t data2 = 0;
    std::uint8_t pad = 0;
};
static_assert(sizeof(MidiEvent) == 16);

struct MidiTrackSpan {
    std::uint32_t first = 0;  // index of the track's first event in MidiSong::events
    std::uint32_t count = 0;
};

struct TempoChange {
    std::uint64_t tick = 0;
    std::int32_t usPerQuarter = defaultTempoUs;
};

struct MidiParseError {
    QString text;
};

class MidiSong;
using MidiParseResult = std::variant<MidiSong, MidiParseError>;

class MidiSong {
public:
    // Reads a whole file's bytes. A RIFF (RMID) wrapper is read through its inner data chunk.
    static MidiParseResult parse(QByteArrayView bytes);

    int format = 0;
    std::int16_t divisionWord = 0;  // as written: > 0 ticks per quarter, < 0 SMPTE
    std::vector<MidiTrackSpan> tracks;
    std::vector<MidiEvent> events;
    std::vector<TempoChange> tempoMap;  // by tick; ties keep file order
    QStringList damage;                 // empty when the file was read whole
    QByteArray bytes;                   // the SMF bytes the payloads refer to

    bool isSmpte() const { return divisionWord < 0; }
    int ticksPerQuarter() const { return isSmpte() ? 0 : divisionWord; }
    int smpteFrameRate() const;  // 24, 25, 29 (meaning 29.97) or 30; 0 when not SMPTE
    int ticksPerFrame() const { return isSmpte() ? (divisionWord & 0xFF) : 0; }
    std::int32_t firstTempo() const;
    // Exact time of an absolute tick, following every tempo change; floored to whole µs.
    std::int64_t tickToMicroseconds(std::uint64_t tick) const;
    // Meta text: UTF-8 when valid, else Latin-1.
    QString textOf(const MidiEvent& event) const;

private:
    // Cumulative tick * tempo at each tempo change, so a lookup is one binary search.
    std::vector<__int128> tempoSums_;
    friend class MidiParser;
    void buildTempoSums();
};

class Midifile {
public:
    enum Action : int { Open = 1, Close = 5 };

    QString fileName() const { return fileName_; }
    void setFileName(const QString& name) { fileName_ = name; }
    // 5 closes the open file, 1 opens and reads fileName(); other codes do nothing.
    void setAction(int code);

    bool isOpen() const { return open_; }
    QString error() const { return error_; }  // why the last open was refused; empty otherwise
    bool damaged() const { return open_ && !song_.damage.isEmpty(); }
    QString damageText() const { return song_.damage.join(QStringLiteral("; ")); }

    int trackCount() const { return int(song_.tracks.size()); }
    int division() const { return song_.divisionWord; }  // the file's word; < 0 for SMPTE
    std::int32_t tempo() const { return song_.firstTempo(); }
    float msPerTick() const;
    std::int64_t tickToMicroseconds(std::uint64_t tick) const { return song_.tickToMicroseconds(tick); }

    void setTrack(int track);  // from 1; out of range selects nothing
    int track() const { return track_; }
    std::int64_t eventCount() const;
    void setEventIndex(std::int64_t index);  // from 1 within the track
    std::int64_t eventIndex() const { return eventIndex_; }

    int status() const { return event().status; }
    int data1() const { return event().data1; }
    int data2() const { return event().data2; }
    std::int64_t deltaTime() const { return event().delta; }
    QString eventText() const;

    const MidiSong& song() const { return song_; }

private:
    const MidiEvent& event() const;
    void close();
    void open();

    QString fileName_;
    QString error_;
    MidiSong song_;
    bool open_ = false;
    int track_ = 0;
    std::int64_t eventIndex_ = 0;
};

}  // namespace lumarel
