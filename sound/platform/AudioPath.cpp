#include "AudioPath.h"

#include <qxsound/Error.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qxsound::platform {

RenderResult PathProducer::Render(float* out, int32_t frames) noexcept {
    std::lock_guard lock(mutex_);
    if (states_.empty()) return RenderResult::Idle;
    std::memset(out, 0, sizeof(float) * 2 * static_cast<std::size_t>(frames));
    for (auto& state : states_) state->MixInto(out, frames);
    std::erase_if(states_, [](const auto& s) { return s->Finished(); });
    const float gain = masterGain_->load(std::memory_order_relaxed);
    if (gain != 1.0f)
        for (int32_t i = 0; i < 2 * frames; ++i) out[i] *= gain;
    return RenderResult::Playing;
}

void PathProducer::Add(std::shared_ptr<SegmentState> state) {
    std::lock_guard lock(mutex_);
    std::erase_if(states_, [](const auto& s) { return s->Finished(); });
    while (states_.size() >= kMaxStatesPerPath) {
        states_.front()->End();
        states_.erase(states_.begin());
    }
    states_.push_back(std::move(state));
}

void PathProducer::Cut() {
    std::lock_guard lock(mutex_);
    for (auto& state : states_) state->End();
    states_.clear();
}

PathBuffer::~PathBuffer() { Release(); }

void PathBuffer::Release() {
    if (!stream_ || stream_->Source() == 0) return;
    ContextGuard guard(*device_);
    effects_.Clear(stream_->Source());
}

ALuint PathBuffer::Source() const {
    if (stream_->Source() == 0) throw Error(DSERR_INVALIDCALL, "the audio path of this buffer is gone");
    return stream_->Source();
}

void PathBuffer::Play(int32_t) { throw Error(DSERR_INVALIDCALL, "an audio path's buffer plays with its path"); }
void PathBuffer::Stop() { throw Error(DSERR_INVALIDCALL, "an audio path's buffer plays with its path"); }

int32_t PathBuffer::GetStatus() {
    const ALuint source = Source();
    ContextGuard guard(*device_);
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING ? DSBSTATUS_PLAYING : 0;
}

DSCURSORS PathBuffer::GetCurrentPosition() { return {}; }
void PathBuffer::SetCurrentPosition(int32_t) {
    throw Error(DSERR_INVALIDCALL, "an audio path's buffer has no play cursor of its own");
}

void PathBuffer::SetVolume(int32_t volume) {
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX)
        throw Error(DSERR_INVALIDPARAM, "volume " + std::to_string(volume) + " is outside -10000 to 0");
    const ALuint source = Source();
    ContextGuard guard(*device_);
    alSourcef(source, AL_GAIN, volume == DSBVOLUME_MIN ? 0.0f : std::pow(10.0f, static_cast<float>(volume) / 2000.0f));
    ThrowOnAlError("setting the volume");
    volume_ = volume;
}

int32_t PathBuffer::GetPan() { throw Error(DSERR_CONTROLUNAVAIL, "an audio path's buffer has no pan control"); }
void PathBuffer::SetPan(int32_t) { throw Error(DSERR_CONTROLUNAVAIL, "an audio path's buffer has no pan control"); }
int32_t PathBuffer::GetFrequency() { return device_->SampleRate(); }
void PathBuffer::SetFrequency(int32_t) {
    throw Error(DSERR_CONTROLUNAVAIL, "an audio path's buffer has no frequency control");
}
void PathBuffer::SaveToFile(const std::string&) {
    throw Error(DSERR_INVALIDCALL, "an audio path's buffer streams and cannot be saved");
}

DSBUFFERDESC PathBuffer::GetCaps() {
    DSBUFFERDESC caps;
    caps.lFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFX;
    return caps;
}

std::shared_ptr<DirectSound3DBuffer8> PathBuffer::GetDirectSound3DBuffer() {
    throw Error(DSERR_NOINTERFACE, "this audio path's buffer has no 3D control");
}

void PathBuffer::SetFX(int32_t count, const DSEFFECTDESC* effects, int32_t* results) {
    const ALuint source = Source();
    ContextGuard guard(*device_);
    effects_.Set(*device_, source, count, effects, results);
}

OpenALAudioPath::OpenALAudioPath(std::shared_ptr<OpenALDevice> device,
                                 std::shared_ptr<const std::atomic<float>> masterGain, bool active)
    : device_(std::move(device)),
      producer_(std::make_shared<PathProducer>(device_->SampleRate(), std::move(masterGain))),
      active_(active) {
    stream_ = device_->GetMixer().Open(producer_, true);
    buffer_ = std::make_shared<PathBuffer>(device_, stream_);
    if (active_) device_->GetMixer().Start(*stream_);
}

OpenALAudioPath::~OpenALAudioPath() {
    producer_->Cut();
    buffer_->Release();
    device_->GetMixer().Close(stream_);
}

void OpenALAudioPath::Activate(bool active) {
    if (active == active_) return;
    active_ = active;
    if (active) {
        device_->GetMixer().Start(*stream_);
    } else {
        producer_->Cut();
        device_->GetMixer().Halt(*stream_);
    }
}

std::shared_ptr<DirectSoundSecondaryBuffer8> OpenALAudioPath::GetObjectInPath(int32_t pChannel, int32_t stage,
                                                                              int32_t buffer,
                                                                              const std::string& guidObject,
                                                                              int32_t index, const std::string& iid) {
    if (stage != DMUS_PATH_BUFFER || buffer != 0 || index != 0)
        throw Error(DSERR_INVALIDPARAM, "the audio path has one buffer: stage DMUS_PATH_BUFFER, buffer 0, index 0");
    if (pChannel != DMUS_PCHANNEL_ALL && pChannel < 0)
        throw Error(DSERR_INVALIDPARAM, "unknown performance channel " + std::to_string(pChannel));
    if (guidObject != GUID_ALL_OBJECTS || iid != IID_IDirectSoundBuffer8)
        throw Error(DSERR_NOINTERFACE, "the audio path offers its buffer as IID_IDirectSoundBuffer8 only");
    return buffer_;
}

void OpenALAudioPath::Play(std::shared_ptr<SegmentState> state) {
    if (!active_) throw Error(DMUS_E_AUDIOPATH_INACTIVE, "the audio path is not active");
    producer_->Add(std::move(state));
    device_->GetMixer().Start(*stream_);
}

void OpenALAudioPath::Shutdown() {
    producer_->Cut();
    device_->GetMixer().Halt(*stream_);
    active_ = false;
}

}  // namespace qxsound::platform
