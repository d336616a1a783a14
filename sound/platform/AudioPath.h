// Audio paths of the DirectMusic stand-in. A path streams the sum of the segment states playing on
// it through the device's mixer thread: one streaming OpenAL source per channel layout in use (mono
// content on a mono source, stereo on a stereo one, so mono sounds cost what a mono source costs),
// opened on first use. The path's buffer (volume, effects) acts on all of them.
#pragma once

#include "DirectMusic.h"
#include "EffectChain.h"
#include "Mixer.h"
#include "OpenALDevice.h"
#include "Segment.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace qxsound::platform {

// Segment states at once on one path; a further one ends the oldest (hosts may replay a sound
// every frame).
inline constexpr std::size_t kMaxStatesPerPath = 8;

// The states of one channel layout on a path, summed.
class PathProducer final : public Producer {
public:
    PathProducer(int32_t channels, int32_t sampleRate, std::shared_ptr<const std::atomic<float>> masterGain)
        : channels_(channels), sampleRate_(sampleRate), masterGain_(std::move(masterGain)) {}

    int32_t Channels() const noexcept override { return channels_; }
    int32_t SampleRate() const noexcept override { return sampleRate_; }
    RenderResult Render(float* out, int32_t frames) noexcept override;
    // Every state gives its last `frames` frames again.
    bool Rewind(int64_t frames) noexcept override;

    void Add(std::shared_ptr<SegmentState> state);
    // The states still playing.
    std::size_t Count();
    // Ends the oldest playing state; false when there is none. The stream is not halted.
    bool EndOldest();
    // Ends every state. The stream is not halted.
    void Cut();

private:
    int32_t channels_;
    int32_t sampleRate_;
    std::shared_ptr<const std::atomic<float>> masterGain_;
    std::mutex mutex_;
    std::vector<std::shared_ptr<SegmentState>> states_;
    int64_t rendered_ = 0;  // frames given to the stream
};

// What a path and its buffer share: the streams, the volume and the effects.
class PathCore {
public:
    PathCore(std::shared_ptr<OpenALDevice> device, std::shared_ptr<const std::atomic<float>> masterGain, bool active);
    ~PathCore();

    void Play(std::shared_ptr<SegmentState> state);
    void Activate(bool active);
    bool IsActive() const noexcept { return active_; }
    void SetVolume(int32_t volume);
    int32_t Volume() const noexcept { return volume_; }
    void SetFX(int32_t count, const DSEFFECTDESC* effects, int32_t* results);
    bool Sounding();
    // Releases the streams; the path is unusable afterwards.
    void Close();
    const std::shared_ptr<OpenALDevice>& Device() const noexcept { return device_; }

private:
    struct Lane {
        std::shared_ptr<PathProducer> producer;
        std::shared_ptr<Stream> stream;
        EffectChain effects;
        float makeUp = 1.0f;
    };
    Lane& LaneFor(int32_t channels);
    void ApplyVolume(Lane& lane);
    void RequireOpen() const;

    std::shared_ptr<OpenALDevice> device_;
    std::shared_ptr<const std::atomic<float>> masterGain_;
    std::array<std::unique_ptr<Lane>, 2> lanes_;  // mono, stereo
    bool active_;
    bool closed_ = false;
    int32_t volume_ = 0;
    std::vector<DSEFFECTDESC> effects_;
};

// The path's DirectSound buffer: volume and effects of the path's streams.
class PathBuffer final : public DirectSoundSecondaryBuffer8 {
public:
    explicit PathBuffer(std::shared_ptr<PathCore> core) : core_(std::move(core)) {}

    void Play(int32_t flags) override;
    void Stop() override;
    int32_t GetStatus() override;
    DSCURSORS GetCurrentPosition() override;
    void SetCurrentPosition(int32_t bytes) override;
    int32_t GetVolume() override { return core_->Volume(); }
    void SetVolume(int32_t volume) override { core_->SetVolume(volume); }
    int32_t GetPan() override;
    void SetPan(int32_t pan) override;
    int32_t GetFrequency() override;
    void SetFrequency(int32_t hz) override;
    void SaveToFile(const std::string& fileName) override;
    DSBUFFERDESC GetCaps() override;
    std::shared_ptr<DirectSound3DBuffer8> GetDirectSound3DBuffer() override;
    void SetFX(int32_t count, const DSEFFECTDESC* effects, int32_t* results) override {
        core_->SetFX(count, effects, results);
    }

private:
    std::shared_ptr<PathCore> core_;
};

class OpenALAudioPath final : public DirectMusicAudioPath8 {
public:
    OpenALAudioPath(std::shared_ptr<OpenALDevice> device, std::shared_ptr<const std::atomic<float>> masterGain,
                    bool active);
    ~OpenALAudioPath() override;

    void Activate(bool active) override { core_->Activate(active); }
    std::shared_ptr<DirectSoundSecondaryBuffer8> GetObjectInPath(int32_t pChannel, int32_t stage, int32_t buffer,
                                                                 const std::string& guidObject, int32_t index,
                                                                 const std::string& iid) override;

    bool IsActive() const noexcept { return core_->IsActive(); }
    int32_t SampleRate() const noexcept { return core_->Device()->SampleRate(); }
    const std::shared_ptr<OpenALDevice>& Device() const noexcept { return core_->Device(); }
    void Play(std::shared_ptr<SegmentState> state) { core_->Play(std::move(state)); }
    // Cuts what plays and keeps the path silent (the performance closes down).
    void Shutdown() { core_->Activate(false); }

private:
    std::shared_ptr<PathCore> core_;
    std::shared_ptr<PathBuffer> buffer_;
};

}  // namespace qxsound::platform
