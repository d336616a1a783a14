// FluidSynth synthesizers for MIDI segment states, all sharing one General MIDI SoundFont that is
// loaded once per process.
//
// The SoundFont and a spare synthesizer are made on a background thread (loading the font takes
// a quarter of a second, a synthesizer some tens of milliseconds), so neither Load nor Play waits
// for them. Synthesizers are not reused: one that has played starts its next notes slightly
// differently (its voices keep filter state), so every piece gets a fresh one. FluidSynth keeps unsynchronised counters in the shared font's samples: every call on
// a synthesizer of the pool is made under Lock().
#pragma once

#include <fluidsynth.h>

#include <cstdint>
#include <mutex>

namespace qxsound::platform {

namespace MidiSynth {

// Throws qxsound::Error (DMUS_E_LOADER_FAILEDOPEN) unless the SoundFont file is there and looks
// like one; starts loading it, with a spare synthesizer at `sampleRate`, in the background.
void Prepare(int32_t sampleRate);
// A fresh synthesizer at `sampleRate` (made here if no spare is ready), or nullptr when the
// SoundFont cannot be loaded. Waits for the SoundFont; call it off the host's thread.
fluid_synth_t* Acquire(int32_t sampleRate);
// Deletes a synthesizer from Acquire.
void Release(fluid_synth_t* synth) noexcept;
// Held around every call on a synthesizer of the pool.
std::mutex& Lock() noexcept;

}  // namespace MidiSynth

}  // namespace qxsound::platform
