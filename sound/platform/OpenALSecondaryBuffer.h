// A DirectSound secondary buffer over one OpenAL buffer and source, at full level with centre pan
// as DirectSound plays it: mono data at pan 0 stays mono (OpenAL pans it to the centre at -4.5 dB,
// which the source gain makes up for); stereo data, and mono data once panned, is uploaded as stereo
// on a direct-channels source, with the pan attenuating the opposite channel in the uploaded data.
// A buffer made with DSBCAPS_CTRL3D takes mono data only and is placed by its OpenAL3DBuffer.
#pragma once

#include "DirectSound.h"
#include "EffectChain.h"
#include "OpenAL3D.h"
#include "OpenALDevice.h"
#include "Pcm.h"

#include <memory>

namespace qxsound::platform {

class OpenALSecondaryBuffer final : public DirectSoundSecondaryBuffer8,
                                    public std::enable_shared_from_this<OpenALSecondaryBuffer> {
public:
    static std::shared_ptr<OpenALSecondaryBuffer> FromFile(std::shared_ptr<OpenALDevice> device,
                                                           const std::string& fileName, const DSBUFFERDESC& desc);
    ~OpenALSecondaryBuffer() override;

    void Play(int32_t flags) override;
    void Stop() override;
    int32_t GetStatus() override;
    DSCURSORS GetCurrentPosition() override;
    void SetCurrentPosition(int32_t bytes) override;
    int32_t GetVolume() override;
    void SetVolume(int32_t volume) override;
    int32_t GetPan() override;
    void SetPan(int32_t pan) override;
    int32_t GetFrequency() override;
    void SetFrequency(int32_t hz) override;
    void SaveToFile(const std::string& fileName) override;
    DSBUFFERDESC GetCaps() override;
    std::shared_ptr<DirectSound3DBuffer8> GetDirectSound3DBuffer() override;
    void SetFX(int32_t count, const DSEFFECTDESC* effects, int32_t* results) override;

    ALuint Source() const noexcept { return source_; }
    const std::shared_ptr<OpenALDevice>& Device() const noexcept { return device_; }

private:
    OpenALSecondaryBuffer(std::shared_ptr<OpenALDevice> device, std::shared_ptr<const PcmData> pcm,
                          const DSBUFFERDESC& desc);
    void Upload();
    void ApplyGain();
    void Require(int32_t flag, const char* what) const;
    ALint State() const;

    std::shared_ptr<OpenALDevice> device_;
    std::shared_ptr<const PcmData> pcm_;
    DSBUFFERDESC desc_;
    ALuint source_ = 0;
    ALuint buffer_ = 0;
    int32_t volume_ = 0;
    int32_t pan_ = 0;
    int32_t frequency_ = 0;
    int32_t pendingFrame_ = 0;
    float gainScale_ = 1.0f;  // cursor of a source that is not playing or paused
    EffectChain effects_;
    std::unique_ptr<OpenAL3DBuffer> spatial_;  // with DSBCAPS_CTRL3D
};

}  // namespace qxsound::platform
