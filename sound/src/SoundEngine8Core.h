// The shared state of a SoundEngine8: the platform objects it brought up. The library context
// holds it, so it outlives the host's SoundEngine8 handle.
#pragma once

#include "DirectX8.h"

#include <qxsound/Enums8.h>

#include <cstdint>
#include <memory>
#include <string>

namespace qxsound {

class EngineCore {
public:
    EngineCore() = default;
    ~EngineCore();
    EngineCore(const EngineCore&) = delete;
    EngineCore& operator=(const EngineCore&) = delete;

    // The buffer description a wave file becomes a buffer with.
    platform::DSBUFFERDESC MakeBufferDescription(bool is3D) const;

    bool IsCurrent() const;

    std::shared_ptr<platform::DirectX8> root;
    std::shared_ptr<platform::DirectSound8> outputDevice;
    std::shared_ptr<platform::DirectMusicPerformance8> performance;
    std::shared_ptr<platform::DirectMusicLoader8> loader;
    int32_t windowHandle = 0;
    int32_t modPlayerHandle = 0;
    bool modSupport = false;
    CONST_QX_FOCUS focus = QX_FOCUS_NORMAL;
};

}  // namespace qxsound
