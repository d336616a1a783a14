// A mono WAV file placed in space: a wave sound whose buffer has 3D control. Playback, looping,
// frequency, volume and play position are those of an inner SoundWave8; the 3D properties go to
// the platform's 3D buffer and take effect at once.
//
//   auto engine = std::make_shared<qxsound::SoundEngine8>();
//   qxsound::SoundWave3D8 engineHum;
//   engineHum.Load("/data/hum.wav");            // false for stereo data or a bad file
//   engineHum.Position({10.0f, 0.0f, 25.0f});   // left-handed: x right, y up, z ahead
//   engineHum.MaxDistance(200.0f);              // beyond it the sound is muted
//   engineHum.Loop_(true);
//   engineHum.Play();
//
// Load traps failures (false; a failed Load keeps the earlier buffers). The 3D properties and
// DirectSoundSecondaryBuffer throw qxsound::Error before a successful Load, and with
// DSERR_INVALIDPARAM for values out of range: cone angles 0 to 360 degrees, ConeOutsideVolume
// -10000 to 0 hundredths of a decibel, distances above 0, Mode 0 (normal), 1 (head-relative: the
// position is relative to the listener) or 2 (3D processing disabled). The members shared with
// SoundWave8 behave as there. There is no Pan: the position places the sound.
#pragma once

#include <qxsound/SoundWave8.h>

#include <qxcommon/Vector3.h>

#include <cstdint>
#include <memory>
#include <string>

namespace qxsound {

namespace platform {
class DirectSound3DBuffer8;
class DirectSoundSecondaryBuffer8;
}  // namespace platform

class SoundWave3D8 : public Sound8 {
public:
    SoundWave3D8();
    // Stops a playing or paused sound first.
    ~SoundWave3D8() override;

    CONST_QX_SOUNDTYPE Type_() const override { return QX_SOUNDTYPE_WAVE3D; }

    // Degrees. Setting one keeps the other.
    int32_t InsideConeAngle() const;
    void InsideConeAngle(int32_t degrees);
    int32_t OutsideConeAngle() const;
    void OutsideConeAngle(int32_t degrees);
    qxcommon::Vector3 ConeOrientation() const;
    void ConeOrientation(const qxcommon::Vector3& orientation);
    qxcommon::Vector3 Position() const;
    void Position(const qxcommon::Vector3& position);
    qxcommon::Vector3 Velocity() const;
    void Velocity(const qxcommon::Vector3& velocity);
    // Hundredths of a decibel: the level outside the outside cone.
    int32_t ConeOutsideVolume() const;
    void ConeOutsideVolume(int32_t volume);
    float MaxDistance() const;
    void MaxDistance(float distance);
    float MinDistance() const;
    void MinDistance(float distance);
    int32_t Mode() const;
    void Mode(int32_t mode);

    // The buffer behind the 3D buffer.
    std::shared_ptr<platform::DirectSoundSecondaryBuffer8> DirectSoundSecondaryBuffer() const;
    // None before a successful Load.
    const std::shared_ptr<platform::DirectSound3DBuffer8>& DirectSound3DBuffer() const { return buffer3D_; }

    bool Load(const std::string& sFileName) override;
    bool Play() override;
    bool Pause() override;
    bool Stop_() override;
    bool SaveToFile(const std::string& sFileName);
    bool Loop_() const;
    void Loop_(bool loop);
    int32_t Frequency() const;
    void Frequency(int32_t hz);
    int32_t Volume() const override;
    void Volume(int32_t volume) override;
    int32_t PlayPosition() const;
    void PlayPosition(int32_t bytes);
    CONST_QX_PLAYSTATE PlayState() const override;

private:
    platform::DirectSound3DBuffer8& Buffer3D() const;

    std::unique_ptr<SoundWave8> wave_;
    std::shared_ptr<platform::DirectSound3DBuffer8> buffer3D_;
};

}  // namespace qxsound
