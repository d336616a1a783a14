// DirectSound-shaped interfaces of the audio platform layer: output devices, secondary buffers and
// device enumerations. Every operation that fails throws qxsound::Error with the platform's code.
#pragma once

#include <qxsound/DSCAPS.h>
#include <qxsound/Error.h>

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
