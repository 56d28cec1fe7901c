#pragma once
// FluidSynth with every note onset on its own sample.
//
// FluidSynth renders in fixed blocks of 64 frames, and a note on sent between two writes
// sounds from the next block edge: up to 63 samples late. So this keeps up to 64 synths that
// share one loaded SoundFont, each with its block edges at a different phase (song sample mod
// 64); a note on goes to the synth whose edge falls exactly on its sample. Everything else
// (note offs, controllers, programs, pitch bend, pressure) goes to every synth, and their
// outputs are summed. Synths are made when a phase is first needed (and then get the channel
// state so far), and a synth with no voice whose output has died away is skipped in whole
// blocks (its phase kept) until its next note.
//
// The phases can be shared out among several PhasedSynth objects that each get every message
// (and may run on threads of their own): each makes synths only for its own phases and sounds
// only the note ons that land on them; the sum of their outputs is the song.

#include <QString>
#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_sfont_t;

namespace lumarel {

class PhasedSynth {
public:
    static constexpr int blockFrames = 64;  // FluidSynth's internal block

    using Phases = std::bitset<blockFrames>;

    // Loads soundFont once (each object its own copy: FluidSynth's SoundFonts are not safe to
    // share between threads). ownPhases: the phases this object sounds note ons for.
    // nullptr with *error (naming the file) when it cannot be loaded.
    static std::unique_ptr<PhasedSynth> create(const QString& soundFont, int sampleRate, Phases ownPhases,
                                               QString* error);
    ~PhasedSynth();
    PhasedSynth(const PhasedSynth&) = delete;
    PhasedSynth& operator=(const PhasedSynth&) = delete;

    // A channel message at song sample `at`; `at` never goes back. false with *error when a
    // synth for a new phase cannot be made.
    bool send(std::int64_t at, std::uint8_t status, std::uint8_t data1, std::uint8_t data2, QString* error);
    // Releases every held note at `at`, as the song ends (a held pedal still holds its notes).
    void releaseAll(std::int64_t at);
    // Renders up to song sample `to`: output() is final before it.
    void renderTo(std::int64_t to);

    // Interleaved stereo, the synths summed; at least 2 * the last renderTo() floats.
    std::vector<float>& output() { return out_; }
    std::int64_t renderedTo() const { return renderedTo_; }
    int synthCount() const { return int(synths_.size()); }

private:
    struct Synth {
        _fluid_synth_t* synth = nullptr;
        std::int64_t at = 0;    // song sample its output has reached
        int phase = 0;          // its block edges lie at song samples = phase (mod 64)
        bool resting = false;   // no voice, silent: skipped in whole blocks
        std::int64_t quiet = 0;  // samples rendered in a row with no voice and no sound
    };
    struct LoggedMessage {
        std::uint8_t status, data1, data2;
        bool live;
    };

    PhasedSynth() = default;
    Synth* synthFor(std::int64_t at, QString* error);
    void advance(Synth& s, std::int64_t to);
    void releaseHeld(std::int64_t at, std::uint8_t status, std::uint8_t key, int except);
    void broadcast(std::int64_t at, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    void logChannelState(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    void ensureOutput(std::int64_t frames);

    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_sfont_t* soundFont_ = nullptr;  // loaded by synths_[0], shared by the others
    Phases own_;
    std::vector<Synth> synths_;
    std::array<int, blockFrames> byPhase_{};  // index into synths_, -1 while none
    std::array<int, 16 * 128> holder_{};     // synth holding (channel, key) on, -1 when none or elsewhere
    // The channel state so far, replayed into a new synth: controllers, programs, pitch bend
    // and channel pressure in order, a message dropped once a later one of the same kind makes
    // it moot (absolute controllers, pitch bend, pressure).
    std::vector<LoggedMessage> log_;
    std::array<int, 16 * 130> latest_{};  // per channel: 128 controllers, bend, pressure -> log_ index
    std::size_t deadInLog_ = 0;
    std::vector<float> out_;
    std::vector<float> scratch_;
    std::int64_t renderedTo_ = 0;
};

}  // namespace lumarel
