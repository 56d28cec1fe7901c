#include "export/phased_synth.h"

#include "midi/fluid_messages.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <fluidsynth.h>

namespace lumarel {

namespace {

constexpr int chunkFrames = 1024;          // rendered per call, at most
constexpr float restLevel = 1e-6f;         // -120 dBFS: below this a synth without voices has died away
constexpr std::int64_t restAfter = 2048;   // samples that quiet before it is skipped

int holderKey(std::uint8_t status, std::uint8_t key)
{
    return (status & 0x0F) * 128 + (key & 0x7F);
}

// Controllers whose effect depends on other messages' order (bank select and data entry with
// their (N)RPN numbers, channel mode messages) are never dropped from the log.
bool isAbsoluteController(std::uint8_t controller)
{
    switch (controller) {
    case 0: case 6: case 32: case 38: case 96: case 97: case 98: case 99: case 100: case 101:
        return false;
    default:
        return controller < 120;
    }
}

int phaseOf(std::int64_t sample)
{
    return int(sample % PhasedSynth::blockFrames);
}

}  // namespace

std::unique_ptr<PhasedSynth> PhasedSynth::create(const QString& soundFont, int sampleRate, Phases ownPhases,
                                                 QString* error)
{
    routeFluidSynthLog();
    std::unique_ptr<PhasedSynth> engine(new PhasedSynth);
    engine->own_ = ownPhases;
    engine->byPhase_.fill(-1);
    engine->holder_.fill(-1);
    engine->latest_.fill(-1);
    engine->settings_ = new_fluid_settings();
    fluid_settings_setnum(engine->settings_, "synth.sample-rate", double(sampleRate));
    fluid_settings_setint(engine->settings_, "synth.threadsafe-api", 0);  // one thread uses them
    fluid_synth_t* first = engine->settings_ ? new_fluid_synth(engine->settings_) : nullptr;
    const int id = first ? fluid_synth_sfload(first, QFile::encodeName(soundFont).constData(), 1) : FLUID_FAILED;
    if (first)
        engine->synths_.push_back({first, 0, 0, false, 0});
    if (id == FLUID_FAILED) {
        if (error)
            *error = QStringLiteral("The SoundFont %1 could not be loaded.").arg(soundFont);
        return nullptr;
    }
    engine->soundFont_ = fluid_synth_get_sfont_by_id(first, id);
    if (ownPhases.test(0))
        engine->byPhase_[0] = 0;  // else it only holds the SoundFont, resting
    return engine;
}

PhasedSynth::~PhasedSynth()
{
    // The SoundFont belongs to the first synth: the others let go of it before they are deleted.
    for (std::size_t i = synths_.size(); i-- > 1;) {
        fluid_synth_remove_sfont(synths_[i].synth, soundFont_);
        delete_fluid_synth(synths_[i].synth);
    }
    if (!synths_.empty())
        delete_fluid_synth(synths_[0].synth);
    if (settings_)
        delete_fluid_settings(settings_);
}

void PhasedSynth::ensureOutput(std::int64_t frames)
{
    if (out_.size() < std::size_t(frames) * 2)
        out_.resize(std::max(std::size_t(frames) * 2, out_.size() + out_.size() / 2));
}

void PhasedSynth::advance(Synth& s, std::int64_t to)
{
    ensureOutput(to);
    scratch_.resize(chunkFrames * 2);
    while (s.at < to) {
        const std::int64_t toEdge = (s.phase - phaseOf(s.at) + blockFrames) % blockFrames;
        if (s.resting && toEdge == 0) {
            // Whole blocks only, so the synth's edges stay on its phase.
            s.at += (to - s.at) / blockFrames * blockFrames;
            return;
        }
        // Chunks end on the synth's edges, where it may start to rest.
        const int frames = int(std::min<std::int64_t>(to - s.at, toEdge ? toEdge : chunkFrames));
        fluid_synth_write_float(s.synth, frames, scratch_.data(), 0, 2, scratch_.data(), 1, 2);
        float* out = out_.data() + s.at * 2;
        float peak = 0;
        for (int i = 0; i < frames * 2; ++i) {
            out[i] += scratch_[std::size_t(i)];
            peak = std::max(peak, std::fabs(scratch_[std::size_t(i)]));
        }
        s.at += frames;
        if (peak < restLevel && fluid_synth_get_active_voice_count(s.synth) == 0)
            s.quiet += frames;
        else
            s.quiet = 0;
        s.resting = s.quiet >= restAfter;
    }
}

PhasedSynth::Synth* PhasedSynth::synthFor(std::int64_t at, QString* error)
{
    const int phase = phaseOf(at);
    if (byPhase_[std::size_t(phase)] >= 0) {
        Synth& s = synths_[std::size_t(byPhase_[std::size_t(phase)])];
        advance(s, at);  // lands exactly on one of its edges
        return &s;
    }
    // A fresh synth starts its first block where it is first written: here.
    fluid_synth_t* synth = new_fluid_synth(settings_);
    if (!synth || fluid_synth_add_sfont(synth, soundFont_) == FLUID_FAILED) {
        if (synth)
            delete_fluid_synth(synth);
        if (error)
            *error = QStringLiteral("The synth could not be started (out of memory?).");
        return nullptr;
    }
    for (const LoggedMessage& m : log_)
        if (m.live)
            sendToFluidSynth(synth, m.status, m.data1, m.data2);
    byPhase_[std::size_t(phase)] = int(synths_.size());
    synths_.push_back({synth, at, phase, false, 0});
    return &synths_.back();
}

void PhasedSynth::broadcast(std::int64_t at, std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    // A resting synth may stop up to a block short of `at`: it has no voice, so taking the
    // message a little early changes nothing it plays.
    for (Synth& s : synths_) {
        advance(s, at);
        sendToFluidSynth(s.synth, status, data1, data2);
    }
}

void PhasedSynth::logChannelState(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    const int channel = status & 0x0F;
    int kind = -1;
    switch (status & 0xF0) {
    case 0xB0:
        kind = isAbsoluteController(data1) ? data1 : -1;
        break;
    case 0xE0:
        kind = 128;
        break;
    case 0xD0:
        kind = 129;
        break;
    default:
        break;
    }
    if (kind >= 0) {
        int& latest = latest_[std::size_t(channel * 130 + kind)];
        if (latest >= 0) {
            log_[std::size_t(latest)].live = false;
            ++deadInLog_;
        }
        latest = int(log_.size());
    }
    log_.push_back({status, data1, data2, true});
    if (deadInLog_ > 4096 && deadInLog_ * 2 > log_.size()) {
        std::erase_if(log_, [](const LoggedMessage& m) { return !m.live; });
        deadInLog_ = 0;
        latest_.fill(-1);
        for (std::size_t i = 0; i < log_.size(); ++i) {
            const LoggedMessage& m = log_[i];
            const int type = m.status & 0xF0;
            const int k = type == 0xE0 ? 128 : type == 0xD0 ? 129 : type == 0xB0 && isAbsoluteController(m.data1) ? m.data1 : -1;
            if (k >= 0)
                latest_[std::size_t((m.status & 0x0F) * 130 + k)] = int(i);
        }
    }
}

void PhasedSynth::releaseHeld(std::int64_t at, std::uint8_t status, std::uint8_t key, int except)
{
    // One synth releases a note struck again on the same key; across synths, do it here.
    int& holder = holder_[std::size_t(holderKey(status, key))];
    if (holder >= 0 && holder != except) {
        Synth& s = synths_[std::size_t(holder)];
        advance(s, at);
        fluid_synth_noteoff(s.synth, status & 0x0F, key);
    }
    holder = except;
}

bool PhasedSynth::send(std::int64_t at, std::uint8_t status, std::uint8_t data1, std::uint8_t data2, QString* error)
{
    at = std::max(at, renderedTo_);
    const int type = status & 0xF0;
    if (type == 0x90 && data2 > 0) {
        if (!own_.test(std::size_t(phaseOf(at)))) {
            releaseHeld(at, status, data1, -1);  // sounded by another object
            return true;
        }
        Synth* target = synthFor(at, error);
        if (!target)
            return false;
        releaseHeld(at, status, data1, int(target - synths_.data()));
        sendToFluidSynth(target->synth, status, data1, data2);
        target->resting = false;
        target->quiet = 0;
        return true;
    }
    if (type == 0x80 || type == 0x90)
        holder_[std::size_t(holderKey(status, data1))] = -1;
    else if (type >= 0xB0 && type <= 0xE0)
        logChannelState(status, data1, data2);
    else if (type != 0xA0)
        return true;  // not a channel message
    broadcast(at, status, data1, data2);
    return true;
}

void PhasedSynth::releaseAll(std::int64_t at)
{
    at = std::max(at, renderedTo_);
    for (Synth& s : synths_) {
        advance(s, at);
        fluid_synth_all_notes_off(s.synth, -1);
    }
    holder_.fill(-1);
}

void PhasedSynth::renderTo(std::int64_t to)
{
    if (to <= renderedTo_)
        return;
    for (Synth& s : synths_)
        advance(s, to);
    renderedTo_ = to;
}

}  // namespace lumarel
