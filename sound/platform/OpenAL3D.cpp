#include "OpenAL3D.h"

#include "OpenALDevice.h"
#include "OpenALSecondaryBuffer.h"

#include <qxsound/Error.h>

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace qxsound::platform {

namespace {

using qxcommon::Vector3;

// The speed of sound in metres per second; OpenAL's default.
constexpr float kSpeedOfSound = 343.3f;

[[noreturn]] void Invalid(const std::string& what) { throw Error(DSERR_INVALIDPARAM, what); }

void CheckFinite(const Vector3& v, const char* what) {
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
        Invalid(std::string(what) + " has a component that is not a finite number");
}

void CheckPositive(float value, const char* what) {
    if (!(value > 0.0f) || !std::isfinite(value)) Invalid(std::string(what) + " must be a finite number above 0");
}

void CheckFactor(float value, float max, const char* what) {
    if (!(value >= 0.0f && value <= max))
        Invalid(std::string(what) + " " + std::to_string(value) + " is outside 0 to " + std::to_string(max));
}

// DirectSound's left-handed axes to OpenAL's right-handed ones.
void AlVector(ALuint source, ALenum param, const Vector3& v) { alSource3f(source, param, v.x, v.y, -v.z); }

float Length(const Vector3& v) {
    return static_cast<float>(std::sqrt(static_cast<double>(v.x) * v.x + static_cast<double>(v.y) * v.y +
                                        static_cast<double>(v.z) * v.z));
}

Vector3 Minus(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Vector3 Cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

class OpenALListener final : public DirectSound3DListener8 {
public:
    explicit OpenALListener(std::shared_ptr<OpenALDevice> device) : device_(std::move(device)) {}

    float GetDistanceFactor() override { return Scene().Get().distanceFactor; }
    void SetDistanceFactor(float factor) override {
        CheckPositive(factor, "the distance factor");
        Change([&](SpatialScene::Listener& l) { l.distanceFactor = factor; });
    }
    float GetDopplerFactor() override { return Scene().Get().dopplerFactor; }
    void SetDopplerFactor(float factor) override {
        CheckFactor(factor, DS3D_MAXDOPPLERFACTOR, "the Doppler factor");
        Change([&](SpatialScene::Listener& l) { l.dopplerFactor = factor; });
    }
    float GetRolloffFactor() override { return Scene().Get().rolloffFactor; }
    void SetRolloffFactor(float factor) override {
        CheckFactor(factor, DS3D_MAXROLLOFFFACTOR, "the roll-off factor");
        Change([&](SpatialScene::Listener& l) { l.rolloffFactor = factor; });
    }
    Vector3 GetPosition() override { return Scene().Get().position; }
    void SetPosition(const Vector3& position) override {
        CheckFinite(position, "the listener's position");
        Change([&](SpatialScene::Listener& l) { l.position = position; });
    }
    Vector3 GetVelocity() override { return Scene().Get().velocity; }
    void SetVelocity(const Vector3& velocity) override {
        CheckFinite(velocity, "the listener's velocity");
        Change([&](SpatialScene::Listener& l) { l.velocity = velocity; });
    }
    void SetOrientation(const Vector3& front, const Vector3& top) override {
        CheckFinite(front, "the front vector");
        CheckFinite(top, "the top vector");
        // OpenAL builds the listener's axes from these: a zero or parallel pair has none.
        if (Length(front) == 0.0f || Length(top) == 0.0f || Length(Cross(front, top)) == 0.0f)
            Invalid("the front and top vectors must be non-zero and not parallel");
        Change([&](SpatialScene::Listener& l) {
            l.front = front;
            l.top = top;
        });
    }
    void GetOrientation(Vector3& front, Vector3& top) override {
        const auto l = Scene().Get();
        front = l.front;
        top = l.top;
    }

private:
    SpatialScene& Scene() { return device_->Spatial(); }
    template <typename F>
    void Change(F&& change) {
        ContextGuard guard(*device_);
        Scene().Change(change);
        ThrowOnAlError("setting the 3D listener");
    }

    std::shared_ptr<OpenALDevice> device_;
};

}  // namespace

OpenAL3DBuffer::OpenAL3DBuffer(OpenALSecondaryBuffer& owner, OpenALDevice& device, ALuint source,
                               bool muteAtMaxDistance)
    : owner_(owner), device_(device), source_(source), muteAtMaxDistance_(muteAtMaxDistance) {
    device_.Spatial().Add(this);
    const auto listener = device_.Spatial().Get();
    Apply(listener.position, listener.rolloffFactor);
}

OpenAL3DBuffer::~OpenAL3DBuffer() { device_.Spatial().Remove(this); }

void OpenAL3DBuffer::Apply(const Vector3& listener, float rolloff) {
    const bool disabled = mode_ == DS3DMODE_DISABLE;
    const Vector3 zero;
    // Disabled: no 3D processing, the sound plays at the listener.
    alSourcei(source_, AL_SOURCE_RELATIVE, mode_ == DS3DMODE_NORMAL ? AL_FALSE : AL_TRUE);
    AlVector(source_, AL_POSITION, disabled ? zero : position_);
    AlVector(source_, AL_VELOCITY, disabled ? zero : velocity_);
    AlVector(source_, AL_DIRECTION, disabled ? zero : coneOrientation_);
    alSourcef(source_, AL_CONE_INNER_ANGLE, static_cast<float>(insideConeAngle_));
    alSourcef(source_, AL_CONE_OUTER_ANGLE, static_cast<float>(outsideConeAngle_));
    alSourcef(source_, AL_CONE_OUTER_GAIN, BufferVolumeGain(coneOutsideVolume_));
    alSourcef(source_, AL_REFERENCE_DISTANCE, minDistance_);
    alSourcef(source_, AL_MAX_DISTANCE, maxDistance_);
    alSourcef(source_, AL_ROLLOFF_FACTOR, disabled ? 0.0f : rolloff);
    const float distance = mode_ == DS3DMODE_HEADRELATIVE ? Length(position_) : Length(Minus(position_, listener));
    muted_ = muteAtMaxDistance_ && !disabled && distance > maxDistance_;
    // The source gain never exceeds 1 (0 dB); a max gain of 0 mutes it after distance attenuation.
    alSourcef(source_, AL_MAX_GAIN, muted_ ? 0.0f : 1.0f);
}

void OpenAL3DBuffer::Update() {
    const auto listener = device_.Spatial().Get();
    ContextGuard guard(device_);
    Apply(listener.position, listener.rolloffFactor);
    ThrowOnAlError("setting a 3D property");
}

void OpenAL3DBuffer::GetConeAngles(int32_t& inside, int32_t& outside) {
    inside = insideConeAngle_;
    outside = outsideConeAngle_;
}

void OpenAL3DBuffer::SetConeAngles(int32_t inside, int32_t outside) {
    for (int32_t angle : {inside, outside})
        if (angle < DS3D_MINCONEANGLE || angle > DS3D_MAXCONEANGLE)
            Invalid("cone angle " + std::to_string(angle) + " is outside 0 to 360 degrees");
    insideConeAngle_ = inside;
    outsideConeAngle_ = outside;
    Update();
}

Vector3 OpenAL3DBuffer::GetConeOrientation() { return coneOrientation_; }

void OpenAL3DBuffer::SetConeOrientation(const Vector3& orientation) {
    CheckFinite(orientation, "the cone orientation");
    coneOrientation_ = orientation;
    Update();
}

int32_t OpenAL3DBuffer::GetConeOutsideVolume() { return coneOutsideVolume_; }

void OpenAL3DBuffer::SetConeOutsideVolume(int32_t volume) {
    CheckBufferVolume(volume);
    coneOutsideVolume_ = volume;
    Update();
}

float OpenAL3DBuffer::GetMaxDistance() { return maxDistance_; }

void OpenAL3DBuffer::SetMaxDistance(float distance) {
    CheckPositive(distance, "the max distance");
    maxDistance_ = distance;
    Update();
}

float OpenAL3DBuffer::GetMinDistance() { return minDistance_; }

void OpenAL3DBuffer::SetMinDistance(float distance) {
    CheckPositive(distance, "the min distance");
    minDistance_ = distance;
    Update();
}

int32_t OpenAL3DBuffer::GetMode() { return mode_; }

void OpenAL3DBuffer::SetMode(int32_t mode) {
    if (mode != DS3DMODE_NORMAL && mode != DS3DMODE_HEADRELATIVE && mode != DS3DMODE_DISABLE)
        Invalid("unknown 3D mode " + std::to_string(mode));
    mode_ = mode;
    Update();
}

Vector3 OpenAL3DBuffer::GetPosition() { return position_; }

void OpenAL3DBuffer::SetPosition(const Vector3& position) {
    CheckFinite(position, "the position");
    position_ = position;
    Update();
}

Vector3 OpenAL3DBuffer::GetVelocity() { return velocity_; }

void OpenAL3DBuffer::SetVelocity(const Vector3& velocity) {
    CheckFinite(velocity, "the velocity");
    velocity_ = velocity;
    Update();
}

std::shared_ptr<DirectSoundSecondaryBuffer8> OpenAL3DBuffer::GetDirectSoundBuffer() { return owner_.shared_from_this(); }

SpatialScene::Listener SpatialScene::Get() const {
    std::lock_guard lock(mutex_);
    return listener_;
}

void SpatialScene::Add(OpenAL3DBuffer* buffer) {
    std::lock_guard lock(mutex_);
    buffers_.push_back(buffer);
}

void SpatialScene::Remove(OpenAL3DBuffer* buffer) {
    std::lock_guard lock(mutex_);
    std::erase(buffers_, buffer);
}

void SpatialScene::ApplyLocked() {
    const auto& l = listener_;
    alListener3f(AL_POSITION, l.position.x, l.position.y, -l.position.z);
    alListener3f(AL_VELOCITY, l.velocity.x, l.velocity.y, -l.velocity.z);
    const ALfloat orientation[6] = {l.front.x, l.front.y, -l.front.z, l.top.x, l.top.y, -l.top.z};
    alListenerfv(AL_ORIENTATION, orientation);
    alDopplerFactor(l.dopplerFactor);
    alSpeedOfSound(std::min(kSpeedOfSound / l.distanceFactor, FLT_MAX));
    for (OpenAL3DBuffer* buffer : buffers_) buffer->Apply(l.position, l.rolloffFactor);
}

std::shared_ptr<DirectSound3DListener8> SpatialScene::ListenerOf(const std::shared_ptr<OpenALDevice>& device) {
    std::lock_guard lock(mutex_);
    auto listener = handle_.lock();
    if (!listener) {
        listener = std::make_shared<OpenALListener>(device);
        handle_ = listener;
    }
    return listener;
}

}  // namespace qxsound::platform
