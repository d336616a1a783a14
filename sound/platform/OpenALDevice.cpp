#include "OpenALDevice.h"

#include "Mixer.h"
#include "OpenAL3D.h"

#include <qxsound/Error.h>

#include <AL/alext.h>

#include <algorithm>
#include <vector>

namespace qxsound::platform {

namespace {

// Enough sources for hosts that keep hundreds of sounds; OpenAL Soft defaults to 256 in all.
constexpr ALCint kMonoSources = 1024;
constexpr ALCint kStereoSources = 1024;
constexpr ALCint kAuxiliarySends = 4;

}  // namespace

std::shared_ptr<OpenALDevice> OpenALDevice::Open(const std::string& name, bool loopback, int32_t sampleRate) {
    std::shared_ptr<OpenALDevice> device(new OpenALDevice());
    device->name_ = name;
    device->loopback_ = loopback;
    std::vector<ALCint> attributes = {ALC_MONO_SOURCES, kMonoSources, ALC_STEREO_SOURCES, kStereoSources,
                                      ALC_MAX_AUXILIARY_SENDS, kAuxiliarySends};
    if (loopback) {
        device->device_ = alcLoopbackOpenDeviceSOFT(nullptr);
        if (!device->device_) throw Error(DSERR_NODRIVER, "OpenAL Soft cannot open a loopback device");
        attributes.insert(attributes.end(), {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT,
                                             ALC_FLOAT_SOFT, ALC_FREQUENCY, sampleRate});
    } else {
        device->device_ = alcOpenDevice(name.empty() ? nullptr : name.c_str());
        if (!device->device_) {
            throw Error(DSERR_NODRIVER, name.empty() ? "no audio output device can be opened"
                                                     : "the audio output device \"" + name + "\" cannot be opened");
        }
    }
    attributes.push_back(0);
    device->context_ = alcCreateContext(device->device_, attributes.data());
    if (!device->context_) {
        alcCloseDevice(device->device_);
        device->device_ = nullptr;
        throw Error(DSERR_NODRIVER, "OpenAL Soft cannot create a context on \"" + name + "\"");
    }
    ALCint value = 0;
    alcGetIntegerv(device->device_, ALC_FREQUENCY, 1, &value);
    if (value > 0) device->sampleRate_ = value;
    alcGetIntegerv(device->device_, ALC_MAX_AUXILIARY_SENDS, 1, &device->maxSends_);
    alcGetIntegerv(device->device_, ALC_MONO_SOURCES, 1, &device->monoSources_);
    alcGetIntegerv(device->device_, ALC_STEREO_SOURCES, 1, &device->stereoSources_);
    device->efx_ = alcIsExtensionPresent(device->device_, "ALC_EXT_EFX") == ALC_TRUE;
    device->deviceClock_ = alcIsExtensionPresent(device->device_, "ALC_SOFT_device_clock") == ALC_TRUE;
    device->mixer_ = std::make_unique<Mixer>(*device);
    device->spatial_ = std::make_unique<SpatialScene>();
    return device;
}

OpenALDevice::~OpenALDevice() {
    mixer_.reset();
    if (context_) {
        if (alcGetThreadContext() == context_) alcSetThreadContext(nullptr);
        if (alcGetCurrentContext() == context_) alcMakeContextCurrent(nullptr);
        alcDestroyContext(context_);
    }
    if (device_) alcCloseDevice(device_);
}

double OpenALDevice::HeardSeconds() const noexcept {
    if (!deviceClock_) return std::chrono::duration<double>(std::chrono::steady_clock::now() - opened_).count();
    ALCint64SOFT clock[2] = {0, 0};  // nanoseconds mixed, nanoseconds of output latency
    alcGetInteger64vSOFT(device_, ALC_DEVICE_CLOCK_LATENCY_SOFT, 2, clock);
    return static_cast<double>(std::max<ALCint64SOFT>(0, clock[0] - clock[1])) * 1e-9;
}

void OpenALDevice::RenderLoopback(float* out, int32_t frames, bool serviceStreams) {
    if (!loopback_) throw Error(DSERR_INVALIDCALL, "only loopback devices render on request");
    // One stream buffer per slice: the queues stay full without servicing more often than needed.
    const int32_t kSlice = std::max(64, static_cast<int32_t>(sampleRate_ * Mixer::kLoopbackSlice));
    while (frames > 0) {
        const int32_t n = frames < kSlice ? frames : kSlice;
        if (serviceStreams) mixer_->Service();
        alcRenderSamplesSOFT(device_, out, n);
        out += 2 * n;
        frames -= n;
    }
}

ContextGuard::ContextGuard(ALCcontext* context) : previous_(alcGetThreadContext()) {
    if (previous_ != context) alcSetThreadContext(context);
    alGetError();  // a stale error is not this caller's
}

ContextGuard::~ContextGuard() {
    if (alcGetThreadContext() != previous_) alcSetThreadContext(previous_);
}

void ThrowOnAlError(const char* what) {
    const ALenum error = alGetError();
    if (error == AL_NO_ERROR) return;
    const char* text = alGetString(error);
    const int32_t code = error == AL_INVALID_VALUE ? DSERR_INVALIDPARAM
                         : error == AL_OUT_OF_MEMORY ? DSERR_OUTOFMEMORY
                                                     : DSERR_GENERIC;
    throw Error(code, std::string(what) + ": " + (text ? text : "OpenAL error"));
}

}  // namespace qxsound::platform
