#include "OpenALRoot.h"

#include "DeviceGuid.h"
#include "Loader.h"
#include "OpenAL3D.h"
#include "OpenALSecondaryBuffer.h"
#include "Performance.h"

#include <qxsound/Error.h>

#include <AL/alext.h>

#include <vector>

namespace qxsound::platform {

namespace {

struct DeviceEntry {
    std::string name;
    std::string description;
    std::string guid;
};

// OpenAL's device lists are NUL-separated texts ending in an empty one.
std::vector<std::string> SplitList(const ALCchar* list) {
    std::vector<std::string> names;
    while (list && *list) {
        names.emplace_back(list);
        list += names.back().size() + 1;
    }
    return names;
}

std::vector<DeviceEntry> PlaybackDevices() {
    const bool all = alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT") == ALC_TRUE;
    std::vector<DeviceEntry> out;
    for (auto& name : SplitList(alcGetString(nullptr, all ? ALC_ALL_DEVICES_SPECIFIER : ALC_DEVICE_SPECIFIER)))
        out.push_back({name, "Playback: " + name, DeviceGuid("playback", name)});
    return out;
}

std::vector<DeviceEntry> CaptureDevices() {
    std::vector<DeviceEntry> out;
    for (auto& name : SplitList(alcGetString(nullptr, ALC_CAPTURE_DEVICE_SPECIFIER)))
        out.push_back({name, "Capture: " + name, DeviceGuid("capture", name)});
    return out;
}

class OpenALEnum final : public DirectSoundEnum8 {
public:
    explicit OpenALEnum(std::vector<DeviceEntry> entries) : entries_(std::move(entries)) {}

    int32_t GetCount() override { return static_cast<int32_t>(entries_.size()); }
    std::string GetName(int32_t index) override { return At(index).name; }
    std::string GetDescription(int32_t index) override { return At(index).description; }
    std::string GetGuid(int32_t index) override { return At(index).guid; }

private:
    const DeviceEntry& At(int32_t index) const {
        if (index < 1 || index > static_cast<int32_t>(entries_.size()))
            throw Error(DSERR_INVALIDPARAM, "device index " + std::to_string(index) + " is out of range");
        return entries_[static_cast<std::size_t>(index - 1)];
    }

    std::vector<DeviceEntry> entries_;
};

}  // namespace

OpenALDirectSound::OpenALDirectSound(std::shared_ptr<OpenALDevice> device) : device_(std::move(device)) {
    ALCint hrtf = ALC_FALSE;
    alcGetIntegerv(device_->Device(), ALC_HRTF_SOFT, 1, &hrtf);
    speakerConfig_ = hrtf == ALC_TRUE ? DSSPEAKER_HEADPHONE : DSSPEAKER_STEREO;
}

void OpenALDirectSound::SetCooperativeLevel(int32_t windowHandle, int32_t level) {
    if (windowHandle == 0) throw Error(DSERR_INVALIDPARAM, "SetCooperativeLevel needs a window handle");
    if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY)
        throw Error(DSERR_INVALIDPARAM, "unknown cooperative level " + std::to_string(level));
    level_ = level;
}

DSCAPS OpenALDirectSound::GetCaps() {
    DSCAPS caps;
    caps.lFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT | DSCAPS_PRIMARY16BIT |
                  DSCAPS_CONTINUOUSRATE | DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO | DSCAPS_SECONDARY8BIT |
                  DSCAPS_SECONDARY16BIT;
    caps.lMinSecondarySampleRate = DSBFREQUENCY_MIN;
    caps.lMaxSecondarySampleRate = DSBFREQUENCY_MAX;
    caps.lPrimaryBuffers = 1;
    // OpenAL Soft mixes in software: its source limits are what "hardware" buffers stand for here.
    const int32_t all = device_->MonoSources() + device_->StereoSources();
    caps.lMaxHwMixingAllBuffers = all;
    caps.lMaxHwMixingStaticBuffers = all;
    caps.lMaxHwMixingStreamingBuffers = all;
    caps.lFreeHwMixingAllBuffers = all;
    caps.lFreeHwMixingStaticBuffers = all;
    caps.lFreeHwMixingStreamingBuffers = all;
    caps.lMaxHw3DAllBuffers = device_->MonoSources();
    caps.lMaxHw3DStaticBuffers = device_->MonoSources();
    caps.lMaxHw3DStreamingBuffers = device_->MonoSources();
    caps.lFreeHw3DAllBuffers = device_->MonoSources();
    caps.lFreeHw3DStaticBuffers = device_->MonoSources();
    caps.lFreeHw3DStreamingBuffers = device_->MonoSources();
    return caps;
}

