#include "AudioPath.h"

#include <qxsound/Error.h>

#include <algorithm>
#include <cstring>

namespace qxsound::platform {

namespace {

// OpenAL Soft renders a centred mono source 4.5 dB down on each stereo channel.
constexpr float kCentreMakeUp = 1.6788040f;

}  // namespace

RenderResult PathProducer::Render(float* out, int32_t frames) noexcept {
    std::lock_guard lock(mutex_);
    const std::size_t samples = static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels_);
    std::memset(out, 0, sizeof(float) * samples);
    bool gave = false;
    for (auto& state : states_) gave = state->MixInto(out, frames, rendered_) || gave;
    if (!gave) return RenderResult::Idle;  // the states stay: the stream may take frames back
    rendered_ += frames;
    std::erase_if(states_, [this](const auto& s) { return s->Gone(rendered_); });
    const float gain = masterGain_->load(std::memory_order_relaxed);
    if (gain != 1.0f)
        for (std::size_t i = 0; i < samples; ++i) out[i] *= gain;
    return RenderResult::Playing;
}

bool PathProducer::Rewind(int64_t frames) noexcept {
    std::lock_guard lock(mutex_);
    rendered_ -= frames;
    for (auto& state : states_) state->Rewind(frames);
    return true;
}

void PathProducer::Add(std::shared_ptr<SegmentState> state) {
    std::lock_guard lock(mutex_);
    std::erase_if(states_, [this](const auto& s) { return s->Gone(rendered_); });
    states_.push_back(std::move(state));
}

std::size_t PathProducer::Count() {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(states_.begin(), states_.end(), [](const auto& s) { return !s->Done(); }));
}

bool PathProducer::EndOldest() {
    std::lock_guard lock(mutex_);
    auto oldest = std::find_if(states_.begin(), states_.end(), [](const auto& s) { return !s->Done(); });
    if (oldest == states_.end()) return false;
    (*oldest)->End(false);
    states_.erase(oldest);
    return true;
}

void PathProducer::Cut() {
    std::lock_guard lock(mutex_);
    for (auto& state : states_) state->End(false);
    states_.clear();
}

PathCore::PathCore(std::shared_ptr<OpenALDevice> device, std::shared_ptr<const std::atomic<float>> masterGain,
                   bool active)
    : device_(std::move(device)), masterGain_(std::move(masterGain)), active_(active) {}

PathCore::~PathCore() { Close(); }

void PathCore::RequireOpen() const {
    if (closed_) throw Error(DSERR_INVALIDCALL, "the audio path is gone");
}

PathCore::Lane& PathCore::LaneFor(int32_t channels) {
    auto& slot = lanes_[channels == 1 ? 0 : 1];
    if (slot) return *slot;
    auto lane = std::make_unique<Lane>();
    lane->producer = std::make_shared<PathProducer>(channels, device_->SampleRate(), masterGain_);
    lane->stream = device_->GetMixer().Open(lane->producer, true);
    lane->makeUp = channels == 1 ? kCentreMakeUp : 1.0f;
    {
        ContextGuard guard(*device_);
        alSourcef(lane->stream->Source(), AL_MAX_GAIN, kCentreMakeUp);
        ApplyVolume(*lane);
        try {
            lane->effects.Set(*device_, lane->stream->Source(), static_cast<int32_t>(effects_.size()), effects_.data(),
                              nullptr);
        } catch (...) {
            device_->GetMixer().Close(lane->stream);
            throw;
        }
    }
    slot = std::move(lane);
    return *slot;
}

void PathCore::ApplyVolume(Lane& lane) {
    // The context is current.
    alSourcef(lane.stream->Source(), AL_GAIN, BufferVolumeGain(volume_) * lane.makeUp);
}

