#include "StreamOutput.h"

#include "OpenALRoot.h"

#include <mutex>

namespace qxsound::platform {

namespace {

std::mutex mutex;
OutputResolver& Resolver() {
    static OutputResolver resolver;
    return resolver;
}
std::weak_ptr<OpenALDevice>& Fallback() {
    static std::weak_ptr<OpenALDevice> device;
    return device;
}

}  // namespace

void SetStreamOutputResolver(OutputResolver resolver) {
    std::lock_guard lock(mutex);
    Resolver() = std::move(resolver);
}

std::shared_ptr<OpenALDevice> StreamOutputDevice() {
    OutputResolver resolver;
    {
        std::lock_guard lock(mutex);
        resolver = Resolver();
    }
    if (resolver)
        if (auto own = std::dynamic_pointer_cast<OpenALDirectSound>(resolver())) return own->Device();
    std::lock_guard lock(mutex);
    auto device = Fallback().lock();
    if (!device) {
        device = OpenALDevice::Open("", false, 44100);
        Fallback() = device;
    }
    return device;
}

void PlayerStream::Pause() {
    ContextGuard guard(*device_);
    alSourcePause(stream_->Source());
    alGetError();
}

void PlayerStream::Resume() {
    ContextGuard guard(*device_);
    ALint state = AL_STOPPED;
    alGetSourcei(stream_->Source(), AL_SOURCE_STATE, &state);
    if (state == AL_PAUSED) alSourcePlay(stream_->Source());  // any other is started by the mixer
    alGetError();
}

}  // namespace qxsound::platform
