// The loader of the DirectMusic stand-in: WAV (and other libsndfile formats), standard MIDI
// files, RIFF MIDI (.rmi) and our segment files (RIFF "DMSG").
#pragma once

#include "DirectMusic.h"
#include "Segment.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qxsound::platform {

class OpenALLoader final : public DirectMusicLoader8 {
public:
    std::shared_ptr<DirectMusicSegment8> LoadSegment(const std::string& fileName) override;
};

// A segment file: RIFF "DMSG" with a "segh" chunk (int32 little-endian length, repeats, loop start,
// loop end, play start), an optional "UNAM" chunk (the name, UTF-8) and the content in a "wave"
// chunk (a whole RIFF WAVE file) or a "midi" chunk (a whole standard MIDI file).
SegmentContent ReadSegmentFile(const std::vector<uint8_t>& bytes, const std::string& fileName);

// Writes a segment file of that layout (used by tools and tests).
std::vector<uint8_t> MakeSegmentFile(int32_t length, int32_t repeats, int32_t loopStart, int32_t loopEnd,
                                     int32_t playStart, const std::string& name, const std::string& contentTag,
                                     const std::vector<uint8_t>& contentBytes);

}  // namespace qxsound::platform