void PathCore::Play(std::shared_ptr<SegmentState> state) {
    RequireOpen();
    if (!active_) throw Error(DMUS_E_AUDIOPATH_INACTIVE, "the audio path is not active");
    Lane& lane = LaneFor(state->Channels());
    std::size_t total = 0;
    for (auto& l : lanes_)
        if (l) total += l->producer->Count();
    while (total >= kMaxStatesPerPath) {
        // The oldest across the lanes is not tracked; ending the fuller lane's oldest bounds the sum.
        Lane* fuller = nullptr;
        for (auto& l : lanes_)
            if (l && (!fuller || l->producer->Count() > fuller->producer->Count())) fuller = l.get();
        if (!fuller || !fuller->producer->EndOldest()) break;
        --total;
    }
    const std::weak_ptr<Stream> stream = lane.stream;
    Mixer* mixer = &device_->GetMixer();
    state->Link({[stream] {
                     const auto s = stream.lock();
                     return s ? s->PlayedBefore() : INT64_MAX;  // a closed stream plays nothing more
                 },
                 [stream, mixer] {
                     const auto s = stream.lock();
                     return s ? mixer->Halt(*s) : INT64_MAX;
                 }});
    // On a path already playing, what is queued is taken back and given again with the new state
    // in it: the new state is heard at once, not a queue later.
    const bool busy = lane.producer->Count() > 0;
    lane.producer->Add(std::move(state));
    mixer->Start(*lane.stream);
    if (busy) mixer->Halt(*lane.stream);
}

void PathCore::Activate(bool active) {
    if (closed_ || active == active_) return;
    active_ = active;
    for (auto& lane : lanes_) {
        if (!lane) continue;
        if (active) {
            device_->GetMixer().Start(*lane->stream);
        } else {
            lane->producer->Cut();
            device_->GetMixer().Halt(*lane->stream);
        }
    }
}

void PathCore::SetVolume(int32_t volume) {
    RequireOpen();
    CheckBufferVolume(volume);
    volume_ = volume;
    ContextGuard guard(*device_);
    for (auto& lane : lanes_)
        if (lane) ApplyVolume(*lane);
    ThrowOnAlError("setting the volume");
}

void PathCore::SetFX(int32_t count, const DSEFFECTDESC* effects, int32_t* results) {
    RequireOpen();
    EffectChain::Check(*device_, count, effects, results);
    ContextGuard guard(*device_);
    for (auto& lane : lanes_)
        if (lane) lane->effects.Set(*device_, lane->stream->Source(), count, effects, results);
    effects_.assign(effects, effects + count);
}

bool PathCore::Sounding() {
    RequireOpen();
    ContextGuard guard(*device_);
    for (auto& lane : lanes_) {
        if (!lane) continue;
        ALint state = AL_STOPPED;
        alGetSourcei(lane->stream->Source(), AL_SOURCE_STATE, &state);
        if (state == AL_PLAYING) return true;
    }
    return false;
}

void PathCore::Close() {
    if (closed_) return;
    closed_ = true;
    for (auto& lane : lanes_) {
        if (!lane) continue;
        lane->producer->Cut();
        {
            ContextGuard guard(*device_);
            lane->effects.Clear(lane->stream->Source());
        }
        device_->GetMixer().Close(lane->stream);
        lane.reset();
    }
}

void PathBuffer::Play(int32_t) { throw Error(DSERR_INVALIDCALL, "an audio path's buffer plays with its path"); }
void PathBuffer::Stop() { throw Error(DSERR_INVALIDCALL, "an audio path's buffer plays with its path"); }
int32_t PathBuffer::GetStatus() { return core_->Sounding() ? DSBSTATUS_PLAYING : 0; }
DSCURSORS PathBuffer::GetCurrentPosition() { return {}; }
void PathBuffer::SetCurrentPosition(int32_t) {
    throw Error(DSERR_INVALIDCALL, "an audio path's buffer has no play cursor of its own");
}
int32_t PathBuffer::GetPan() { throw Error(DSERR_CONTROLUNAVAIL, "an audio path's buffer has no pan control"); }
void PathBuffer::SetPan(int32_t) { throw Error(DSERR_CONTROLUNAVAIL, "an audio path's buffer has no pan control"); }
int32_t PathBuffer::GetFrequency() { return core_->Device()->SampleRate(); }
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

OpenALAudioPath::OpenALAudioPath(std::shared_ptr<OpenALDevice> device,
                                 std::shared_ptr<const std::atomic<float>> masterGain, bool active)
    : core_(std::make_shared<PathCore>(std::move(device), std::move(masterGain), active)),
      buffer_(std::make_shared<PathBuffer>(core_)) {}

OpenALAudioPath::~OpenALAudioPath() { core_->Close(); }

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

}  // namespace qxsound::platform
