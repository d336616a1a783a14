// DirectSound-shaped interfaces of the audio platform layer: output devices, secondary buffers and
// device enumerations. Every operation that fails throws qxsound::Error with the platform's code.
#pragma once

#include <qxsound/DSCAPS.h>
#include <qxsound/Error.h>

#include <qxcommon/Vector3.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

namespace qxsound::platform {

// Buffer capability flags.
inline constexpr int32_t DSBCAPS_CTRL3D = 0x10;
inline constexpr int32_t DSBCAPS_CTRLFREQUENCY = 0x20;
inline constexpr int32_t DSBCAPS_CTRLPAN = 0x40;
inline constexpr int32_t DSBCAPS_CTRLVOLUME = 0x80;
inline constexpr int32_t DSBCAPS_CTRLFX = 0x200;
inline constexpr int32_t DSBCAPS_STICKYFOCUS = 0x4000;
inline constexpr int32_t DSBCAPS_GLOBALFOCUS = 0x8000;
inline constexpr int32_t DSBCAPS_MUTE3DATMAXDISTANCE = 0x20000;

inline constexpr int32_t DSBPLAY_LOOPING = 0x1;
inline constexpr int32_t DSBSTATUS_PLAYING = 0x1;
inline constexpr int32_t DSBSTATUS_LOOPING = 0x4;

inline constexpr int32_t DSSCL_NORMAL = 1;
inline constexpr int32_t DSSCL_PRIORITY = 2;
inline constexpr int32_t DSSCL_EXCLUSIVE = 3;
inline constexpr int32_t DSSCL_WRITEPRIMARY = 4;

inline constexpr int32_t DSSPEAKER_DIRECTOUT = 0;
inline constexpr int32_t DSSPEAKER_HEADPHONE = 1;
inline constexpr int32_t DSSPEAKER_MONO = 2;
inline constexpr int32_t DSSPEAKER_QUAD = 3;
inline constexpr int32_t DSSPEAKER_STEREO = 4;
inline constexpr int32_t DSSPEAKER_SURROUND = 5;
inline constexpr int32_t DSSPEAKER_5POINT1 = 6;
inline constexpr int32_t DSSPEAKER_7POINT1 = 7;

inline constexpr int32_t DSBVOLUME_MIN = -10000;
inline constexpr int32_t DSBVOLUME_MAX = 0;
inline constexpr int32_t DSBPAN_LEFT = -10000;
inline constexpr int32_t DSBPAN_RIGHT = 10000;
inline constexpr int32_t DSBFREQUENCY_MIN = 100;
inline constexpr int32_t DSBFREQUENCY_MAX = 200000;

// The linear gain of a level in hundredths of a decibel.
inline float GainOf(int32_t hundredthsOfDb) { return std::pow(10.0f, static_cast<float>(hundredthsOfDb) / 2000.0f); }

// The gain of a buffer volume: DSBVOLUME_MIN is silence.
inline float BufferVolumeGain(int32_t volume) { return volume == DSBVOLUME_MIN ? 0.0f : GainOf(volume); }

// Throws DSERR_INVALIDPARAM for a buffer volume outside DSBVOLUME_MIN to DSBVOLUME_MAX.
inline void CheckBufferVolume(int32_t volume) {
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX)
        throw Error(DSERR_INVALIDPARAM, "volume " + std::to_string(volume) + " is outside -10000 to 0");
}

// 3D processing modes.
inline constexpr int32_t DS3DMODE_NORMAL = 0;
inline constexpr int32_t DS3DMODE_HEADRELATIVE = 1;
inline constexpr int32_t DS3DMODE_DISABLE = 2;

// 3D defaults and limits.
inline constexpr int32_t DS3D_MINCONEANGLE = 0;
inline constexpr int32_t DS3D_MAXCONEANGLE = 360;
inline constexpr float DS3D_DEFAULTMINDISTANCE = 1.0f;
inline constexpr float DS3D_DEFAULTMAXDISTANCE = 1000000000.0f;
inline constexpr float DS3D_MAXDOPPLERFACTOR = 10.0f;
inline constexpr float DS3D_MAXROLLOFFFACTOR = 10.0f;

struct DSBUFFERDESC {
    int32_t lFlags = 0;
    int32_t lBufferBytes = 0;
    std::string guid3DAlgorithm;

    friend bool operator==(const DSBUFFERDESC&, const DSBUFFERDESC&) = default;
};

struct DSEFFECTDESC {
    int32_t lFlags = 0;
    std::string guidDSFXClass;
};

struct DSCURSORS {
    int32_t lPlay = 0;
    int32_t lWrite = 0;
};

class DirectSound3DBuffer8;
class DirectSound3DListener8;

class DirectSoundSecondaryBuffer8 {
public:
    virtual ~DirectSoundSecondaryBuffer8() = default;

