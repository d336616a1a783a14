#include <qxsound/SoundWave8.h>

#include "LibraryContext.h"
#include "SoundEngine8Core.h"

namespace qxsound {

SoundWave8::~SoundWave8() {
    try {
        const CONST_QX_PLAYSTATE state = SoundWave8::PlayState();
        if (state == QX_PLAYSTATE_PAUSED || state == QX_PLAYSTATE_PLAYING) SoundWave8::Stop_();
    } catch (...) {
    }
}

platform::DirectSoundSecondaryBuffer8& SoundWave8::Buffer() const {
    if (!buffer_) throw Error(DSERR_UNINITIALIZED, "the sound has no buffer: Load a file first");
    return *buffer_;
}

void SoundWave8::Loop_(bool loop) {
    const bool old = loop_;
    loop_ = loop;
    if (old != loop && PlayState() == QX_PLAYSTATE_PLAYING) Play();
}

int32_t SoundWave8::Frequency() const { return Buffer().GetFrequency(); }
void SoundWave8::Frequency(int32_t hz) { Buffer().SetFrequency(hz); }
int32_t SoundWave8::Pan() const { return Buffer().GetPan(); }
void SoundWave8::Pan(int32_t pan) { Buffer().SetPan(pan); }
int32_t SoundWave8::Volume() const { return Buffer().GetVolume(); }
void SoundWave8::Volume(int32_t volume) { Buffer().SetVolume(volume); }
int32_t SoundWave8::PlayPosition() const { return Buffer().GetCurrentPosition().lPlay; }
void SoundWave8::PlayPosition(int32_t bytes) { Buffer().SetCurrentPosition(bytes); }

void SoundWave8::DirectSoundSecondaryBuffer(std::shared_ptr<platform::DirectSoundSecondaryBuffer8> buffer) {
    buffer_ = std::move(buffer);
}

CONST_QX_PLAYSTATE SoundWave8::PlayState() const {
    if (!started_) return QX_PLAYSTATE_UNDEFINED;
    if (paused_) return QX_PLAYSTATE_PAUSED;
    if (stopped_) return QX_PLAYSTATE_STOPPED;
    return (Buffer().GetStatus() & platform::DSBSTATUS_PLAYING) ? QX_PLAYSTATE_PLAYING : QX_PLAYSTATE_ENDED;
}

bool SoundWave8::Load(const std::string& sFileName) {
    try {
        LibraryContext& context = Context();
        if (!context.engine || !context.outputDevice) return false;
        const platform::DSBUFFERDESC desc = context.engine->MakeBufferDescription(false);
        buffer_ = context.outputDevice->CreateSoundBufferFromFile(sFileName, desc);
        return true;
    } catch (...) {
        return false;
    }
}

bool SoundWave8::Play() {
    Buffer().Play(loop_ ? platform::DSBPLAY_LOOPING : 0);
    paused_ = false;
    stopped_ = false;
    started_ = true;
    return true;
}

bool SoundWave8::Pause() {
    try {
        if (PlayState() != QX_PLAYSTATE_ENDED && started_ && !stopped_) {
            Buffer().Stop();
            paused_ = true;
            stopped_ = false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool SoundWave8::Stop_() {
    if (PlayState() == QX_PLAYSTATE_ENDED) return false;
    Buffer().Stop();
    PlayPosition(0);
    paused_ = false;
    stopped_ = true;
    return true;
}

bool SoundWave8::SaveToFile(const std::string& sFileName) {
    try {
        Buffer().SaveToFile(sFileName);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace qxsound
