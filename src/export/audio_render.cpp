#include "export/audio_render.h"

#include "export/phased_synth.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <thread>

namespace lumarel {

namespace {

// Below one step of 16-bit sound (-90 dBFS) the tail counts as silent...
constexpr float silentLevel = 1.0f / 32768.0f;
// ...once it has stayed there this long (a release can dip for a moment).
constexpr double silentSeconds = 0.05;
// Rendering between polls of cancel and calls of progress.
constexpr double stepSeconds = 0.1;
// The most threads the synths are shared out to. Each part holds a whole song of samples
// until they are summed, so this also bounds the memory (2 x 23 MB a minute at 48 kHz).
constexpr int mostParts = 2;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

std::int64_t sampleOf(std::int64_t us, int sampleRate)
{
    if (us <= 0)
        return 0;
    // round(us * rate / 1e6) without overflow for any song length that fits the type.
    const std::int64_t whole = us / 1000000, part = us % 1000000;
    return whole * sampleRate + (part * sampleRate + 500000) / 1000000;
}

bool cancelled(const std::atomic<bool>* cancel, QString* error)
{
    if (cancel && cancel->load(std::memory_order_relaxed)) {
        setError(error, QStringLiteral("The sound was not rendered: cancelled."));
        return true;
    }
    return false;
}

// The index after the last frame of [from, to) whose sum over the parts is above the silent
// level, or from.
std::int64_t endOfSound(const std::vector<std::unique_ptr<PhasedSynth>>& parts, std::int64_t from, std::int64_t to)
{
    for (std::int64_t i = to * 2; i-- > from * 2;) {
        float sum = 0;
        for (const auto& part : parts)
            sum += part->output()[std::size_t(i)];
        if (std::fabs(sum) >= silentLevel)
            return i / 2 + 1;
    }
    return from;
}

// Shares the block phases of the note ons out among `count` parts, each phase to the part
// with the fewest notes so far, busiest phases first.
std::vector<PhasedSynth::Phases> sharePhases(const std::vector<std::int64_t>& notesPerPhase, int count)
{
    std::vector<int> order(notesPerPhase.size());
    for (std::size_t p = 0; p < order.size(); ++p)
        order[p] = int(p);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return notesPerPhase[std::size_t(a)] > notesPerPhase[std::size_t(b)];
    });
    std::vector<PhasedSynth::Phases> phases(static_cast<std::size_t>(count));
    std::vector<std::int64_t> load(static_cast<std::size_t>(count), 0);
    for (const int p : order) {
        const auto part = std::size_t(std::min_element(load.begin(), load.end()) - load.begin());
        phases[part].set(std::size_t(p));
        load[part] += notesPerPhase[std::size_t(p)];
    }
    return phases;
}

struct PartRun {
    PhasedSynth* synth = nullptr;
    const std::vector<SynthMessage>* plan = nullptr;
    std::int64_t end = 0;
    int sampleRate = 0;
    const std::atomic<bool>* cancel = nullptr;
    std::atomic<bool>* stop = nullptr;  // set by the first part that fails or is cancelled
    std::function<void(std::int64_t)> report;  // only on the calling thread
    QString error;
};

// Plays the whole plan on one part up to the end of the song, in steps between which it
// polls cancel and stop.
bool playPart(PartRun& run)
{
    PhasedSynth& synth = *run.synth;
    const auto step = std::int64_t(stepSeconds * run.sampleRate);
    auto renderUpTo = [&](std::int64_t to) {
        while (synth.renderedTo() < to) {
            if (run.stop->load() || cancelled(run.cancel, &run.error))
                return false;
            synth.renderTo(std::min(to, synth.renderedTo() + step));
            if (run.report)
                run.report(synth.renderedTo());
        }
        return true;
    };
    bool ok = true;
    for (const SynthMessage& m : *run.plan) {
        const std::int64_t at = sampleOf(m.timeUs, run.sampleRate);
        if (at > run.end)
            break;
        if (!renderUpTo(at) || !synth.send(at, m.status, m.data1, m.data2, &run.error)) {
            ok = false;
            break;
        }
    }
    if (ok && renderUpTo(run.end)) {
        synth.releaseAll(run.end);
        return true;
    }
    run.stop->store(true);
    return false;
}

// One part per core (at most mostParts), each owning the phases of about as many notes.
std::vector<std::unique_ptr<PhasedSynth>> makeParts(const std::vector<SynthMessage>& plan, const QString& soundFont,
                                                    int sampleRate, QString* error)
{
    std::vector<std::int64_t> notesPerPhase(PhasedSynth::blockFrames, 0);
    for (const SynthMessage& m : plan)
        if ((m.status & 0xF0) == 0x90 && m.data2 > 0)
            ++notesPerPhase[std::size_t(sampleOf(m.timeUs, sampleRate) % PhasedSynth::blockFrames)];
    const auto used = int(std::count_if(notesPerPhase.begin(), notesPerPhase.end(), [](std::int64_t n) { return n > 0; }));
    const int count = std::clamp(std::min(QThread::idealThreadCount(), used), 1, mostParts);
    std::vector<std::unique_ptr<PhasedSynth>> parts;
    for (const PhasedSynth::Phases& phases : sharePhases(notesPerPhase, count)) {
        parts.push_back(PhasedSynth::create(soundFont, sampleRate, phases, error));
        if (!parts.back())
            return {};
    }
    return parts;
}

