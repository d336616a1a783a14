#include "Performance.h"

#include "OpenALRoot.h"
#include "Segment.h"

#include <qxsound/Error.h>

#include <algorithm>
#include <cmath>

namespace qxsound::platform {

namespace {

constexpr double kTicksPerSecond = 2.0 * DMUS_PPQ;  // 120 beats per minute

}  // namespace

OpenALPerformance::OpenALPerformance(std::shared_ptr<OpenALRoot> root) : root_(std::move(root)) {}

OpenALPerformance::~OpenALPerformance() {
    try {
        if (initialized_ && !closed_) CloseDown();
    } catch (...) {  // nothing is left to tell
    }
}

void OpenALPerformance::RequireReady() const {
    if (!initialized_) throw Error(DMUS_E_NOT_INIT, "the performance has not been initialised (InitAudio)");
    if (closed_) throw Error(DMUS_E_NOT_INIT, "the performance has been closed down");
}

std::shared_ptr<OpenALSegment> OpenALPerformance::Segment(const std::shared_ptr<DirectMusicSegment8>& segment) const {
    auto own = std::dynamic_pointer_cast<OpenALSegment>(segment);
    if (!own) throw Error(DSERR_INVALIDPARAM, "the segment does not come from this platform's loader");
    return own;
}

void OpenALPerformance::InitAudio(int32_t, int32_t, DMUS_AUDIOPARAMS& params, std::shared_ptr<DirectSound8> device,
                                  int32_t defaultPathType, int32_t performanceChannels) {
    if (initialized_) throw Error(DSERR_INVALIDCALL, "the performance is already initialised");
    if (performanceChannels <= 0) throw Error(DSERR_INVALIDPARAM, "a performance needs at least one channel");
    if (device) {
        auto own = std::dynamic_pointer_cast<OpenALDirectSound>(device);
        if (!own) throw Error(DSERR_INVALIDPARAM, "the device does not come from this platform");
        device_ = own->Device();
    } else {
        device_ = root_->OpenDevice("");
    }
    if (defaultPathType != 0) {
        if (defaultPathType != DMUS_APATH_SHARED_STEREOPLUSREVERB && defaultPathType != DMUS_APATH_DYNAMIC_3D &&
            defaultPathType != DMUS_APATH_DYNAMIC_MONO && defaultPathType != DMUS_APATH_DYNAMIC_STEREO)
            throw Error(DSERR_INVALIDPARAM, "unknown audio path type " + std::to_string(defaultPathType));
        defaultPath_ = std::make_shared<OpenALAudioPath>(device_, masterGain_, true);
        paths_.push_back(defaultPath_);
    }
    params.lValidData |= 0x4;  // DMUS_AUDIOPARAMS_SAMPLERATE
    params.lSampleRate = device_->SampleRate();
    clockStart_ = device_->HeardSeconds();
    clockBase_ = 0.0;
    initialized_ = true;
}

void OpenALPerformance::SetMasterAutoDownload(bool enabled) {
    RequireReady();
    autoDownload_ = enabled;
}

float OpenALPerformance::GetMasterTempo() {
    RequireReady();
    return tempo_;
}

void OpenALPerformance::SetMasterTempo(float tempo) {
    RequireReady();
    if (!(tempo >= DMUS_MASTERTEMPO_MIN && tempo <= DMUS_MASTERTEMPO_MAX))
        throw Error(DSERR_INVALIDPARAM, "master tempo " + std::to_string(tempo) + " is outside 0.01 to 100");
    const double now = device_->HeardSeconds();
    clockBase_ += (now - clockStart_) * kTicksPerSecond * tempo_;
    clockStart_ = now;
    tempo_ = tempo;
}

int32_t OpenALPerformance::GetMasterVolume() {
    RequireReady();
    return volume_;
}

void OpenALPerformance::SetMasterVolume(int32_t volume) {
    RequireReady();
    if (volume < DMUS_MASTERVOLUME_MIN || volume > DMUS_MASTERVOLUME_MAX)
        throw Error(DSERR_INVALIDPARAM, "master volume " + std::to_string(volume) + " is outside -20000 to 2000");
    volume_ = volume;
    masterGain_->store(GainOf(volume), std::memory_order_relaxed);
}

int16_t OpenALPerformance::GetMasterGrooveLevel() {
    RequireReady();
    return groove_;
}

void OpenALPerformance::SetMasterGrooveLevel(int16_t level) {
    RequireReady();
    groove_ = level;
}

std::shared_ptr<DirectMusicAudioPath8> OpenALPerformance::CreateStandardAudioPath(int32_t type,
                                                                                  int32_t performanceChannels,
                                                                                  bool activate) {
    RequireReady();
    if (type != DMUS_APATH_SHARED_STEREOPLUSREVERB && type != DMUS_APATH_DYNAMIC_3D && type != DMUS_APATH_DYNAMIC_MONO &&
        type != DMUS_APATH_DYNAMIC_STEREO)
        throw Error(DSERR_INVALIDPARAM, "unknown audio path type " + std::to_string(type));
    if (performanceChannels <= 0) throw Error(DSERR_INVALIDPARAM, "an audio path needs at least one channel");
    auto path = std::make_shared<OpenALAudioPath>(device_, masterGain_, activate);
    std::erase_if(paths_, [](const auto& w) { return w.expired(); });
    paths_.push_back(path);
    return path;
}

std::shared_ptr<DirectMusicSegmentState8> OpenALPerformance::PlaySegmentEx(std::shared_ptr<DirectMusicSegment8> segment,
                                                                           int32_t flags, int32_t,
                                                                           std::shared_ptr<DirectMusicSegment8>,
                                                                           std::shared_ptr<DirectMusicAudioPath8> path) {
    RequireReady();
    if (!segment) throw Error(DSERR_INVALIDPARAM, "PlaySegmentEx needs a segment");
    auto own = Segment(segment);
    std::shared_ptr<OpenALAudioPath> target = path ? std::dynamic_pointer_cast<OpenALAudioPath>(path) : defaultPath_;
    if (!target) throw Error(DSERR_INVALIDPARAM, "no audio path to play the segment on");
    if (target->Device() != device_) throw Error(DSERR_INVALIDPARAM, "the audio path belongs to another performance");
    if (!target->IsActive()) throw Error(DMUS_E_AUDIOPATH_INACTIVE, "the audio path is not active");
    if (!(flags & DMUS_SEGF_SECONDARY)) {
        // A new primary segment replaces the one playing.
        if (auto previous = primary_.lock()) previous->StopStates();
        primary_ = own;
    }
    auto state = own->MakeState(target->SampleRate(), GetMusicTime());
    target->Play(state);
    std::erase_if(segments_, [](const auto& w) { return w.expired(); });
    segments_.push_back(own);
    return state;
}

void OpenALPerformance::StopEx(std::shared_ptr<DirectMusicSegment8> segment, int32_t, int32_t) {
    RequireReady();
    if (segment) {
        Segment(segment)->StopStates();
        return;
    }
    for (auto& weak : segments_)
        if (auto s = weak.lock()) s->StopStates();
}

bool OpenALPerformance::IsPlaying(std::shared_ptr<DirectMusicSegment8> segment,
                                  std::shared_ptr<DirectMusicSegmentState8> state) {
    RequireReady();
    if (state) {
        auto own = std::dynamic_pointer_cast<SegmentState>(state);
        if (!own) throw Error(DSERR_INVALIDPARAM, "the segment state does not come from this performance");
        return !own->Over();
    }
    if (!segment) throw Error(DSERR_INVALIDPARAM, "IsPlaying needs a segment or a segment state");
    return Segment(segment)->AnyPlaying();
}

int32_t OpenALPerformance::GetMusicTime() {
    RequireReady();
    const double elapsed = device_->HeardSeconds() - clockStart_;
    return static_cast<int32_t>(std::fmod(clockBase_ + elapsed * kTicksPerSecond * tempo_, 2147483648.0));
}

void OpenALPerformance::CloseDown() {
    RequireReady();
    for (auto& weak : paths_)
        if (auto p = weak.lock()) p->Shutdown();
    paths_.clear();
    defaultPath_.reset();
    closed_ = true;
}

}  // namespace qxsound::platform
