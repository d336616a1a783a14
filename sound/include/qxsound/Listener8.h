// The listener of 3D sounds: where the host hears from, how it moves and faces, and the distance,
// Doppler and roll-off factors of every 3D sound on the device. It wraps a platform listener that
// the host supplies:
//
//   auto engine = std::make_shared<qxsound::SoundEngine8>();
//   qxsound::Listener8 listener;
//   listener.SoundBuffer3DListener(qxsound::GetDirectSound3DListener());
//   listener.Position({0.0f, 2.0f, 0.0f});
//   listener.SetOrientation(0, 0, 1, 0, 1, 0);  // facing z, y up (left-handed axes)
//
// Every member but SoundBuffer3DListener throws qxsound::Error before a listener is set, and
// DSERR_INVALIDPARAM for values out of range: DistanceFactor (metres per unit) above 0,
// DopplerFactor and RolloffFactor 0 to 10, finite vectors, a front and top that are neither zero
// nor parallel. Changes take effect at once.
#pragma once

#include <qxcommon/Vector3.h>

#include <memory>

namespace qxsound {

namespace platform {
class DirectSound3DListener8;
}

// The platform's 3D listener of the calling thread's engine's output device: every call gives the
// same listener for a device. Throws qxsound::Error when no engine exists.
std::shared_ptr<platform::DirectSound3DListener8> GetDirectSound3DListener();

class Listener8 {
public:
    float DistanceFactor() const;
    void DistanceFactor(float factor);
    float DopplerFactor() const;
    void DopplerFactor(float factor);
    float RolloffFactor() const;
    void RolloffFactor(float factor);
    qxcommon::Vector3 Velocity() const;
    void Velocity(const qxcommon::Vector3& velocity);

    // None until the host sets one.
    const std::shared_ptr<platform::DirectSound3DListener8>& SoundBuffer3DListener() const { return listener_; }
    void SoundBuffer3DListener(std::shared_ptr<platform::DirectSound3DListener8> listener);

    qxcommon::Vector3 Position() const;
    void Position(const qxcommon::Vector3& position);
    // The front vector, then the top vector.
    void SetOrientation(float xf, float yf, float zf, float xt, float yt, float zt);
    void GetOrientation(qxcommon::Vector3& OrientationFront, qxcommon::Vector3& OrientationTop) const;

private:
    platform::DirectSound3DListener8& Listener() const;

    std::shared_ptr<platform::DirectSound3DListener8> listener_;
};

}  // namespace qxsound
