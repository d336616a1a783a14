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
    // Writes the content's frames [from, from + frames) to `out`. A call that does not continue
    // where the last one ended is a jump (a loop, a start point).
    virtual void Render(float* out, int64_t from, int32_t frames) noexcept = 0;
    // After the last frame: writes what still sounds (a synthesiser's released notes); false, with
    // nothing written, once there is nothing more.
    virtual bool RenderTail(float* out, int32_t frames) noexcept {
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
//
// A state keeps what it gave its path for the last kHistorySeconds: when the path's stream takes
// back queued audio (a state stopped or started beside it), the state gives those frames again, so
// stopping and starting are heard at once and nothing else on the path skips.
class SegmentState final : public DirectMusicSegmentState8 {
public:
    static constexpr double kHistorySeconds = 0.6;  // more than a stream ever keeps queued

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
    // How the state reaches its path: how many of the path's output frames have been heard, and a
    // halt of the path's stream that returns the frames heard.
    struct PathLink {
        std::function<int64_t()> heard;
        std::function<int64_t()> halt;
    };

    SegmentState(Plan plan, int32_t startMusicTime, int32_t sampleRate);

    // Adds `frames` frames (of the state's channel count) to `out`, whose first frame is the path's
    // output frame `at`; returns false, adding nothing, once the state has nothing more to give.
    bool MixInto(float* out, int32_t frames, int64_t at) noexcept;
    // The path took back its last `frames` frames, unheard: they are given again.
    void Rewind(int64_t frames) noexcept;
    // Ends the state and, with `haltPath`, halts its path's stream so that it is silent at once
    // (the path must not be locked). Returns where it stood in what was heard.
    Cursor End(bool haltPath = true);
    // Whether the state has rendered its last frame, or was ended.
    bool Finished() const noexcept { return finished_.load(std::memory_order_acquire); }
    // Finished, and nothing more (a synthesiser's release, frames given again) is added.
    bool Done() const noexcept { return done_.load(std::memory_order_acquire); }
    // Done, and too long ago to be given again: the path may drop it.
    bool Gone(int64_t pathFrame) noexcept;

    // Set by the path before the state is first rendered.
    void Link(PathLink link) { link_ = std::move(link); }
    // Finished, and its last frame has been heard: a state that ran to its end counts as playing
    // until the path has played it out. One that was ended is over at once.
    bool Over() const;
    int32_t StartMusicTime() const noexcept { return startMusicTime_; }
    int32_t SampleRate() const noexcept { return sampleRate_; }
    int32_t Channels() const noexcept { return channels_; }

private:
    // Renders `frames` new frames, the first for the path's frame `at`, into the history at its
    // head (silence once the state is done).
    void RenderNew(int32_t frames, int64_t at) noexcept;
    void AddHistory(float* out, int64_t back, int32_t frames) const noexcept;

    Plan plan_;
    int32_t startMusicTime_;
    int32_t sampleRate_;
    int32_t channels_;
    mutable std::mutex mutex_;  // all below: mixer thread and stopping host thread
    std::vector<float> history_;  // a ring of the last frames given
    int64_t historyFrames_;
    int64_t written_ = 0;       // frames ever written to the history (its head is written_ % size)
    int64_t replay_ = 0;        // frames behind the head still to be given again
    int64_t newAt_ = 0;         // the path frame the next new frame goes to
    int64_t jumpAt_ = -1;       // the path frame of the last loop jump
    int64_t doneAt_ = 0;        // the path frame after the last new frame, once done
    bool cut_ = false;          // ended by the host
    std::atomic<bool> finished_{false};
    std::atomic<bool> done_{false};
    PathLink link_;
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
