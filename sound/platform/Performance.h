// The performance of the DirectMusic stand-in: a music-time clock (768 ticks per quarter note at
// 120 beats per minute, scaled by the master tempo) that follows the audio the device has played
// out, audio paths on one OpenAL device, and the segment states playing on them.
#pragma once

#include "AudioPath.h"
#include "DirectMusic.h"

#include <atomic>
#include <memory>
#include <vector>

namespace qxsound::platform {

class OpenALRoot;
class OpenALSegment;

class OpenALPerformance final : public DirectMusicPerformance8 {
public:
    explicit OpenALPerformance(std::shared_ptr<OpenALRoot> root);
    ~OpenALPerformance() override;

    void InitAudio(int32_t windowHandle, int32_t flags, DMUS_AUDIOPARAMS& params, std::shared_ptr<DirectSound8> device,
                   int32_t defaultPathType, int32_t performanceChannels) override;
    void SetMasterAutoDownload(bool enabled) override;
    float GetMasterTempo() override;
    void SetMasterTempo(float tempo) override;
    int32_t GetMasterVolume() override;
    void SetMasterVolume(int32_t volume) override;
    int16_t GetMasterGrooveLevel() override;
    void SetMasterGrooveLevel(int16_t level) override;
    std::shared_ptr<DirectMusicAudioPath8> CreateStandardAudioPath(int32_t type, int32_t performanceChannels,
                                                                   bool activate) override;
    std::shared_ptr<DirectMusicSegmentState8> PlaySegmentEx(std::shared_ptr<DirectMusicSegment8> segment, int32_t flags,
                                                            int32_t startTime, std::shared_ptr<DirectMusicSegment8> from,
                                                            std::shared_ptr<DirectMusicAudioPath8> path) override;
    void StopEx(std::shared_ptr<DirectMusicSegment8> segment, int32_t time, int32_t flags) override;
    bool IsPlaying(std::shared_ptr<DirectMusicSegment8> segment,
                   std::shared_ptr<DirectMusicSegmentState8> state) override;
    int32_t GetMusicTime() override;
    void CloseDown() override;

    bool AutoDownload() const noexcept { return autoDownload_; }
    // The device the performance plays on (after InitAudio).
    const std::shared_ptr<OpenALDevice>& Device() const noexcept { return device_; }

private:
    void RequireReady() const;
    std::shared_ptr<OpenALSegment> Segment(const std::shared_ptr<DirectMusicSegment8>& segment) const;

    std::shared_ptr<OpenALRoot> root_;
    std::shared_ptr<OpenALDevice> device_;
    bool initialized_ = false;
    bool closed_ = false;
    bool autoDownload_ = false;
    float tempo_ = 1.0f;
    int32_t volume_ = 0;
    int16_t groove_ = 0;
    std::shared_ptr<std::atomic<float>> masterGain_ = std::make_shared<std::atomic<float>>(1.0f);
    double clockBase_ = 0.0;   // music time at clockStart_
    double clockStart_ = 0.0;  // the device's seconds heard

    std::shared_ptr<OpenALAudioPath> defaultPath_;
    std::vector<std::weak_ptr<OpenALAudioPath>> paths_;
    std::vector<std::weak_ptr<OpenALSegment>> segments_;
    std::weak_ptr<OpenALSegment> primary_;
};

}  // namespace qxsound::platform
