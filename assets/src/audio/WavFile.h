// RIFF WAVE encoding of mono 16-bit PCM.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "audio/Synth.h"

namespace orvane::assets::audio {

// The complete file: RIFF header, "fmt " chunk (PCM, 1 channel, 16 bits) and "data" chunk.
// Samples are rounded to the nearest step and clamped to the 16-bit range.
std::vector<std::uint8_t> EncodeWav(const Signal& signal, int sampleRate = kSampleRate);

// Writes bytes to a file, replacing it; throws std::runtime_error on failure.
void WriteBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);

}  // namespace orvane::assets::audio
