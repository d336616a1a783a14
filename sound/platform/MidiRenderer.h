// Standard MIDI files rendered offline by FluidSynth with the General MIDI SoundFont.
#pragma once

#include "Segment.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qxsound::platform {

inline constexpr int32_t kMidiRenderRate = 44100;

// Checks the header and chunk structure (FluidSynth accepts garbage until it plays it) and renders
// the file. Throws qxsound::Error (DMUS_E_LOADER_FORMATNOTSUPPORTED) for a bad file.
SegmentContent RenderMidi(const std::vector<uint8_t>& smf, const std::string& fileName);

// Where the SoundFont is read from (default: the system's General MIDI SoundFont).
void SetMidiSoundFont(const std::string& fileName);

}  // namespace qxsound::platform
