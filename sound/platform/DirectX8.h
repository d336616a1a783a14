// The root object of the audio platform layer and how the library obtains it.
#pragma once

#include "DirectMusic.h"
#include "DirectSound.h"

#include <functional>
#include <memory>
#include <string>

namespace qxsound::platform {

class DirectX8 {
public:
    virtual ~DirectX8() = default;

    // "" opens the default output device; otherwise a GUID text from GetDSEnum (letters in either case).
    virtual std::shared_ptr<DirectSound8> DirectSoundCreate(const std::string& guid) = 0;
    virtual std::shared_ptr<DirectMusicPerformance8> DirectMusicPerformanceCreate() = 0;
    virtual std::shared_ptr<DirectMusicLoader8> DirectMusicLoaderCreate() = 0;
    virtual std::shared_ptr<DirectSoundEnum8> GetDSEnum() = 0;
    virtual std::shared_ptr<DirectSoundEnum8> GetDSCaptureEnum() = 0;
};

struct OpenALOptions {
    // Loopback devices render only when asked (OpenALDevice::RenderLoopback): for measuring output.
    bool loopback = false;
    int32_t sampleRate = 44100;
};

// The real root, over OpenAL Soft.
std::shared_ptr<DirectX8> CreateOpenALDirectX8(const OpenALOptions& options = {});

// The root a new engine uses: the OpenAL one unless a factory was installed.
std::shared_ptr<DirectX8> CreateDirectX8();

// Replaces the root factory (tests install recording fakes or loopback roots); an empty function
// restores the OpenAL one.
using DirectX8Factory = std::function<std::shared_ptr<DirectX8>()>;
void SetDirectX8Factory(DirectX8Factory factory);

}  // namespace qxsound::platform
