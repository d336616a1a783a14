// DirectMusic-shaped interfaces of the audio platform layer: the performance with its music-time
// clock, the loader, segments, segment states and audio paths. Positions and lengths are music
// time: 768 ticks per quarter note.
#pragma once

#include "DirectSound.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qxsound::platform {

inline constexpr int32_t DMUS_PPQ = 768;
inline constexpr int32_t DMUS_SEG_REPEAT_INFINITE = -1;
inline constexpr int32_t DMUS_SEGF_SECONDARY = 0x80;
inline constexpr int32_t DMUS_AUDIOF_ALL = 0x3F;
inline constexpr int32_t DMUS_APATH_SHARED_STEREOPLUSREVERB = 1;
inline constexpr int32_t DMUS_APATH_DYNAMIC_3D = 6;
inline constexpr int32_t DMUS_APATH_DYNAMIC_MONO = 7;
inline constexpr int32_t DMUS_APATH_DYNAMIC_STEREO = 8;
inline constexpr int32_t DMUS_PCHANNEL_ALL = -5;
inline constexpr int32_t DMUS_PATH_BUFFER = 0x6000;
inline constexpr const char* GUID_ALL_OBJECTS = "GUID_ALL_OBJECTS";
inline constexpr const char* IID_IDirectSoundBuffer8 = "IID_IDirectSoundBuffer8";

inline constexpr float DMUS_MASTERTEMPO_MIN = 0.01f;
inline constexpr float DMUS_MASTERTEMPO_MAX = 100.0f;
inline constexpr int32_t DMUS_MASTERVOLUME_MIN = -20000;
inline constexpr int32_t DMUS_MASTERVOLUME_MAX = 2000;

struct DMUS_AUDIOPARAMS {
    int32_t lValidData = 0;
    int32_t lFeatures = 0;
    int32_t lVoices = 0;
    int32_t lSampleRate = 0;
    std::string clsDefaultSynth;
};

class DirectMusicSegment8 {
public:
    virtual ~DirectMusicSegment8() = default;

    virtual void SetStartPoint(int32_t musicTime) = 0;
    virtual int32_t GetLoopPointStart() = 0;
    virtual int32_t GetLoopPointEnd() = 0;
    virtual int32_t GetLength() = 0;
    virtual void SetLength(int32_t length) = 0;
    virtual int32_t GetRepeats() = 0;
    virtual void SetRepeats(int32_t repeats) = 0;
    virtual void SetStandardMidiFile() = 0;
    virtual std::string GetName() = 0;
};

// One playing instance of a segment; opaque to its users.
class DirectMusicSegmentState8 {
public:
    virtual ~DirectMusicSegmentState8() = default;
};

class DirectMusicAudioPath8 {
public:
    virtual ~DirectMusicAudioPath8() = default;

    virtual void Activate(bool active) = 0;
    virtual std::shared_ptr<DirectSoundSecondaryBuffer8> GetObjectInPath(int32_t pChannel, int32_t stage,
                                                                         int32_t buffer, const std::string& guidObject,
                                                                         int32_t index, const std::string& iid) = 0;
};

class DirectMusicPerformance8 {
public:
    virtual ~DirectMusicPerformance8() = default;

    // With no device the performance opens the default output device itself.
    virtual void InitAudio(int32_t windowHandle, int32_t flags, DMUS_AUDIOPARAMS& params,
                           std::shared_ptr<DirectSound8> device, int32_t defaultPathType,
                           int32_t performanceChannels) = 0;
    virtual void SetMasterAutoDownload(bool enabled) = 0;
    virtual float GetMasterTempo() = 0;
    virtual void SetMasterTempo(float tempo) = 0;
    virtual int32_t GetMasterVolume() = 0;
    virtual void SetMasterVolume(int32_t volume) = 0;
    virtual int16_t GetMasterGrooveLevel() = 0;
    virtual void SetMasterGrooveLevel(int16_t level) = 0;
    virtual std::shared_ptr<DirectMusicAudioPath8> CreateStandardAudioPath(int32_t type, int32_t performanceChannels,
                                                                           bool activate) = 0;
    virtual std::shared_ptr<DirectMusicSegmentState8> PlaySegmentEx(std::shared_ptr<DirectMusicSegment8> segment,
                                                                    int32_t flags, int32_t startTime,
                                                                    std::shared_ptr<DirectMusicSegment8> from,
                                                                    std::shared_ptr<DirectMusicAudioPath8> path) = 0;
    virtual void StopEx(std::shared_ptr<DirectMusicSegment8> segment, int32_t time, int32_t flags) = 0;
    virtual bool IsPlaying(std::shared_ptr<DirectMusicSegment8> segment,
                           std::shared_ptr<DirectMusicSegmentState8> state) = 0;
    virtual int32_t GetMusicTime() = 0;
    virtual void CloseDown() = 0;
};

class DirectMusicLoader8 {
public:
    virtual ~DirectMusicLoader8() = default;

    // A segment from a WAV, MIDI (.mid, .rmi) or segment (.sgt) file.
    virtual std::shared_ptr<DirectMusicSegment8> LoadSegment(const std::string& fileName) = 0;
};

}  // namespace qxsound::platform