int32_t OpenALDirectSound::GetSpeakerConfig() { return speakerConfig_; }

void OpenALDirectSound::SetSpeakerConfig(int32_t config) {
    // Low byte: the speaker layout (DSSPEAKER_DIRECTOUT .. DSSPEAKER_7POINT1_SURROUND); the next byte
    // is the stereo geometry. OpenAL Soft chooses its output layout from its own configuration, so
    // the code is kept for hosts that read it back.
    const int32_t layout = config & 0xFF;
    if (config < 0 || layout > 8 || (config >> 16) != 0)
        throw Error(DSERR_INVALIDPARAM, "unknown speaker configuration " + std::to_string(config));
    speakerConfig_ = config;
}

std::shared_ptr<DirectSoundSecondaryBuffer8> OpenALDirectSound::CreateSoundBufferFromFile(const std::string& fileName,
                                                                                          const DSBUFFERDESC& desc) {
    return OpenALSecondaryBuffer::FromFile(device_, fileName, desc);
}

std::shared_ptr<DirectSound3DListener8> OpenALDirectSound::GetDirectSound3DListener() {
    return device_->Spatial().ListenerOf(device_);
}

std::shared_ptr<OpenALDevice> OpenALRoot::OpenDevice(const std::string& name) {
    std::lock_guard lock(mutex_);
    std::string key = name;
    if (key.empty()) {
        const bool all = alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT") == ALC_TRUE;
        const ALCchar* fallback = alcGetString(nullptr, all ? ALC_DEFAULT_ALL_DEVICES_SPECIFIER
                                                            : ALC_DEFAULT_DEVICE_SPECIFIER);
        key = fallback ? fallback : "";
    }
    if (auto existing = devices_[key].lock()) return existing;
    auto device = OpenALDevice::Open(options_.loopback ? key : name.empty() ? std::string() : key, options_.loopback,
                                     options_.sampleRate);
    devices_[key] = device;
    return device;
}

std::shared_ptr<DirectSound8> OpenALRoot::DirectSoundCreate(const std::string& guid) {
    std::string name;
    if (!guid.empty()) {
        const std::string wanted = NormalizeGuid(guid);
        bool found = false;
        for (auto& entry : PlaybackDevices()) {
            if (entry.guid == wanted) {
                name = entry.name;
                found = true;
                break;
            }
        }
        if (!found) throw Error(DSERR_NODRIVER, "no output device has the GUID " + guid);
    }
    return std::make_shared<OpenALDirectSound>(OpenDevice(name));
}

std::shared_ptr<DirectMusicPerformance8> OpenALRoot::DirectMusicPerformanceCreate() {
    return std::make_shared<OpenALPerformance>(shared_from_this());
}

std::shared_ptr<DirectMusicLoader8> OpenALRoot::DirectMusicLoaderCreate() { return std::make_shared<OpenALLoader>(); }

std::shared_ptr<DirectSoundEnum8> OpenALRoot::GetDSEnum() { return std::make_shared<OpenALEnum>(PlaybackDevices()); }

std::shared_ptr<DirectSoundEnum8> OpenALRoot::GetDSCaptureEnum() {
    return std::make_shared<OpenALEnum>(CaptureDevices());
}

std::shared_ptr<DirectX8> CreateOpenALDirectX8(const OpenALOptions& options) {
    return std::make_shared<OpenALRoot>(options);
}

}  // namespace qxsound::platform
