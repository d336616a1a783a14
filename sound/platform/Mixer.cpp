#include "Mixer.h"

#include "OpenALDevice.h"

#include <qxsound/Error.h>

#include <AL/alext.h>

#include <algorithm>
#include <chrono>

namespace qxsound::platform {

Mixer::Mixer(OpenALDevice& device) : device_(device) {}

Mixer::~Mixer() {
    Shutdown();
    ContextGuard guard(device_);
    for (auto& stream : streams_) {
        alSourceStop(stream->source_);
        alSourcei(stream->source_, AL_BUFFER, 0);
        alDeleteSources(1, &stream->source_);
        alDeleteBuffers(static_cast<ALsizei>(stream->buffers_.size()), stream->buffers_.data());
    }
    alGetError();
}

void Mixer::Shutdown() {
    if (stop_.exchange(true)) return;
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

std::shared_ptr<Stream> Mixer::Open(std::shared_ptr<Producer> producer, bool directChannels) {
    auto stream = std::make_shared<Stream>();
    const int32_t channels = producer->Channels();
    stream->format_ = channels == 2 ? AL_FORMAT_STEREO_FLOAT32 : AL_FORMAT_MONO_FLOAT32;
    stream->frames_ = std::max(64, producer->SampleRate() * kMillisecondsPerBuffer / 1000);
    stream->producer_ = std::move(producer);

    std::lock_guard lock(mutex_);
    ContextGuard guard(device_);
    alGetError();
    alGenSources(1, &stream->source_);
    if (alGetError() != AL_NO_ERROR) throw Error(DSERR_ALLOCATED, "no OpenAL source is left for a stream");
    stream->buffers_.resize(kBuffersPerStream);
    alGenBuffers(kBuffersPerStream, stream->buffers_.data());
    if (alGetError() != AL_NO_ERROR) {
        alDeleteSources(1, &stream->source_);
        throw Error(DSERR_OUTOFMEMORY, "no OpenAL buffers for a stream");
    }
    stream->free_ = stream->buffers_;
    alSourcei(stream->source_, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(stream->source_, AL_ROLLOFF_FACTOR, 0.0f);
    if (directChannels && channels == 2) alSourcei(stream->source_, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    alGetError();
    streams_.push_back(stream);
    if (!thread_.joinable() && !stop_) thread_ = std::thread(&Mixer::Run, this);
    return stream;
}

void Mixer::Close(const std::shared_ptr<Stream>& stream) {
    std::lock_guard lock(mutex_);
    auto it = std::find(streams_.begin(), streams_.end(), stream);
    if (it == streams_.end()) return;
    ContextGuard guard(device_);
    alSourceStop(stream->source_);
    alSourcei(stream->source_, AL_BUFFER, 0);
    alDeleteSources(1, &stream->source_);
    alDeleteBuffers(static_cast<ALsizei>(stream->buffers_.size()), stream->buffers_.data());
    alGetError();
    stream->source_ = 0;
    stream->buffers_.clear();
    stream->free_.clear();
    streams_.erase(it);
}

void Mixer::Start(Stream& stream) {
    {
        std::lock_guard lock(mutex_);
        stream.active_ = true;
        stream.producerDone_ = false;
        stream.ended_.store(false, std::memory_order_release);
        woken_ = true;
    }
    wake_.notify_one();
}

void Mixer::Halt(Stream& stream) {
    std::lock_guard lock(mutex_);
    if (stream.source_ == 0) return;
    ContextGuard guard(device_);
    alSourceStop(stream.source_);
    ALint processed = 0;
    alGetSourcei(stream.source_, AL_BUFFERS_PROCESSED, &processed);
    while (processed-- > 0) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(stream.source_, 1, &buffer);
        stream.free_.push_back(buffer);
    }
    alSourceRewind(stream.source_);
    alGetError();
    stream.queued_ = 0;
}

void Mixer::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wake_.notify_one();
}

void Mixer::Service() {
    std::lock_guard lock(mutex_);
    ContextGuard guard(device_);
    ServiceLocked();
}

void Mixer::ServiceLocked() {
    for (auto& stream : streams_) ServiceStream(*stream);
}

void Mixer::ServiceStream(Stream& s) {
    if (!s.active_) return;
    ALint processed = 0;
    alGetSourcei(s.source_, AL_BUFFERS_PROCESSED, &processed);
    if (processed > 0) {
        ALuint done[kBuffersPerStream];
        const ALsizei n = std::min<ALint>(processed, kBuffersPerStream);
        alSourceUnqueueBuffers(s.source_, n, done);
        s.free_.insert(s.free_.end(), done, done + n);
        s.queued_ -= n;
    }
    // With nothing queued the source has stopped (an underrun, a halt) or never started.
    const bool starved = s.queued_ == 0;
    const int32_t channels = s.format_ == AL_FORMAT_STEREO_FLOAT32 ? 2 : 1;
    const std::size_t samples = static_cast<std::size_t>(s.frames_) * static_cast<std::size_t>(channels);
    if (scratch_.size() < samples) scratch_.resize(samples);
    ALuint filled[kBuffersPerStream];
    ALsizei count = 0;
    while (!s.producerDone_ && !s.free_.empty()) {
        const RenderResult result = s.producer_->Render(scratch_.data(), s.frames_);
        if (result == RenderResult::Finished) {
            s.producerDone_ = true;
            break;
        }
        if (result == RenderResult::Idle) break;
        const ALuint buffer = s.free_.back();
        s.free_.pop_back();
        alBufferData(buffer, s.format_, scratch_.data(), static_cast<ALsizei>(samples * sizeof(float)),
                     s.producer_->SampleRate());
        filled[count++] = buffer;
    }
    if (count > 0) {
        alSourceQueueBuffers(s.source_, count, filled);
        s.queued_ += count;
        if (starved) alSourcePlay(s.source_);
    }
    if (s.producerDone_ && s.queued_ == 0) {
        s.active_ = false;
        s.ended_.store(true, std::memory_order_release);
    }
}

void Mixer::Run() {
    alcSetThreadContext(device_.Context());
    std::unique_lock lock(mutex_);
    while (!stop_) {
        wake_.wait_for(lock, std::chrono::milliseconds(kMillisecondsPerBuffer / 2), [this] { return woken_; });
        woken_ = false;
        if (stop_) break;
        ServiceLocked();
    }
    lock.unlock();
    alcSetThreadContext(nullptr);
}

}  // namespace qxsound::platform