// Plays the song on every part, the first on this thread (it reports progress), the others on
// threads of their own. false with *error when one failed or was cancelled.
bool playParts(std::vector<std::unique_ptr<PhasedSynth>>& parts, const std::vector<SynthMessage>& plan,
               std::int64_t end, int sampleRate, const std::atomic<bool>* cancel, QString* error,
               const std::function<void(double fraction)>& progress)
{
    std::atomic<bool> stop = false;
    std::vector<PartRun> runs(parts.size());
    for (std::size_t i = 0; i < parts.size(); ++i)
        runs[i] = {parts[i].get(), &plan, end, sampleRate, cancel, &stop, {}, {}};
    if (progress)
        runs[0].report = [&](std::int64_t at) { progress(end > 0 ? std::min(1.0, double(at) / double(end)) : 1.0); };
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < runs.size(); ++i)
        helpers.emplace_back([&run = runs[i]] { playPart(run); });
    playPart(runs[0]);
    for (std::thread& helper : helpers)
        helper.join();
    for (const PartRun& run : runs)
        if (!run.error.isEmpty()) {
            setError(error, run.error);
            return false;
        }
    return true;
}

// Renders past the end until the sum has been silent for silentSeconds, at most
// audioTailSeconds; returns where the sound ends (not before the end of the song), or -1
// when cancelled.
std::int64_t renderTail(std::vector<std::unique_ptr<PhasedSynth>>& parts, std::int64_t end, int sampleRate,
                        const std::atomic<bool>* cancel, QString* error)
{
    const std::int64_t longest = end + std::int64_t(audioTailSeconds) * sampleRate;
    const auto quietFor = std::int64_t(silentSeconds * sampleRate);
    std::int64_t soundEnds = end, renderedTo = end;
    while (renderedTo < longest && renderedTo - soundEnds < quietFor) {
        if (cancelled(cancel, error))
            return -1;
        const std::int64_t to = std::min(longest, renderedTo + quietFor);
        for (auto& part : parts)
            part->renderTo(to);
        soundEnds = std::max(soundEnds, endOfSound(parts, renderedTo, to));
        renderedTo = to;
    }
    return soundEnds;
}

}  // namespace

std::optional<RenderedAudio> renderSongAudio(std::span<const SynthMessage> messages, std::int64_t songEndUs,
                                             const QString& soundFont, int sampleRate,
                                             const std::atomic<bool>* cancel, QString* error,
                                             const std::function<void(double fraction)>& progress)
{
    if (sampleRate < 8000 || sampleRate > 96000) {
        setError(error, QStringLiteral("The sound cannot be rendered at %1 Hz (8000..96000 Hz).").arg(sampleRate));
        return std::nullopt;
    }
    if (soundFont.isEmpty() || !QFileInfo(soundFont).isFile()) {
        setError(error, soundFont.isEmpty() ? QStringLiteral("No SoundFont was found to render the sound with.")
                                            : QStringLiteral("The SoundFont %1 does not exist.")
                                                  .arg(QDir::toNativeSeparators(soundFont)));
        return std::nullopt;
    }
    std::vector<SynthMessage> plan(messages.begin(), messages.end());
    std::stable_sort(plan.begin(), plan.end(),
                     [](const SynthMessage& a, const SynthMessage& b) { return a.timeUs < b.timeUs; });
    const std::int64_t end = sampleOf(songEndUs, sampleRate);
    auto parts = makeParts(plan, soundFont, sampleRate, error);
    if (parts.empty() || !playParts(parts, plan, end, sampleRate, cancel, error, progress))
        return std::nullopt;
    const std::int64_t soundEnds = renderTail(parts, end, sampleRate, cancel, error);
    if (soundEnds < 0)
        return std::nullopt;

    RenderedAudio audio;
    audio.sampleRate = sampleRate;
    audio.samples = std::move(parts[0]->output());
    audio.samples.resize(std::size_t(soundEnds) * 2);
    for (std::size_t p = 1; p < parts.size(); ++p) {
        const std::vector<float>& other = parts[p]->output();
        for (std::size_t i = 0; i < audio.samples.size(); ++i)
            audio.samples[i] += other[i];
    }
    if (progress)
        progress(1.0);
    return audio;
}

}  // namespace lumarel
