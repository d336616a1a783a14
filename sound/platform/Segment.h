// Segments of the DirectMusic stand-in: PCM content (from WAV) or a MIDI file (synthesised by
// FluidSynth while it plays) with music-time positions, and the states that play it on audio paths.
#pragma once

#include "DirectMusic.h"
#include "MidiFile.h"
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

// What a state plays: the content's frames at the state's rate, rendered on the mixer thread.
class SegmentVoice {
public:
    virtual ~SegmentVoice() = default;
    virtual int32_t Channels() const noexcept = 0;  // 1 or 2
    // Adds the content's frames [from, from + frames) to `out`. A call that does not continue where
    // the last one ended is a jump (a loop, a start point).
    virtual void MixInto(float* out, int64_t from, int32_t frames) noexcept = 0;
    // After the last frame: adds what still sounds (a synthesiser's released notes); false once
    // there is nothing more.
    virtual bool MixTail(float* out, int32_t frames) noexcept {
        static_cast<void>(out);
        static_cast<void>(frames);
        return false;
    }
};

// What a loaded file gives a segment; immutable and shared. Exactly one of `pcm` and `midi`.
struct SegmentContent {
    std::shared_ptr<const PcmData> pcm;  // waves run at 120 beats per minute: 1536 ticks a second
    std::shared_ptr<const MidiFile> midi;
    int32_t length = 0;
    int32_t loopStart = 0;
    int32_t loopEnd = 0;  // 0: the end of the segment
    int32_t repeats = 0;
    int32_t playStart = 0;
    std::string name;

    // Frame at `rate` that music time `ticks` falls on.
    int64_t FrameAt(int32_t ticks, int32_t rate) const;
    // A voice playing the content at `rate`. Throws qxsound::Error when it cannot be played.
    std::unique_ptr<SegmentVoice> Voice(int32_t rate) const;
};

// One playing instance. Rendered by its path on the mixer thread; stopped from the host thread.
class SegmentState final : public DirectMusicSegmentState8 {
public:
    struct Cursor {
        int64_t position = 0;     // frame in the segment
        int32_t repeatsLeft = 0;  // -1: without end
    };
    struct Plan {
        std::unique_ptr<SegmentVoice> voice;
        int64_t length = 0;
        int64_t loopStart = 0;
        int64_t loopEnd = 0;
        Cursor cursor;
    };

    SegmentState(Plan plan, int32_t startMusicTime, int32_t sampleRate);

    // Adds up to `frames` frames (of the state's channel count) to `out`, whose first frame is the
    // path's output frame `at`; returns false once the state has nothing more to add.
    bool MixInto(float* out, int32_t frames, int64_t at) noexcept;
    // Ends the state; returns where it stood.
    Cursor End() noexcept;
    // Whether the state has rendered its last frame, or was ended.
    bool Finished() const noexcept { return finished_.load(std::memory_order_acquire); }
    // Finished, and nothing more (a synthesiser's release) is added to the path's output.
    bool Done() const noexcept { return done_.load(std::memory_order_acquire); }

    // Where the state is heard: `heard` tells how many frames of the path's output have been heard.
    // Set by the path before the state is first rendered.
    void HeardThrough(std::function<int64_t()> heard) { heard_ = std::move(heard); }
    // Finished, and its last frame has been heard: a state that ran to its end counts as playing
    // until the path has played it out. One that was ended is over at once.
    bool Over() const;
    int32_t StartMusicTime() const noexcept { return startMusicTime_; }
    int32_t SampleRate() const noexcept { return sampleRate_; }
    int32_t Channels() const noexcept { return channels_; }

private:
    Plan plan_;
    int32_t startMusicTime_;
    int32_t sampleRate_;
    int32_t channels_;
    std::mutex mutex_;  // the cursor and the voice: mixer thread and stopping host thread
    std::atomic<bool> finished_{false};
    std::atomic<bool> done_{false};
    std::function<int64_t()> heard_;
    std::atomic<int64_t> lastFrame_{0};  // the path's output frame after the last; 0: none, or ended
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
