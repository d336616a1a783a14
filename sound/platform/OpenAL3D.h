// DirectSound 3D over OpenAL Soft: the 3D control of a buffer's source and the device's listener.
//
// DirectSound's axes are left-handed, OpenAL's right-handed: z is negated at this boundary. Distance
// attenuation is OpenAL's inverse-distance-clamped model, which is DirectSound's (gain = min
// distance / distance, scaled by the roll-off, held at the max distance). Two things DirectSound
// has and OpenAL has not are done here: the roll-off factor is the listener's, for all 3D buffers
// (OpenAL keeps one per source), and DSBCAPS_MUTE3DATMAXDISTANCE mutes a source beyond its max
// distance (OpenAL only holds the level there). Both need every 3D buffer of a device brought up
// to date when the listener changes: the device's SpatialScene keeps them.
#pragma once

#include "DirectSound.h"

#include <AL/al.h>

#include <memory>
#include <mutex>
#include <vector>

namespace qxsound::platform {

class OpenALDevice;
class OpenALSecondaryBuffer;

// The 3D control of an OpenALSecondaryBuffer's source; owned by that buffer, which hands it out
// sharing its own ownership.
class OpenAL3DBuffer final : public DirectSound3DBuffer8 {
public:
    // The device's context is current.
    OpenAL3DBuffer(OpenALSecondaryBuffer& owner, OpenALDevice& device, ALuint source, bool muteAtMaxDistance);
    ~OpenAL3DBuffer() override;
    OpenAL3DBuffer(const OpenAL3DBuffer&) = delete;
    OpenAL3DBuffer& operator=(const OpenAL3DBuffer&) = delete;

    void GetConeAngles(int32_t& inside, int32_t& outside) override;
    void SetConeAngles(int32_t inside, int32_t outside) override;
    qxcommon::Vector3 GetConeOrientation() override;
    void SetConeOrientation(const qxcommon::Vector3& orientation) override;
    int32_t GetConeOutsideVolume() override;
    void SetConeOutsideVolume(int32_t volume) override;
    float GetMaxDistance() override;
    void SetMaxDistance(float distance) override;
    float GetMinDistance() override;
    void SetMinDistance(float distance) override;
    int32_t GetMode() override;
    void SetMode(int32_t mode) override;
    qxcommon::Vector3 GetPosition() override;
    void SetPosition(const qxcommon::Vector3& position) override;
    qxcommon::Vector3 GetVelocity() override;
    void SetVelocity(const qxcommon::Vector3& velocity) override;
    std::shared_ptr<DirectSoundSecondaryBuffer8> GetDirectSoundBuffer() override;

    // Whether the source is muted for lying beyond its max distance.
    bool Muted() const noexcept { return muted_; }

private:
    friend class SpatialScene;
    // Writes the whole state to the source for this listener position and roll-off; the device's
    // context is current.
    void Apply(const qxcommon::Vector3& listener, float rolloff);
    // Apply with the scene's listener, under a context guard.
    void Update();

    OpenALSecondaryBuffer& owner_;
    OpenALDevice& device_;
    ALuint source_;
    bool muteAtMaxDistance_;
    bool muted_ = false;
    int32_t insideConeAngle_ = DS3D_MAXCONEANGLE;
    int32_t outsideConeAngle_ = DS3D_MAXCONEANGLE;
    qxcommon::Vector3 coneOrientation_{0.0f, 0.0f, 1.0f};
    int32_t coneOutsideVolume_ = 0;
    float minDistance_ = DS3D_DEFAULTMINDISTANCE;
    float maxDistance_ = DS3D_DEFAULTMAXDISTANCE;
    int32_t mode_ = DS3DMODE_NORMAL;
    qxcommon::Vector3 position_;
    qxcommon::Vector3 velocity_;
};

// The listener and the 3D buffers of one device.
class SpatialScene {
public:
    struct Listener {
        float distanceFactor = 1.0f;
        float dopplerFactor = 1.0f;
        float rolloffFactor = 1.0f;
        qxcommon::Vector3 position;
        qxcommon::Vector3 velocity;
        qxcommon::Vector3 front{0.0f, 0.0f, 1.0f};
        qxcommon::Vector3 top{0.0f, 1.0f, 0.0f};
    };

    Listener Get() const;
    // Changes the listener, then brings the OpenAL listener and every 3D buffer up to date; the
    // device's context is current.
    template <typename F>
    void Change(F&& change) {
        std::lock_guard lock(mutex_);
        change(listener_);
        ApplyLocked();
    }

    // The device's listener, made on first use and shared while anyone holds it.
    std::shared_ptr<DirectSound3DListener8> ListenerOf(const std::shared_ptr<OpenALDevice>& device);

private:
    friend class OpenAL3DBuffer;
    void Add(OpenAL3DBuffer* buffer);
    void Remove(OpenAL3DBuffer* buffer);
    void ApplyLocked();

    mutable std::mutex mutex_;
    Listener listener_;
    std::vector<OpenAL3DBuffer*> buffers_;
    std::weak_ptr<DirectSound3DListener8> handle_;
};

}  // namespace qxsound::platform
