// Segments of the DirectMusic stand-in: PCM content (from WAV, or MIDI rendered by FluidSynth)
// with music-time positions, and the states that play it on audio paths.
#pragma once

#include "DirectMusic.h"
#include "Pcm.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qxsound::platform {

// What a loaded file gives a segment; immutable and shared.
struct SegmentContent {
    std::shared_ptr<const PcmData> pcm;
    // (music time, frame at the PCM's rate) pairs of a MIDI rendering; empty for waves, which run
    // at 120 beats per minute: 1536 ticks per second.
    std::vector<std::pair<int32_t, int64_t>> tickFrames;
    int32_t length = 0;
    int32_t loopStart = 0;
    int32_t loopEnd = 0;  // 0: the end of the segment
    int32_t repeats = 0;
    int32_t playStart = 0;
    std::string name;

    // Frame at `rate` that music time `ticks` falls on.
    int64_t FrameAt(int32_t ticks, int32_t rate) const;
};

// One playing instance. Rendered by its path on the mixer thread; stopped from the host thread.
class SegmentState final : public DirectMusicSegmentState8 {
public:
    struct Cursor {
        int64_t position = 0;     // frame in the segment
        int32_t repeatsLeft = 0;  // -1: without end
    };
    struct Plan {
        std::shared_ptr<const std::vector<float>> data;  // at the path's rate
        int32_t channels = 2;                            // of `data`: 1 or 2
        int64_t length = 0;
        int64_t loopStart = 0;
        int64_t loopEnd = 0;
        Cursor cursor;
    };

    SegmentState(Plan plan, int32_t startMusicTime, int32_t sampleRate);

    // Adds up to `frames` frames (of the state's channel count) to `out`; returns false once the
    // state has finished.
    bool MixInto(float* out, int32_t frames) noexcept;
    // Ends the state; returns where it stood.
    Cursor End() noexcept;
    // Whether the state has rendered its last frame, or was ended.
    bool Finished() const noexcept { return finished_.load(std::memory_order_acquire); }

    // Where the state is heard: `heard` tells how many frames of the path's output have been heard.
    // Set by the path before the state is first rendered.
    void HeardThrough(std::function<int64_t()> heard) { heard_ = std::move(heard); }
    // The path's output frame by which the state's last frame has been rendered (on the mixer thread).
    void RenderedUpTo(int64_t frame) noexcept;
    // Finished, and what it rendered has been heard: a state that ran to its end counts as playing
    // until the path has played it out. One that was ended is over at once.
    bool Over() const;
    int32_t StartMusicTime() const noexcept { return startMusicTime_; }
    int32_t SampleRate() const noexcept { return sampleRate_; }
    int32_t Channels() const noexcept { return plan_.channels; }

private:
    Plan plan_;
    int32_t startMusicTime_;
    int32_t sampleRate_;
    std::mutex mutex_;  // the cursor: mixer thread and stopping host thread
    std::atomic<bool> finished_{false};
    std::function<int64_t()> heard_;
    std::atomic<int64_t> lastFrame_{0};  // of the path's output; 0 until the state ran to its end
};

class OpenALSegment final : public DirectMusicSegment8 {
public:
    explicit OpenALSegment(std::shared_ptr<const SegmentContent> content);

    void SetStartPoint(int32_t musicTime) override;
    int32_t GetLoopPointStart() override { return loopStart_; }
    int32_t GetLoopPointEnd() override { return loopEnd_; }
    int32_t GetLength() override { return length_; }
    void SetLength(int32_t length) override;
    int32_t GetRepeats() override { return repeats_; }
    void SetRepeats(int32_t repeats) override;
    void SetStandardMidiFile() override { standardMidi_ = true; }
    std::string GetName() override { return content_->name; }

    bool IsStandardMidiFile() const noexcept { return standardMidi_; }
    int32_t StartPoint() const noexcept { return startPoint_; }

    // A new state from the current start point: a start point past the music time at which the
    // segment's last state began resumes where StopStates left that state; otherwise it is a
    // position in the segment.
    std::shared_ptr<SegmentState> MakeState(int32_t sampleRate, int32_t musicTime);
    // Ends every live state of the segment, remembering where the latest one stood.
    void StopStates();
    bool AnyPlaying();

private:
    std::shared_ptr<const SegmentContent> content_;
    int32_t length_;
    int32_t loopStart_;
    int32_t loopEnd_;
    int32_t repeats_;
    int32_t startPoint_ = 0;
    bool standardMidi_ = false;
    std::vector<std::weak_ptr<SegmentState>> states_;
    struct Resume {
        int32_t startMusicTime;
        int32_t sampleRate;
        SegmentState::Cursor cursor;
    };
    std::optional<Resume> resume_;
};

}  // namespace qxsound::platform
