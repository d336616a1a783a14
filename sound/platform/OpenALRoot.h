// The OpenAL implementation of the platform root and output device.
#pragma once

#include "DirectX8.h"
#include "OpenALDevice.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace qxsound::platform {

class OpenALDirectSound final : public DirectSound8 {
public:
    explicit OpenALDirectSound(std::shared_ptr<OpenALDevice> device);

    void SetCooperativeLevel(int32_t windowHandle, int32_t level) override;
    DSCAPS GetCaps() override;
    int32_t GetSpeakerConfig() override;
    void SetSpeakerConfig(int32_t config) override;
    std::shared_ptr<DirectSoundSecondaryBuffer8> CreateSoundBufferFromFile(const std::string& fileName,
                                                                           const DSBUFFERDESC& desc) override;
    std::shared_ptr<DirectSound3DListener8> GetDirectSound3DListener() override;

    const std::shared_ptr<OpenALDevice>& Device() const noexcept { return device_; }
    int32_t CooperativeLevel() const noexcept { return level_; }

private:
    std::shared_ptr<OpenALDevice> device_;
    int32_t level_ = 0;
    int32_t speakerConfig_;
};

class OpenALRoot final : public DirectX8, public std::enable_shared_from_this<OpenALRoot> {
public:
    explicit OpenALRoot(const OpenALOptions& options) : options_(options) {}

    std::shared_ptr<DirectSound8> DirectSoundCreate(const std::string& guid) override;
    std::shared_ptr<DirectMusicPerformance8> DirectMusicPerformanceCreate() override;
    std::shared_ptr<DirectMusicLoader8> DirectMusicLoaderCreate() override;
    std::shared_ptr<DirectSoundEnum8> GetDSEnum() override;
    std::shared_ptr<DirectSoundEnum8> GetDSCaptureEnum() override;

    // The device with this OpenAL name ("" = the default one), shared while anyone holds it.
    std::shared_ptr<OpenALDevice> OpenDevice(const std::string& name);
    const OpenALOptions& Options() const noexcept { return options_; }

private:
    OpenALOptions options_;
    std::mutex mutex_;
    std::map<std::string, std::weak_ptr<OpenALDevice>> devices_;
};

}  // namespace qxsound::platform
