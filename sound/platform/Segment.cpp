#include "Segment.h"

#include <qxsound/Error.h>

#include "MidiVoice.h"

#include <algorithm>
#include <cmath>

namespace qxsound::platform {

namespace {

constexpr int64_t kTicksPerSecond = 2 * DMUS_PPQ;  // 120 beats per minute

}  // namespace

int64_t SegmentContent::FrameAt(int32_t ticks, int32_t rate) const {
    if (midi) return std::llround(midi->SecondsAt(ticks) * rate);
    const int64_t frame = static_cast<int64_t>(ticks) * pcm->SampleRate() / kTicksPerSecond;
    return rate == pcm->SampleRate() ? frame : frame * rate / pcm->SampleRate();
}

namespace {

// PCM data at the path's rate, added as it stands; past the data, silence.
class WaveVoice final : public SegmentVoice {
public:
    WaveVoice(std::shared_ptr<const std::vector<float>> data, int32_t channels)
        : data_(std::move(data)), channels_(channels) {}
    int32_t Channels() const noexcept override { return channels_; }
    void MixInto(float* out, int64_t from, int32_t frames) noexcept override {
        const int64_t available = static_cast<int64_t>(data_->size()) / channels_;
        const int64_t count = channels_ * std::clamp<int64_t>(available - from, 0, frames);
        float* __restrict dst = out;
        const float* __restrict src = data_->data() + channels_ * from;
#pragma omp simd
        for (int64_t i = 0; i < count; ++i) dst[i] += src[i];
    }

private:
    std::shared_ptr<const std::vector<float>> data_;
    int32_t channels_;
};

}  // namespace

std::unique_ptr<SegmentVoice> SegmentContent::Voice(int32_t rate) const {
    if (midi) return MakeMidiVoice(midi, rate);
    return std::make_unique<WaveVoice>(pcm->FloatsAt(rate), pcm->Channels());
}

SegmentState::SegmentState(Plan plan, int32_t startMusicTime, int32_t sampleRate)
    : plan_(std::move(plan)),
      startMusicTime_(startMusicTime),
      sampleRate_(sampleRate),
      channels_(plan_.voice->Channels()) {}

bool SegmentState::MixInto(float* out, int32_t frames, int64_t at) noexcept {
    std::lock_guard lock(mutex_);
    if (done_.load(std::memory_order_relaxed)) return false;
    Cursor& c = plan_.cursor;
    const bool loops = plan_.loopEnd > plan_.loopStart;
    while (frames > 0 && !finished_.load(std::memory_order_relaxed)) {
        const bool looping = loops && c.repeatsLeft != 0;
        if (looping && c.position == plan_.loopEnd) {
            c.position = plan_.loopStart;
            if (c.repeatsLeft > 0) --c.repeatsLeft;
            continue;
        }
        const int64_t end = looping && c.position < plan_.loopEnd ? plan_.loopEnd : plan_.length;
        if (c.position >= end) {
            lastFrame_.store(std::max<int64_t>(at, 1), std::memory_order_release);
            finished_.store(true, std::memory_order_release);
            break;
        }
        const auto n = static_cast<int32_t>(std::min<int64_t>(frames, end - c.position));
        plan_.voice->MixInto(out, c.position, n);
        out += static_cast<std::ptrdiff_t>(channels_) * n;
        frames -= n;
        at += n;
        c.position += n;
    }
    if (frames > 0 && !plan_.voice->MixTail(out, frames)) {
        done_.store(true, std::memory_order_release);
        plan_.voice.reset();  // a synthesiser goes back to its pool
        return false;
    }
    return true;
}

SegmentState::Cursor SegmentState::End() noexcept {
    std::lock_guard lock(mutex_);
    lastFrame_.store(0, std::memory_order_release);
    finished_.store(true, std::memory_order_release);
    done_.store(true, std::memory_order_release);
    plan_.voice.reset();
    return plan_.cursor;
}

bool SegmentState::Over() const {
    if (!Finished()) return false;
    const int64_t last = lastFrame_.load(std::memory_order_acquire);
    return last == 0 || !heard_ || heard_() >= last;
}

OpenALSegment::OpenALSegment(std::shared_ptr<const SegmentContent> content)
    : content_(std::move(content)),
      length_(content_->length),
      loopStart_(content_->loopStart),
      loopEnd_(content_->loopEnd),
      repeats_(content_->repeats),
      startPoint_(content_->playStart) {}

void OpenALSegment::SetStartPoint(int32_t musicTime) {
    const bool resumes = resume_ && musicTime > 0 && musicTime - 1 >= resume_->startMusicTime;
    if (musicTime < 0 || (musicTime >= length_ && !resumes))
        throw Error(DMUS_E_OUT_OF_RANGE, "start point " + std::to_string(musicTime) + " is outside the segment");
    startPoint_ = musicTime;
}

void OpenALSegment::SetLength(int32_t length) {
    if (length <= 0) throw Error(DSERR_INVALIDPARAM, "a segment length must be positive");
    length_ = length;
}

void OpenALSegment::SetRepeats(int32_t repeats) {
    if (repeats < DMUS_SEG_REPEAT_INFINITE) throw Error(DSERR_INVALIDPARAM, "repeat counts are -1 or more");
    repeats_ = repeats;
}

std::shared_ptr<SegmentState> OpenALSegment::MakeState(int32_t sampleRate, int32_t musicTime) {
    SegmentState::Plan plan;
    plan.voice = content_->Voice(sampleRate);
    plan.length = content_->FrameAt(length_, sampleRate);
    plan.loopStart = std::min(content_->FrameAt(loopStart_, sampleRate), plan.length);
    plan.loopEnd = loopEnd_ > 0 ? std::min(content_->FrameAt(loopEnd_, sampleRate), plan.length) : plan.length;
    const bool resumes = resume_ && startPoint_ > 0 && startPoint_ - 1 >= resume_->startMusicTime &&
                         resume_->sampleRate == sampleRate;
    if (resumes) {
        plan.cursor = resume_->cursor;
    } else {
        plan.cursor.position = startPoint_ < length_ ? content_->FrameAt(startPoint_, sampleRate) : 0;
        plan.cursor.repeatsLeft = repeats_;
    }
    auto state = std::make_shared<SegmentState>(std::move(plan), musicTime, sampleRate);
    std::erase_if(states_, [](const auto& w) { return w.expired(); });
    states_.push_back(state);
    return state;
}

void OpenALSegment::StopStates() {
    for (auto& weak : states_) {
        if (auto state = weak.lock()) {
            const bool wasPlaying = !state->Finished();
            const SegmentState::Cursor cursor = state->End();
            if (wasPlaying) resume_ = Resume{state->StartMusicTime(), state->SampleRate(), cursor};
        }
    }
    states_.clear();
}

bool OpenALSegment::AnyPlaying() {
    return std::any_of(states_.begin(), states_.end(), [](const auto& w) {
        auto s = w.lock();
        return s && !s->Over();
    });
}

}  // namespace qxsound::platform
