#include "Stream.h"

#include "OpenALDevice.h"

#include <qxsound/Error.h>

#include <AL/alext.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

namespace qxsound::platform {

namespace {

// How late a feeding thread may wake on a machine whose cores are all busy (the game renders
// with Mesa on every core), beyond its own tick.
constexpr double kSchedulingSlack = 0.050;
// How often a producer that answered Idle, with nothing left queued, is asked again.
constexpr double kIdlePoll = 0.020;

std::chrono::duration<double> Seconds(double s) { return std::chrono::duration<double>(s); }

}  // namespace

StreamTiming StreamTiming::RealTime(double period) {
    StreamTiming t;
    t.period = period;
    // Buffers of a quarter period keep the queue's granularity small against the period without
    // thousands of AL calls a second; the bounds keep renders of a few milliseconds each.
    t.chunk = std::clamp(period / 4, 0.005, 0.020);
    t.tick = std::clamp(period / 4, 0.002, 0.005);
    t.ahead = period + t.chunk + t.tick + kSchedulingSlack;
    return t;
}

StreamTiming StreamTiming::Loopback(double slice) {
    StreamTiming t;
    t.period = slice;
    t.chunk = slice;
    t.tick = slice;
    t.ahead = 3 * slice;
    return t;
}

Stream::Stream(std::shared_ptr<Producer> producer, ALCcontext* context, const StreamTiming& timing,
               bool directChannels)
    : producer_(std::move(producer)),
      context_(context),
      channels_(producer_->Channels() == 2 ? 2 : 1),
      rate_(producer_->SampleRate()),
      tick_(timing.tick) {
    if (rate_ <= 0) throw Error(DSERR_INVALIDPARAM, "a stream needs a positive sample rate");
    format_ = channels_ == 2 ? AL_FORMAT_STEREO_FLOAT32 : AL_FORMAT_MONO_FLOAT32;
    chunkFrames_ = std::max(64, static_cast<int32_t>(std::lround(timing.chunk * rate_)));
    const int32_t ahead = std::max(chunkFrames_, static_cast<int32_t>(std::ceil(timing.ahead * rate_)));
    aheadFrames_.store(ahead, std::memory_order_relaxed);
    maxAheadFrames_ = 2 * ahead;
    scratch_.resize(static_cast<std::size_t>(chunkFrames_) * static_cast<std::size_t>(channels_));

    ContextGuard guard(context_);
    alGenSources(1, &source_);
    if (alGetError() != AL_NO_ERROR) throw Error(DSERR_ALLOCATED, "no OpenAL source is left for a stream");
    // The head buffer stays queued until it has been played through: one more than the depth needs.
    buffers_.resize(static_cast<std::size_t>((maxAheadFrames_ + chunkFrames_ - 1) / chunkFrames_ + 1));
    alGenBuffers(static_cast<ALsizei>(buffers_.size()), buffers_.data());
    if (alGetError() != AL_NO_ERROR) {
        alDeleteSources(1, &source_);
        throw Error(DSERR_OUTOFMEMORY, "no OpenAL buffers for a stream");
    }
    free_ = buffers_;
    alSourcei(source_, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(source_, AL_ROLLOFF_FACTOR, 0.0f);
    if (directChannels && channels_ == 2) alSourcei(source_, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    alGetError();
}

Stream::~Stream() {
    StopFeeding();
    Close();
}

int64_t Stream::Position() {
    std::lock_guard lock(mutex_);
    return Heard();
}

int64_t Stream::Unheard() {
    std::lock_guard lock(mutex_);
    return taken_ - Heard();
}

int64_t Stream::Heard() {
    if (closed_ || !playing_) return base_;
    ContextGuard guard(context_);
    ALint state = AL_STOPPED;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    if (state == AL_STOPPED) return base_ + queuedFrames_;
    ALint offset = 0;
    alGetSourcei(source_, AL_SAMPLE_OFFSET, &offset);
    return base_ + std::min<int64_t>(offset, queuedFrames_);
}

void Stream::Start() {
    {
        std::lock_guard lock(mutex_);
        active_ = true;
        producerDone_ = false;
        idle_ = false;
        ended_.store(false, std::memory_order_release);
        woken_ = true;
    }
    wake_.notify_one();
}

int64_t Stream::Halt() {
    std::unique_lock lock(mutex_);
    if (closed_) return base_;
    ContextGuard guard(context_);
    int64_t heard = base_;
    if (playing_) {
        // Paused, the source's offset is exactly what the device has mixed of it.
        alSourcePause(source_);
        ALint state = AL_STOPPED;
        alGetSourcei(source_, AL_SOURCE_STATE, &state);
        ALint offset = 0;
        if (state == AL_PAUSED) alGetSourcei(source_, AL_SAMPLE_OFFSET, &offset);
        heard = base_ + (state == AL_PAUSED ? std::min<int64_t>(offset, queuedFrames_) : queuedFrames_);
    }
    alSourceStop(source_);
    UnqueueAll();
    alSourceRewind(source_);
    alGetError();
    rewind_ += taken_ - heard;
    taken_ = heard;
    base_ = heard;
    playing_ = false;
    ++halts_;
    played_.store(heard, std::memory_order_release);
    woken_ = true;
    lock.unlock();
    wake_.notify_one();
    return heard;
}

void Stream::Reclaim() {
    if (!playing_) return;  // a queue not yet started holds nothing heard
    ALint state = AL_STOPPED;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    if (state == AL_STOPPED) {
        RanDry();
        return;
    }
    ALint processed = 0;
    alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
    for (ALint i = 0; i < processed && !queue_.empty(); ++i) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source_, 1, &buffer);
        base_ += queue_.front().frames;
        queuedFrames_ -= queue_.front().frames;
        free_.push_back(queue_.front().buffer);
        queue_.pop_front();
    }
    played_.store(base_, std::memory_order_release);
}

void Stream::UnqueueAll() {
    // The source is stopped: every buffer on it counts as processed.
    for (; !queue_.empty(); queue_.pop_front()) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source_, 1, &buffer);
        free_.push_back(queue_.front().buffer);
    }
    queuedFrames_ = 0;
}

