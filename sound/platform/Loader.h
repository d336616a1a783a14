// The loader of the DirectMusic stand-in: WAV (and other libsndfile formats), standard MIDI
// files, RIFF MIDI (.rmi) and our segment files (RIFF "DMSG").
#pragma once

#include "DirectMusic.h"
#include "Segment.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace qxsound::platform {

// Like DirectMusic's loader it keeps what it loaded: loading a file again while a segment of it is
// alive (and the file is unchanged) shares the decoded content instead of decoding it again.
class OpenALLoader final : public DirectMusicLoader8 {
public:
    std::shared_ptr<DirectMusicSegment8> LoadSegment(const std::string& fileName) override;

private:
    struct Cached {
        std::weak_ptr<const SegmentContent> content;
        std::filesystem::file_time_type modified;
        std::uintmax_t size = 0;
    };
    std::shared_ptr<const SegmentContent> Decode(const std::string& fileName);

    std::map<std::string, Cached> cache_;
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
