#include <qxsound/SoundDx8.h>

#include <qxsound/Effects8.h>
#include <qxsound/modGlobal.h>

#include "LibraryContext.h"

#include <cctype>

namespace qxsound {

SoundDx8::SoundDx8() : performance_(Context().performance) {
    if (!performance_) throw Error(DSERR_UNINITIALIZED, "no SoundEngine8 exists on this thread: create one first");
    path_ = performance_->CreateStandardAudioPath(platform::DMUS_APATH_DYNAMIC_3D, 64, true);
}

SoundDx8::~SoundDx8() {
    if (effects_) effects_->SetParent(nullptr);
    effects_.reset();
    segment_.reset();
    state_.reset();
    path_.reset();
}

std::shared_ptr<Effects8> SoundDx8::Effects() {
    if (!effects_) {
        effects_ = std::shared_ptr<Effects8>(new Effects8());
        effects_->SetParent(this);
    }
    return effects_;
}

platform::DirectMusicSegment8& SoundDx8::Segment() const {
    if (!segment_) throw Error(DSERR_UNINITIALIZED, "the sound has no segment: Load a file first");
    return *segment_;
}

bool SoundDx8::Load(const std::string& sFileName) {
    try {
        auto loader = Context().loader;
        if (!loader) return false;
        auto segment = loader->LoadSegment(sFileName);
        std::string extension = FileExtension(sFileName);
        for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (extension == "rmi" || extension == "mid" || extension == "midi") segment->SetStandardMidiFile();
        if (repeats_) segment->SetRepeats(*repeats_);
        segment_ = std::move(segment);  // the earlier segment goes only when the new one is complete
        return true;
    } catch (...) {
        return false;
    }
}

bool SoundDx8::Play() {
    try {
        if (!segment_) return false;
        const int32_t start = paused_ ? static_cast<int32_t>(static_cast<uint32_t>(pauseTime_) + 1u) : 0;
        segment_->SetStartPoint(start);
        state_ = performance_->PlaySegmentEx(segment_, platform::DMUS_SEGF_SECONDARY, 0, nullptr, path_);
        paused_ = false;
        stopped_ = false;
        started_ = true;
        return true;
    } catch (...) {
        return false;
    }
}

bool SoundDx8::Pause() {
    try {
        if (PlayState() != QX_PLAYSTATE_ENDED && started_ && !stopped_) {
            pauseTime_ = performance_->GetMusicTime();
            performance_->StopEx(segment_, 0, 0);
            paused_ = true;
            stopped_ = false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool SoundDx8::Stop_() {
    try {
        if (PlayState() != QX_PLAYSTATE_ENDED && started_ && !stopped_) {
            performance_->StopEx(segment_, 0, 0);
            paused_ = false;
            stopped_ = true;
        }
        return true;
    } catch (...) {
        return false;
    }
}

CONST_QX_PLAYSTATE SoundDx8::PlayState() const {
    if (!started_) return QX_PLAYSTATE_UNDEFINED;
    if (paused_) return QX_PLAYSTATE_PAUSED;
    if (stopped_) return QX_PLAYSTATE_STOPPED;
    return performance_->IsPlaying(segment_, state_) ? QX_PLAYSTATE_PLAYING : QX_PLAYSTATE_ENDED;
}

int32_t SoundDx8::Length() const { return Segment().GetLength(); }
void SoundDx8::Length(int32_t length) { Segment().SetLength(length); }

int32_t SoundDx8::RepeatsOfLoopingPortion() const {
    if (!segment_ && repeats_) return *repeats_;
    return Segment().GetRepeats();
}

void SoundDx8::RepeatsOfLoopingPortion(int32_t repeats) {
    if (repeats < platform::DMUS_SEG_REPEAT_INFINITE)
        throw Error(DSERR_INVALIDPARAM, "repeat counts are -1 (without end) or more");
    if (segment_) segment_->SetRepeats(repeats);
    repeats_ = repeats;
}

int32_t SoundDx8::LoopPointStart() const { return Segment().GetLoopPointStart(); }
int32_t SoundDx8::LoopPointEnd() const { return Segment().GetLoopPointEnd(); }
std::string SoundDx8::Name() const { return Segment().GetName(); }

int32_t SoundDx8::Volume() const { return PathBuffer()->GetVolume(); }
void SoundDx8::Volume(int32_t volume) { PathBuffer()->SetVolume(volume); }

std::shared_ptr<platform::DirectSoundSecondaryBuffer8> SoundDx8::PathBuffer() const {
    return path_->GetObjectInPath(platform::DMUS_PCHANNEL_ALL, platform::DMUS_PATH_BUFFER, 0, platform::GUID_ALL_OBJECTS,
                                  0, platform::IID_IDirectSoundBuffer8);
}

}  // namespace qxsound
