#include "export/audio_render.h"

#include "export/phased_synth.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace lumarel {

namespace {

// Below one step of 16-bit sound (-90 dBFS) the tail counts as silent...
constexpr float silentLevel = 1.0f / 32768.0f;
// ...once it has stayed there this long (a release can dip for a moment).
constexpr double silentSeconds = 0.05;
// Rendering between polls of cancel and calls of progress.
constexpr double stepSeconds = 0.1;

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

// The index after the last sample of frames [from, to) above the silent level, or from.
std::int64_t endOfSound(const std::vector<float>& samples, std::int64_t from, std::int64_t to)
{
    for (std::int64_t i = to * 2; i-- > from * 2;)
        if (std::fabs(samples[std::size_t(i)]) >= silentLevel)
            return i / 2 + 1;
    return from;
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
    auto synth = PhasedSynth::create(soundFont, sampleRate, error);
    if (!synth)
        return std::nullopt;

    std::vector<SynthMessage> plan(messages.begin(), messages.end());
    std::stable_sort(plan.begin(), plan.end(),
                     [](const SynthMessage& a, const SynthMessage& b) { return a.timeUs < b.timeUs; });
    const std::int64_t end = sampleOf(songEndUs, sampleRate);
    const auto step = std::int64_t(stepSeconds * sampleRate);
    auto report = [&](std::int64_t at) {
        if (progress)
            progress(end > 0 ? std::min(1.0, double(at) / double(end)) : 1.0);
    };
    // Renders up to a sample in steps, polling cancel between them.
    auto renderUpTo = [&](std::int64_t to) {
        while (synth->renderedTo() < to) {
            if (cancelled(cancel, error))
                return false;
            synth->renderTo(std::min(to, synth->renderedTo() + step));
            report(synth->renderedTo());
        }
        return true;
    };

    report(0);
    for (const SynthMessage& m : plan) {
        const std::int64_t at = sampleOf(m.timeUs, sampleRate);
        if (at > end)
            break;
        if (!renderUpTo(at) || !synth->send(at, m.status, m.data1, m.data2, error))
            return std::nullopt;
    }
    if (!renderUpTo(end))
        return std::nullopt;
    synth->releaseAll(end);

    // The tail: until it has been silent for a while, at most audioTailSeconds.
    const std::int64_t longest = end + std::int64_t(audioTailSeconds) * sampleRate;
    const auto quietFor = std::int64_t(silentSeconds * sampleRate);
    std::int64_t soundEnds = end;
    while (synth->renderedTo() < longest && synth->renderedTo() - soundEnds < quietFor) {
        if (cancelled(cancel, error))
            return std::nullopt;
        const std::int64_t from = synth->renderedTo();
        synth->renderTo(std::min(longest, from + quietFor));
        soundEnds = std::max(soundEnds, endOfSound(synth->output(), from, synth->renderedTo()));
    }
    RenderedAudio audio;
    audio.sampleRate = sampleRate;
    audio.samples = std::move(synth->output());
    audio.samples.resize(std::size_t(soundEnds) * 2);
    if (progress)
        progress(1.0);
    return audio;
}

}  // namespace lumarel
