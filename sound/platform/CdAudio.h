// An audio CD over libcdio, a drive or a BIN/CUE image, played by streaming its CD-DA sectors to
// the stream output device. Positions are in CD frames (1/75 s, 588 stereo samples) counted from
// the start of the disc, so the first track of a usual disc starts at frame 150.
#pragma once

#include "MciCommand.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qxsound::platform {

class CdProducer;
class PlayerStream;

class CdAudio {
public:
    // `element` a drive's device path or a ".cue" disc image; empty for libcdio's default drive.
    // Throws MciFailure.
    explicit CdAudio(const std::string& element);
    ~CdAudio();
    CdAudio(const CdAudio&) = delete;
    CdAudio& operator=(const CdAudio&) = delete;

    const MciDisc& Disc() const noexcept { return disc_; }
    int32_t TrackCount() const noexcept { return static_cast<int32_t>(disc_.trackStarts.size()); }
    // The track holding `position` (the first track before it).
    int32_t TrackAt(int64_t position) const noexcept;
    // The disc's catalogue number; empty when it has none.
    const std::string& Mcn() const noexcept { return mcn_; }
    // The disc's CDDB identity.
    uint32_t Identity() const noexcept;

    // Plays from `from` to `to` (both checked by the caller).
    void Play(int64_t from, int64_t to);
    void Pause();
    void Stop();
    void Seek(int64_t position);
    // The sector heard.
    int64_t Position() const;
    // "playing", "paused" or "stopped".
    std::string Mode() const;
    // 0 .. 1000.
    void Volume(int32_t volume);

private:
    // Stops at the sample heard, dropping what the stream holds.
    void Hold();
    int64_t HeardSample() const;

    MciDisc disc_;
    std::string mcn_;
    bool paused_ = false;
    std::shared_ptr<CdProducer> producer_;
    std::unique_ptr<PlayerStream> stream_;  // opened on the first Play
};

// A failure of the command interpreter, carrying its error code.
struct MciFailure {
    int32_t code;
};

}  // namespace qxsound::platform
