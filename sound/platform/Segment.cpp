#include "Segment.h"

#include <qxsound/Error.h>

#include <algorithm>

namespace qxsound::platform {

namespace {

constexpr int64_t kTicksPerSecond = 2 * DMUS_PPQ;  // 120 beats per minute

}  // namespace

int64_t SegmentContent::FrameAt(int32_t ticks, int32_t rate) const {
    const int32_t pcmRate = pcm->SampleRate();
    int64_t frame;
    if (tickFrames.empty()) {
        frame = static_cast<int64_t>(ticks) * pcmRate / kTicksPerSecond;
    } else {
        auto it = std::upper_bound(tickFrames.begin(), tickFrames.end(), ticks,
                                   [](int32_t t, const auto& p) { return t < p.first; });
        if (it == tickFrames.begin()) {
            frame = 0;
        } else if (it == tickFrames.end()) {
            const auto& last = tickFrames.back();
            frame = last.second + static_cast<int64_t>(ticks - last.first) * pcmRate / kTicksPerSecond;
        } else {
            const auto& a = *(it - 1);
            const auto& b = *it;
            frame = a.second + (b.second - a.second) * (ticks - a.first) / std::max(1, b.first - a.first);
        }
    }
    return rate == pcmRate ? frame : frame * rate / pcmRate;
}

SegmentState::SegmentState(Plan plan, int32_t startMusicTime, int32_t sampleRate)
    : plan_(std::move(plan)), startMusicTime_(startMusicTime), sampleRate_(sampleRate) {}

bool SegmentState::MixInto(float* out, int32_t frames) noexcept {
    std::lock_guard lock(mutex_);
    if (finished_.load(std::memory_order_relaxed)) return false;
    const float* data = plan_.data->data();
    const bool mono = plan_.channels == 1;
    const auto available = static_cast<int64_t>(plan_.data->size() / (mono ? 1 : 2));
    Cursor& c = plan_.cursor;
    const bool loops = plan_.loopEnd > plan_.loopStart;
    while (frames > 0) {
        const bool looping = loops && c.repeatsLeft != 0;
        if (looping && c.position == plan_.loopEnd) {
            c.position = plan_.loopStart;
            if (c.repeatsLeft > 0) --c.repeatsLeft;
            continue;
        }
        const int64_t end = looping && c.position < plan_.loopEnd ? plan_.loopEnd : plan_.length;
        if (c.position >= end) {
            finished_.store(true, std::memory_order_release);
            return false;
        }
        const int64_t n = std::min<int64_t>(frames, end - c.position);
        const int64_t real = std::clamp<int64_t>(available - c.position, 0, n);  // past the data: silence
        const int64_t ch = mono ? 1 : 2;
        float* __restrict dst = out;
        const float* __restrict src = data + ch * c.position;
        const int64_t count = ch * real;
#pragma omp simd
        for (int64_t i = 0; i < count; ++i) dst[i] += src[i];
        out += ch * n;
        frames -= static_cast<int32_t>(n);
        c.position += n;
    }
    return true;
}

SegmentState::Cursor SegmentState::End() noexcept {
    std::lock_guard lock(mutex_);
    finished_.store(true, std::memory_order_release);
    return plan_.cursor;
}

void SegmentState::RenderedUpTo(int64_t frame) noexcept { lastFrame_.store(frame, std::memory_order_release); }

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
    plan.data = content_->pcm->FloatsAt(sampleRate);
    plan.channels = content_->pcm->Channels();
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
