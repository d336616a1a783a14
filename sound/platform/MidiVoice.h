// A MIDI file synthesised while it plays: one FluidSynth synthesizer per playing state, fed the
// file's events at their frames.
#pragma once

#include "MidiFile.h"
#include "Segment.h"

#include <memory>

namespace qxsound::platform {

// Throws qxsound::Error when the SoundFont cannot be used.
std::unique_ptr<SegmentVoice> MakeMidiVoice(std::shared_ptr<const MidiFile> file, int32_t sampleRate);

}  // namespace qxsound::platform
