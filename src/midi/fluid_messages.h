#pragma once
// The glue between our MIDI messages and FluidSynth, shared by the live synth and offline
// rendering.

#include <cstdint>

struct _fluid_synth_t;

namespace lumarel {

// Plays one channel message (status 0x80..0xEF) on the synth; anything else is ignored.
// A note on with velocity 0 is a note off; program change and channel pressure use data1 only.
void sendToFluidSynth(_fluid_synth_t* synth, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);

// Sends FluidSynth's own log to the "lumarel.player.synth" category instead of stderr.
// Safe to call any number of times, from any thread.
void routeFluidSynthLog();

}  // namespace lumarel
