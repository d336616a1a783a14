#include <qxsound/Listener8.h>

#include <qxsound/Error.h>

#include "LibraryContext.h"

namespace qxsound {

std::shared_ptr<platform::DirectSound3DListener8> GetDirectSound3DListener() {
    auto& device = Context().outputDevice;
    if (!device) throw Error(DSERR_UNINITIALIZED, "no output device: create a SoundEngine8 first");
    return device->GetDirectSound3DListener();
}

platform::DirectSound3DListener8& Listener8::Listener() const {
    if (!listener_) throw Error(DSERR_UNINITIALIZED, "the listener has no platform listener: set SoundBuffer3DListener");
    return *listener_;
}

float Listener8::DistanceFactor() const { return Listener().GetDistanceFactor(); }
void Listener8::DistanceFactor(float factor) { Listener().SetDistanceFactor(factor); }
float Listener8::DopplerFactor() const { return Listener().GetDopplerFactor(); }
void Listener8::DopplerFactor(float factor) { Listener().SetDopplerFactor(factor); }
float Listener8::RolloffFactor() const { return Listener().GetRolloffFactor(); }
void Listener8::RolloffFactor(float factor) { Listener().SetRolloffFactor(factor); }
qxcommon::Vector3 Listener8::Velocity() const { return Listener().GetVelocity(); }
void Listener8::Velocity(const qxcommon::Vector3& velocity) { Listener().SetVelocity(velocity); }
qxcommon::Vector3 Listener8::Position() const { return Listener().GetPosition(); }
void Listener8::Position(const qxcommon::Vector3& position) { Listener().SetPosition(position); }

void Listener8::SoundBuffer3DListener(std::shared_ptr<platform::DirectSound3DListener8> listener) {
    listener_ = std::move(listener);
}

void Listener8::SetOrientation(float xf, float yf, float zf, float xt, float yt, float zt) {
    Listener().SetOrientation({xf, yf, zf}, {xt, yt, zt});
}

void Listener8::GetOrientation(qxcommon::Vector3& OrientationFront, qxcommon::Vector3& OrientationTop) const {
    Listener().GetOrientation(OrientationFront, OrientationTop);
}

}  // namespace qxsound