    virtual void Play(int32_t flags) = 0;
    virtual void Stop() = 0;  // keeps the cursor
    virtual int32_t GetStatus() = 0;
    virtual DSCURSORS GetCurrentPosition() = 0;  // bytes
    virtual void SetCurrentPosition(int32_t bytes) = 0;
    virtual int32_t GetVolume() = 0;  // hundredths of a decibel
    virtual void SetVolume(int32_t volume) = 0;
    virtual int32_t GetPan() = 0;
    virtual void SetPan(int32_t pan) = 0;
    virtual int32_t GetFrequency() = 0;
    virtual void SetFrequency(int32_t hz) = 0;
    virtual void SaveToFile(const std::string& fileName) = 0;
    // The description the buffer was created with.
    virtual DSBUFFERDESC GetCaps() = 0;
    virtual std::shared_ptr<DirectSound3DBuffer8> GetDirectSound3DBuffer() = 0;
    // Installs `count` effects in the order given; result codes go to results[0 .. count-1].
    virtual void SetFX(int32_t count, const DSEFFECTDESC* effects, int32_t* results) = 0;
};

class DirectSound8 {
public:
    virtual ~DirectSound8() = default;

    virtual void SetCooperativeLevel(int32_t windowHandle, int32_t level) = 0;
    virtual DSCAPS GetCaps() = 0;
    virtual int32_t GetSpeakerConfig() = 0;
    virtual void SetSpeakerConfig(int32_t config) = 0;
    virtual std::shared_ptr<DirectSoundSecondaryBuffer8> CreateSoundBufferFromFile(const std::string& fileName,
                                                                                   const DSBUFFERDESC& desc) = 0;
    // The device's one 3D listener (what DirectSound reaches through its primary buffer): every
    // call gives the same listener.
    virtual std::shared_ptr<DirectSound3DListener8> GetDirectSound3DListener() = 0;
};

// The 3D control of a buffer created with DSBCAPS_CTRL3D. Vectors are in DirectSound's left-handed
// axes (x right, y up, z forward from the listener's default orientation). Every setter takes effect
// at once, as DirectSound's DS3D_IMMEDIATE does; values outside DirectSound's ranges throw
// DSERR_INVALIDPARAM.
class DirectSound3DBuffer8 {
public:
    virtual ~DirectSound3DBuffer8() = default;

    // Degrees, 0 to 360: the full angle of the inside and of the outside cone.
    virtual void GetConeAngles(int32_t& inside, int32_t& outside) = 0;
    virtual void SetConeAngles(int32_t inside, int32_t outside) = 0;
    virtual qxcommon::Vector3 GetConeOrientation() = 0;
    virtual void SetConeOrientation(const qxcommon::Vector3& orientation) = 0;
    // Hundredths of a decibel, -10000 to 0: the level outside the outside cone.
    virtual int32_t GetConeOutsideVolume() = 0;
    virtual void SetConeOutsideVolume(int32_t volume) = 0;
    virtual float GetMaxDistance() = 0;
    virtual void SetMaxDistance(float distance) = 0;
    virtual float GetMinDistance() = 0;
    virtual void SetMinDistance(float distance) = 0;
    // DS3DMODE_NORMAL, DS3DMODE_HEADRELATIVE or DS3DMODE_DISABLE.
    virtual int32_t GetMode() = 0;
    virtual void SetMode(int32_t mode) = 0;
    virtual qxcommon::Vector3 GetPosition() = 0;
    virtual void SetPosition(const qxcommon::Vector3& position) = 0;
    virtual qxcommon::Vector3 GetVelocity() = 0;
    virtual void SetVelocity(const qxcommon::Vector3& velocity) = 0;
    virtual std::shared_ptr<DirectSoundSecondaryBuffer8> GetDirectSoundBuffer() = 0;
};

// The listener of a device's 3D sounds, in the axes of DirectSound3DBuffer8; setters take effect at
// once.
class DirectSound3DListener8 {
public:
    virtual ~DirectSound3DListener8() = default;

    // Metres per distance unit (above 0): scales the speed of sound for the Doppler effect.
    virtual float GetDistanceFactor() = 0;
    virtual void SetDistanceFactor(float factor) = 0;
    // 0 to DS3D_MAXDOPPLERFACTOR times the real-world effect.
    virtual float GetDopplerFactor() = 0;
    virtual void SetDopplerFactor(float factor) = 0;
    // 0 to DS3D_MAXROLLOFFFACTOR times the real-world attenuation over distance, for every 3D buffer.
    virtual float GetRolloffFactor() = 0;
    virtual void SetRolloffFactor(float factor) = 0;
    virtual qxcommon::Vector3 GetPosition() = 0;
    virtual void SetPosition(const qxcommon::Vector3& position) = 0;
    virtual qxcommon::Vector3 GetVelocity() = 0;
    virtual void SetVelocity(const qxcommon::Vector3& velocity) = 0;
    // Where the listener faces and which way is up: neither zero nor parallel to the other.
    virtual void SetOrientation(const qxcommon::Vector3& front, const qxcommon::Vector3& top) = 0;
    virtual void GetOrientation(qxcommon::Vector3& front, qxcommon::Vector3& top) = 0;
};

// Devices of one kind, addressed 1 to GetCount.
class DirectSoundEnum8 {
public:
    virtual ~DirectSoundEnum8() = default;

    virtual int32_t GetCount() = 0;
    virtual std::string GetName(int32_t index) = 0;
    virtual std::string GetDescription(int32_t index) = 0;
    virtual std::string GetGuid(int32_t index) = 0;
};

}  // namespace qxsound::platform
