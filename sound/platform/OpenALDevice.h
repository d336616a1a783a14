// An OpenAL Soft device with its context and mixer: what a DirectSound8 of the platform layer
// stands on. Devices are shared by every DirectSound8 (and performance) opened on the same name.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace qxsound::platform {

class Mixer;
class SpatialScene;

class OpenALDevice {
public:
    // name "" = OpenAL's default device. Loopback devices render stereo float at `sampleRate`
    // only when RenderLoopback is called. Throws qxsound::Error (DSERR_NODRIVER) on failure.
    static std::shared_ptr<OpenALDevice> Open(const std::string& name, bool loopback, int32_t sampleRate);
    ~OpenALDevice();
    OpenALDevice(const OpenALDevice&) = delete;
    OpenALDevice& operator=(const OpenALDevice&) = delete;

    ALCdevice* Device() const noexcept { return device_; }
    ALCcontext* Context() const noexcept { return context_; }
    const std::string& Name() const noexcept { return name_; }
    bool IsLoopback() const noexcept { return loopback_; }
    int32_t SampleRate() const noexcept { return sampleRate_; }
    int32_t MaxAuxiliarySends() const noexcept { return maxSends_; }
    int32_t MonoSources() const noexcept { return monoSources_; }
    int32_t StereoSources() const noexcept { return stereoSources_; }
    bool HasEfx() const noexcept { return efx_; }
    Mixer& GetMixer() noexcept { return *mixer_; }
    // Seconds of audio the device has played out (mixed, less what is still on its way to the
    // speakers); a loopback device counts what it rendered. Without OpenAL Soft's device clock,
    // the time since the device opened.
    double HeardSeconds() const noexcept;
    // The listener and the 3D buffers of this device.
    SpatialScene& Spatial() noexcept { return *spatial_; }

    // Loopback devices: renders `frames` stereo float frames into `out`. With `serviceStreams` the
    // streams are refilled before every slice, so streamed audio never underruns in a measurement.
    void RenderLoopback(float* out, int32_t frames, bool serviceStreams = true);

private:
    OpenALDevice() = default;

    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;
    std::string name_;
    bool loopback_ = false;
    bool efx_ = false;
    int32_t sampleRate_ = 44100;
    int32_t maxSends_ = 0;
    int32_t monoSources_ = 0;
    int32_t stereoSources_ = 0;
    std::unique_ptr<Mixer> mixer_;
    bool deviceClock_ = false;
    std::chrono::steady_clock::time_point opened_ = std::chrono::steady_clock::now();
    std::unique_ptr<SpatialScene> spatial_;
};

// Makes a device's context the calling thread's current one for its lifetime.
class ContextGuard {
public:
    explicit ContextGuard(const OpenALDevice& device) : ContextGuard(device.Context()) {}
    explicit ContextGuard(ALCcontext* context);
    ~ContextGuard();
    ContextGuard(const ContextGuard&) = delete;
    ContextGuard& operator=(const ContextGuard&) = delete;

private:
    ALCcontext* previous_;
};

// Throws qxsound::Error when OpenAL has an error pending.
void ThrowOnAlError(const char* what);

}  // namespace qxsound::platform