void Stream::RanDry() {
    // A stopped streaming source has played all it had; it starts again from the next buffer
    // queued, so nothing due is skipped.
    base_ += queuedFrames_;
    UnqueueAll();
    playing_ = false;
    if (!idle_ && !producerDone_) {
        underruns_.fetch_add(1, std::memory_order_relaxed);
        const int32_t ahead = aheadFrames_.load(std::memory_order_relaxed);
        aheadFrames_.store(std::min(maxAheadFrames_, ahead + maxAheadFrames_ / 8), std::memory_order_relaxed);
    }
    played_.store(base_, std::memory_order_release);
}

void Stream::Append(const float* samples) {
    const ALuint buffer = free_.back();
    free_.pop_back();
    alBufferData(buffer, format_, samples,
                 static_cast<ALsizei>(static_cast<std::size_t>(chunkFrames_) * static_cast<std::size_t>(channels_) *
                                      sizeof(float)),
                 rate_);
    if (playing_) {
        // Looked at just before queueing: a buffer queued on a source that already ran dry would
        // count as played.
        ALint state = AL_STOPPED;
        alGetSourcei(source_, AL_SOURCE_STATE, &state);
        if (state == AL_STOPPED) RanDry();
    }
    alSourceQueueBuffers(source_, 1, &buffer);
    queue_.push_back({buffer, chunkFrames_});
    queuedFrames_ += chunkFrames_;
}

void Stream::Feed() {
    std::lock_guard feeding(feedMutex_);
    ContextGuard guard(context_);
    std::unique_lock lock(mutex_);
    while (!closed_ && active_) {
        if (rewind_ > 0) {
            const int64_t frames = std::exchange(rewind_, 0);
            if (producer_->Rewind(frames)) {
                producerDone_ = false;
            } else {
                taken_ += frames;  // lost: the position heard moves past them
                base_ = taken_;
                played_.store(base_, std::memory_order_release);
            }
        }
        Reclaim();
        if (producerDone_ || free_.empty() || queuedFrames_ >= aheadFrames_.load(std::memory_order_relaxed)) break;
        // The render runs unlocked: the host thread never waits for a producer.
        const uint64_t halts = halts_;
        const std::shared_ptr<Producer> producer = producer_;
        lock.unlock();
        const RenderResult result = producer->Render(scratch_.data(), chunkFrames_);
        lock.lock();
        if (closed_) return;
        if (result == RenderResult::Playing && halts != halts_) {
            rewind_ += chunkFrames_;  // rendered across a Halt: taken back with the rest
            continue;
        }
        idle_ = result == RenderResult::Idle;
        if (result == RenderResult::Finished) producerDone_ = true;
        if (result != RenderResult::Playing) break;
        Append(scratch_.data());
        taken_ += chunkFrames_;
    }
    if (closed_ || !active_) return;
    if (!playing_ && !queue_.empty()) {
        alSourcePlay(source_);
        playing_ = true;
    }
    if (producerDone_ && !playing_) {
        active_ = false;
        ended_.store(true, std::memory_order_release);
    }
    alGetError();
}

void Stream::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wake_.notify_one();
}

void Stream::DeleteAlObjects() {
    alSourceStop(source_);
    alSourcei(source_, AL_BUFFER, 0);
    alDeleteSources(1, &source_);
    alDeleteBuffers(static_cast<ALsizei>(buffers_.size()), buffers_.data());
    alGetError();
    source_ = 0;
    buffers_.clear();
    free_.clear();
    queue_.clear();
    queuedFrames_ = 0;
}

void Stream::Close() {
    {
        std::lock_guard lock(mutex_);
        if (!closed_) {
            ContextGuard guard(context_);
            DeleteAlObjects();
            closed_ = true;
            producer_.reset();
        }
        stopFeeding_ = true;
        woken_ = true;
    }
    wake_.notify_all();
}

void Stream::StartFeeding() { feeder_ = std::thread(&Stream::RunFeeder, this); }

void Stream::StopFeeding() {
    {
        std::lock_guard lock(mutex_);
        stopFeeding_ = true;
        woken_ = true;
    }
    wake_.notify_all();
    if (feeder_.joinable()) feeder_.join();
}

void Stream::RunFeeder() {
    alcSetThreadContext(context_);
    std::unique_lock lock(mutex_);
    while (!stopFeeding_) {
        const auto ready = [this] { return woken_ || stopFeeding_; };
        if (!active_ || closed_)
            wake_.wait(lock, ready);
        else
            wake_.wait_for(lock, Seconds(idle_ && !playing_ ? kIdlePoll : tick_), ready);
        woken_ = false;
        if (stopFeeding_) break;
        lock.unlock();
        Feed();
        lock.lock();
    }
    lock.unlock();
    alcSetThreadContext(nullptr);
    exited_.store(true, std::memory_order_release);
}

}  // namespace qxsound::platform
