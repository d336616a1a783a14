// The object a host creates first: it brings up the audio platform and the module player and
// registers them in the calling thread's library context, from which every sound class takes its
// output device, performance and loader.
//
// The context keeps the engine alive until the context ends (qxsound::EndLibraryContext, or the end
// of the thread), even after the host has released it.
//
// A second engine created on a thread whose context already holds one replaces the first in the
// context: sounds created afterwards use the new engine's objects. The first engine keeps working
// on its own objects while a host still holds it, and its teardown leaves the newer engine's
// context entries alone.
#pragma once

#include <qxsound/DSCAPS.h>
#include <qxsound/Enums8.h>
#include <qxsound/Error.h>

#include <cstdint>
#include <memory>
#include <string>

namespace qxsound {

class SoundDevices8;
class EngineCore;

class SoundEngine8 {
public:
    // Throws qxsound::Error when the platform or the default output device cannot be brought up.
    SoundEngine8();
    ~SoundEngine8();
    SoundEngine8(const SoundEngine8&) = delete;
    SoundEngine8& operator=(const SoundEngine8&) = delete;

    // Focus mode for wave sounds loaded from now on.
    CONST_QX_FOCUS Focus() const;
    void Focus(CONST_QX_FOCUS focus);

    // Selects the output device by the Guid of a SoundDevice8 ("" = the default device). Throws
    // qxsound::Error when the device cannot be created; the device in use then stays selected.
    bool SetPlaybackDevice(const std::string& sGuid);

    bool ModSupportAvailable() const;

    float MasterTempo() const;
    void MasterTempo(float tempo);
    // Set rounds to the nearest integer (halves to even); hundredths of a decibel.
    float MasterVolume() const;
    void MasterVolume(float volume);
    int16_t MasterGrooveLevel() const;
    void MasterGrooveLevel(int16_t level);
    // DirectSound speaker configuration code of the output device.
    int32_t SpeakerConfig() const;
    void SpeakerConfig(int32_t config);

    // "1.7.0"
    std::string Version() const;
    DSCAPS ActiveSoundDeviceCapabilities() const;
    // A new, independent list of the playback and capture devices.
    std::shared_ptr<SoundDevices8> GetSoundDevices() const;

private:
    std::shared_ptr<EngineCore> core_;
};

}  // namespace qxsound
