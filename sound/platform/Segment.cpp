#include "Segment.h"

#include <qxsound/Error.h>

#include "MidiVoice.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

// PCM data at the path's rate; past the data, silence.
class WaveVoice final : public SegmentVoice {
public:
    WaveVoice(std::shared_ptr<const std::vector<float>> data, int32_t channels)
        : data_(std::move(data)), channels_(channels) {}
    int32_t Channels() const noexcept override { return channels_; }
    void Render(float* out, int64_t from, int32_t frames) noexcept override {
        const int64_t available = static_cast<int64_t>(data_->size()) / channels_;
        const int64_t count = channels_ * std::clamp<int64_t>(available - from, 0, frames);
        if (count > 0) std::memcpy(out, data_->data() + channels_ * from, sizeof(float) * static_cast<std::size_t>(count));
        std::fill(out + count, out + static_cast<std::ptrdiff_t>(channels_) * frames, 0.0f);
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
      channels_(plan_.voice->Channels()),
      historyFrames_(std::max<int64_t>(1, std::llround(kHistorySeconds * sampleRate))) {}

void SegmentState::AddHistory(float* out, int64_t back, int32_t frames) const noexcept {
    int64_t from = (written_ - back) % historyFrames_;
    while (frames > 0) {
        const auto n = static_cast<int32_t>(std::min<int64_t>(frames, historyFrames_ - from));
        const float* __restrict src = history_.data() + channels_ * from;
        float* __restrict dst = out;
        const int32_t count = channels_ * n;
#pragma omp simd
        for (int32_t i = 0; i < count; ++i) dst[i] += src[i];
        out += count;
        frames -= n;
        from = (from + n) % historyFrames_;
    }
}

void SegmentState::RenderNew(int32_t frames, int64_t at) noexcept {
    Cursor& c = plan_.cursor;
    const bool loops = plan_.loopEnd > plan_.loopStart;
    while (frames > 0) {
        float* dst = history_.data() + channels_ * (written_ % historyFrames_);
        int32_t room = static_cast<int32_t>(std::min<int64_t>(frames, historyFrames_ - written_ % historyFrames_));
        frames -= room;
        written_ += room;
        while (room > 0 && !finished_.load(std::memory_order_relaxed)) {
            const bool looping = loops && c.repeatsLeft != 0;
            if (looping && c.position == plan_.loopEnd) {
                c.position = plan_.loopStart;
                if (c.repeatsLeft > 0) --c.repeatsLeft;
                jumpAt_ = at;
                continue;
            }
            const int64_t end = looping && c.position < plan_.loopEnd ? plan_.loopEnd : plan_.length;
            if (c.position >= end) {
                lastFrame_.store(std::max<int64_t>(at, 1), std::memory_order_release);
                finished_.store(true, std::memory_order_release);
                break;
            }
            const auto n = static_cast<int32_t>(std::min<int64_t>(room, end - c.position));
            plan_.voice->Render(dst, c.position, n);
            dst += static_cast<std::ptrdiff_t>(channels_) * n;
            room -= n;
            at += n;
            c.position += n;
        }
        if (room > 0 && !(plan_.voice && plan_.voice->RenderTail(dst, room))) {
            std::fill(dst, dst + static_cast<std::ptrdiff_t>(channels_) * room, 0.0f);
            if (!done_.load(std::memory_order_relaxed)) {
                done_.store(true, std::memory_order_release);
                doneAt_ = at;
                plan_.voice.reset();  // a synthesiser is deleted
            }
        }
        at += room;
    }
}

bool SegmentState::MixInto(float* out, int32_t frames, int64_t at) noexcept {
    std::lock_guard lock(mutex_);
    if (cut_ || (replay_ == 0 && done_.load(std::memory_order_relaxed))) return false;
    if (history_.empty()) history_.assign(static_cast<std::size_t>(historyFrames_ * channels_), 0.0f);
    const auto again = static_cast<int32_t>(std::min<int64_t>(replay_, frames));
    AddHistory(out, replay_, again);
    replay_ -= again;
    if (again < frames && !done_.load(std::memory_order_relaxed)) {
        const int32_t n = frames - again;
        RenderNew(n, at + again);
        AddHistory(out + static_cast<std::ptrdiff_t>(channels_) * again, n, n);
        newAt_ = at + frames;
    }
    return true;
}

void SegmentState::Rewind(int64_t frames) noexcept {
    std::lock_guard lock(mutex_);
    if (cut_) return;
    const int64_t before = replay_;
    replay_ = std::min({replay_ + frames, written_, historyFrames_});
    // What cannot be given again (frames before the state started) moves the state earlier.
    const int64_t earlier = frames - (replay_ - before);
    if (earlier <= 0) return;
    newAt_ -= earlier;
    jumpAt_ -= earlier;
    doneAt_ -= earlier;
    const int64_t last = lastFrame_.load(std::memory_order_relaxed);
    if (last != 0) lastFrame_.store(std::max<int64_t>(1, last - earlier), std::memory_order_release);
}

SegmentState::Cursor SegmentState::End(bool haltPath) {
    {
        std::lock_guard lock(mutex_);
        if (cut_) return plan_.cursor;
        cut_ = true;
        replay_ = 0;
        lastFrame_.store(0, std::memory_order_release);
        finished_.store(true, std::memory_order_release);
        done_.store(true, std::memory_order_release);
    }
    // Unlocked: the path's stream may be asking this state to give frames again.
    const int64_t heard = haltPath && link_.halt ? link_.halt() : -1;
    std::lock_guard lock(mutex_);
    plan_.voice.reset();
    Cursor c = plan_.cursor;
    if (heard >= 0 && heard < newAt_) {
        // Back to the frame that was heard last, undoing a loop jump not yet heard.
        if (heard < jumpAt_ && jumpAt_ <= newAt_) {
            c.position = plan_.loopEnd - (jumpAt_ - heard);
            if (c.repeatsLeft >= 0) ++c.repeatsLeft;
        } else {
            c.position -= newAt_ - heard;
        }
        c.position = std::max<int64_t>(c.position, 0);
    }
    return c;
}

bool SegmentState::Gone(int64_t pathFrame) noexcept {
    std::lock_guard lock(mutex_);
    return cut_ || (done_.load(std::memory_order_relaxed) && replay_ == 0 && pathFrame - doneAt_ > historyFrames_);
}

bool SegmentState::Over() const {
    if (!Finished()) return false;
    const int64_t last = lastFrame_.load(std::memory_order_acquire);
    return last == 0 || !link_.heard || link_.heard() >= last;
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
