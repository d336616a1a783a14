// Audio paths of the DirectMusic stand-in: each owns one streaming OpenAL source (its buffer, with
// volume and effects) that the device's mixer thread feeds with the sum of the segment states
// playing on the path.
#pragma once

#include "DirectMusic.h"
#include "EffectChain.h"
#include "Mixer.h"
#include "OpenALDevice.h"
#include "Segment.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace qxsound::platform {

// Segment states at once on one path; a further one ends the oldest (hosts may replay a sound
// every frame).
inline constexpr std::size_t kMaxStatesPerPath = 8;

class PathProducer final : public Producer {
public:
    PathProducer(int32_t sampleRate, std::shared_ptr<const std::atomic<float>> masterGain)
        : sampleRate_(sampleRate), masterGain_(std::move(masterGain)) {}

    int32_t Channels() const noexcept override { return 2; }
    int32_t SampleRate() const noexcept override { return sampleRate_; }
    RenderResult Render(float* out, int32_t frames) noexcept override;

    void Add(std::shared_ptr<SegmentState> state);
    // Ends every state on the path.
    void Cut();

private:
    int32_t sampleRate_;
    std::shared_ptr<const std::atomic<float>> masterGain_;
    std::mutex mutex_;
    std::vector<std::shared_ptr<SegmentState>> states_;
};

// The path's DirectSound buffer: volume and effects of its stream's source.
class PathBuffer final : public DirectSoundSecondaryBuffer8 {
public:
    PathBuffer(std::shared_ptr<OpenALDevice> device, std::shared_ptr<Stream> stream)
        : device_(std::move(device)), stream_(std::move(stream)) {}
    ~PathBuffer() override;

    void Play(int32_t flags) override;
    void Stop() override;
    int32_t GetStatus() override;
    DSCURSORS GetCurrentPosition() override;
    void SetCurrentPosition(int32_t bytes) override;
    int32_t GetVolume() override { return volume_; }
    void SetVolume(int32_t volume) override;
    int32_t GetPan() override;
    void SetPan(int32_t pan) override;
    int32_t GetFrequency() override;
    void SetFrequency(int32_t hz) override;
    void SaveToFile(const std::string& fileName) override;
    DSBUFFERDESC GetCaps() override;
    std::shared_ptr<DirectSound3DBuffer8> GetDirectSound3DBuffer() override;
    void SetFX(int32_t count, const DSEFFECTDESC* effects, int32_t* results) override;

    // Drops the effects while the source still exists (the path closes its stream after this).
    void Release();

private:
    ALuint Source() const;

    std::shared_ptr<OpenALDevice> device_;
    std::shared_ptr<Stream> stream_;
    int32_t volume_ = 0;
    EffectChain effects_;
};

class OpenALAudioPath final : public DirectMusicAudioPath8 {
public:
    OpenALAudioPath(std::shared_ptr<OpenALDevice> device, std::shared_ptr<const std::atomic<float>> masterGain,
                    bool active);
    ~OpenALAudioPath() override;

    void Activate(bool active) override;
    std::shared_ptr<DirectSoundSecondaryBuffer8> GetObjectInPath(int32_t pChannel, int32_t stage, int32_t buffer,
                                                                 const std::string& guidObject, int32_t index,
                                                                 const std::string& iid) override;

    bool IsActive() const noexcept { return active_; }
    int32_t SampleRate() const noexcept { return device_->SampleRate(); }
    const std::shared_ptr<OpenALDevice>& Device() const noexcept { return device_; }
    void Play(std::shared_ptr<SegmentState> state);
    // Cuts what plays and keeps the path silent (the performance closes down).
    void Shutdown();

private:
    std::shared_ptr<OpenALDevice> device_;
    std::shared_ptr<PathProducer> producer_;
    std::shared_ptr<Stream> stream_;
    std::shared_ptr<PathBuffer> buffer_;
    bool active_;
};

}  // namespace qxsound::platform
