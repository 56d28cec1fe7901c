// How late the output's playback thread sends messages against a steady clock.
#include "midi/midi_output.h"
#include "midi/recording_device.h"

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

using namespace lumarel;

int main()
{
    const int count = 2000;
    const std::int64_t spanUs = 4000000;
    auto clock = std::make_shared<SteadyClock>();
    auto log = std::make_shared<RecordingLog>();
    log->reserve(count + 64);
    MIDIOutput output(std::make_unique<RecordingDeviceProvider>(log, clock), clock);
    output.setAction(MIDIOutput::Open);
    std::vector<std::int64_t> due;
    for (int i = 0; i < count; ++i) {
        // Whole-millisecond times with some sharing a time, as songs have.
        const std::int64_t ms = (std::int64_t(i) * spanUs / count) / 1000;
        due.push_back(ms * 1000);
        output.setMsgStatus(0x90);
        output.setMsgData1(i % 128);
        output.setMsgData2(i % 2 ? 100 : 0);
        output.setMsgTime(double(ms));
        output.setAction(MIDIOutput::Append);
    }
    output.setAction(MIDIOutput::Start);
    while (output.isPlaying())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::int64_t start = output.startedAtUs();
    const auto played = log->messages();
    std::vector<std::int64_t> errors;
    for (std::size_t i = 0; i < played.size() && i < due.size(); ++i)
        errors.push_back(std::max<std::int64_t>(0, played[i].atUs - start - due[i]));
    std::sort(errors.begin(), errors.end());
    auto at = [&](double q) { return errors.empty() ? 0 : errors[std::size_t(q * double(errors.size() - 1))]; };
    std::printf("midi_timing messages=%zu onset_error_us p50=%lld p99=%lld max=%lld\n", played.size(),
                static_cast<long long>(at(0.5)), static_cast<long long>(at(0.99)),
                static_cast<long long>(errors.empty() ? 0 : errors.back()));
    return played.size() == std::size_t(count) ? 0 : 1;
}
