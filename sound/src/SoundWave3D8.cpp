#include <qxsound/SoundWave3D8.h>

#include "LibraryContext.h"
#include "SoundEngine8Core.h"

namespace qxsound {

SoundWave3D8::SoundWave3D8() : wave_(std::make_unique<SoundWave8>()) {}

SoundWave3D8::~SoundWave3D8() {
    // The inner wave stops itself; the 3D buffer goes after it.
    wave_.reset();
    buffer3D_.reset();
}

platform::DirectSound3DBuffer8& SoundWave3D8::Buffer3D() const {
    if (!buffer3D_) throw Error(DSERR_UNINITIALIZED, "the sound has no 3D buffer: Load a mono file first");
    return *buffer3D_;
}

int32_t SoundWave3D8::InsideConeAngle() const {
    int32_t inside = 0, outside = 0;
    Buffer3D().GetConeAngles(inside, outside);
    return inside;
}

void SoundWave3D8::InsideConeAngle(int32_t degrees) { Buffer3D().SetConeAngles(degrees, OutsideConeAngle()); }

int32_t SoundWave3D8::OutsideConeAngle() const {
    int32_t inside = 0, outside = 0;
    Buffer3D().GetConeAngles(inside, outside);
    return outside;
}

void SoundWave3D8::OutsideConeAngle(int32_t degrees) { Buffer3D().SetConeAngles(InsideConeAngle(), degrees); }

qxcommon::Vector3 SoundWave3D8::ConeOrientation() const { return Buffer3D().GetConeOrientation(); }
void SoundWave3D8::ConeOrientation(const qxcommon::Vector3& orientation) { Buffer3D().SetConeOrientation(orientation); }
qxcommon::Vector3 SoundWave3D8::Position() const { return Buffer3D().GetPosition(); }
void SoundWave3D8::Position(const qxcommon::Vector3& position) { Buffer3D().SetPosition(position); }
qxcommon::Vector3 SoundWave3D8::Velocity() const { return Buffer3D().GetVelocity(); }
void SoundWave3D8::Velocity(const qxcommon::Vector3& velocity) { Buffer3D().SetVelocity(velocity); }
int32_t SoundWave3D8::ConeOutsideVolume() const { return Buffer3D().GetConeOutsideVolume(); }
void SoundWave3D8::ConeOutsideVolume(int32_t volume) { Buffer3D().SetConeOutsideVolume(volume); }
float SoundWave3D8::MaxDistance() const { return Buffer3D().GetMaxDistance(); }
void SoundWave3D8::MaxDistance(float distance) { Buffer3D().SetMaxDistance(distance); }
float SoundWave3D8::MinDistance() const { return Buffer3D().GetMinDistance(); }
void SoundWave3D8::MinDistance(float distance) { Buffer3D().SetMinDistance(distance); }
int32_t SoundWave3D8::Mode() const { return Buffer3D().GetMode(); }
void SoundWave3D8::Mode(int32_t mode) { Buffer3D().SetMode(mode); }

std::shared_ptr<platform::DirectSoundSecondaryBuffer8> SoundWave3D8::DirectSoundSecondaryBuffer() const {
    return Buffer3D().GetDirectSoundBuffer();
}

bool SoundWave3D8::Load(const std::string& sFileName) {
    try {
        LibraryContext& context = Context();
        if (!context.engine || !context.outputDevice) return false;
        const platform::DSBUFFERDESC desc = context.engine->MakeBufferDescription(true);
        auto buffer = context.outputDevice->CreateSoundBufferFromFile(sFileName, desc);
        // Both are taken before either is kept, so a failure leaves the sound as it was.
        auto buffer3D = buffer->GetDirectSound3DBuffer();
        if (!buffer3D) return false;
        wave_->DirectSoundSecondaryBuffer(std::move(buffer));
        buffer3D_ = std::move(buffer3D);
        return true;
    } catch (...) {
        return false;
    }
}

bool SoundWave3D8::Play() { return wave_->Play(); }
bool SoundWave3D8::Pause() { return wave_->Pause(); }
bool SoundWave3D8::Stop_() { return wave_->Stop_(); }
bool SoundWave3D8::SaveToFile(const std::string& sFileName) { return wave_->SaveToFile(sFileName); }
bool SoundWave3D8::Loop_() const { return wave_->Loop_(); }
void SoundWave3D8::Loop_(bool loop) { wave_->Loop_(loop); }
int32_t SoundWave3D8::Frequency() const { return wave_->Frequency(); }
void SoundWave3D8::Frequency(int32_t hz) { wave_->Frequency(hz); }
int32_t SoundWave3D8::Volume() const { return wave_->Volume(); }
void SoundWave3D8::Volume(int32_t volume) { wave_->Volume(volume); }
int32_t SoundWave3D8::PlayPosition() const { return wave_->PlayPosition(); }
void SoundWave3D8::PlayPosition(int32_t bytes) { wave_->PlayPosition(bytes); }
CONST_QX_PLAYSTATE SoundWave3D8::PlayState() const { return wave_->PlayState(); }

}  // namespace qxsound
