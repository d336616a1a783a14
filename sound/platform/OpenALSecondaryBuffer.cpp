#include "OpenALSecondaryBuffer.h"

#include <qxsound/Error.h>

#include <AL/alext.h>

#include <cmath>

namespace qxsound::platform {

namespace {

// OpenAL Soft renders a centred mono source 4.5 dB down on each stereo channel.
constexpr float kCentreMakeUp = 1.6788040f;

}  // namespace

std::shared_ptr<OpenALSecondaryBuffer> OpenALSecondaryBuffer::FromFile(std::shared_ptr<OpenALDevice> device,
                                                                       const std::string& fileName,
                                                                       const DSBUFFERDESC& desc) {
    if ((desc.lFlags & DSBCAPS_CTRL3D) && (desc.lFlags & DSBCAPS_CTRLPAN))
        throw Error(DSERR_INVALIDPARAM, "a 3D buffer has no pan control: its position places it");
    auto pcm = PcmData::ReadFile(fileName);
    if ((desc.lFlags & DSBCAPS_CTRL3D) && pcm->Channels() != 1)
        throw Error(DSERR_BADFORMAT, "\"" + fileName + "\" is not mono: 3D buffers take mono data only");
    return std::shared_ptr<OpenALSecondaryBuffer>(new OpenALSecondaryBuffer(std::move(device), std::move(pcm), desc));
}

OpenALSecondaryBuffer::OpenALSecondaryBuffer(std::shared_ptr<OpenALDevice> device, std::shared_ptr<const PcmData> pcm,
                                             const DSBUFFERDESC& desc)
    : device_(std::move(device)), pcm_(std::move(pcm)), desc_(desc) {
    ContextGuard guard(*device_);
    alGetError();
    alGenBuffers(1, &buffer_);
    if (alGetError() != AL_NO_ERROR) throw Error(DSERR_OUTOFMEMORY, "no OpenAL buffer for a sound");
    alGenSources(1, &source_);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &buffer_);
        throw Error(DSERR_ALLOCATED, "no OpenAL source is left for a sound");
    }
    try {
        if (desc_.lFlags & DSBCAPS_CTRL3D) {
            spatial_ = std::make_unique<OpenAL3DBuffer>(*this, *device_, source_,
                                                        (desc_.lFlags & DSBCAPS_MUTE3DATMAXDISTANCE) != 0);
        } else {
            alSourcei(source_, AL_SOURCE_RELATIVE, AL_TRUE);
            alSourcef(source_, AL_ROLLOFF_FACTOR, 0.0f);
            alSourcei(source_, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
            alSourcef(source_, AL_MAX_GAIN, kCentreMakeUp);
        }
        Upload();
    } catch (...) {
        spatial_.reset();
        alDeleteSources(1, &source_);
        alDeleteBuffers(1, &buffer_);
        throw;
    }
}

OpenALSecondaryBuffer::~OpenALSecondaryBuffer() {
    ContextGuard guard(*device_);
    spatial_.reset();
    alSourceStop(source_);
    effects_.Clear(source_);
    alSourcei(source_, AL_BUFFER, 0);
    alDeleteSources(1, &source_);
    alDeleteBuffers(1, &buffer_);
    alGetError();
}

void OpenALSecondaryBuffer::Upload() {
    // The context is current. The buffer can only change while no source holds it.
    const float left = pan_ > 0 ? GainOf(-pan_) : 1.0f;
    const float right = pan_ < 0 ? GainOf(pan_) : 1.0f;
    const std::size_t frames = static_cast<std::size_t>(pcm_->Frames());
    const std::size_t ch = static_cast<std::size_t>(pcm_->Channels());
    const ALsizei rate = pcm_->SampleRate();
    if (ch == 1 && pan_ == 0) {
        if (pcm_->IsShort())
            alBufferData(buffer_, AL_FORMAT_MONO16, pcm_->Shorts().data(), static_cast<ALsizei>(frames * 2), rate);
        else
            alBufferData(buffer_, AL_FORMAT_MONO_FLOAT32, pcm_->Floats().data(), static_cast<ALsizei>(frames * 4), rate);
        gainScale_ = spatial_ ? 1.0f : kCentreMakeUp;  // a 3D source is panned where it stands
    } else if (pcm_->IsShort()) {
        const auto& in = pcm_->Shorts();
        std::vector<int16_t> out(frames * 2);
        for (std::size_t f = 0; f < frames; ++f) {
            const int16_t l = in[f * ch];
            const int16_t r = in[f * ch + ch - 1];
            out[2 * f] = pan_ > 0 ? static_cast<int16_t>(std::lrint(l * left)) : l;
            out[2 * f + 1] = pan_ < 0 ? static_cast<int16_t>(std::lrint(r * right)) : r;
        }
        alBufferData(buffer_, AL_FORMAT_STEREO16, out.data(), static_cast<ALsizei>(out.size() * sizeof(int16_t)), rate);
        gainScale_ = 1.0f;
    } else {
        const auto& in = pcm_->Floats();
        std::vector<float> out(frames * 2);
        for (std::size_t f = 0; f < frames; ++f) {
            out[2 * f] = in[f * ch] * left;
            out[2 * f + 1] = in[f * ch + ch - 1] * right;
        }
        alBufferData(buffer_, AL_FORMAT_STEREO_FLOAT32, out.data(), static_cast<ALsizei>(out.size() * sizeof(float)),
                     rate);
        gainScale_ = 1.0f;
    }
    ThrowOnAlError("uploading sound data");
    alSourcei(source_, AL_BUFFER, static_cast<ALint>(buffer_));
    ThrowOnAlError("attaching sound data");
    ApplyGain();
}

void OpenALSecondaryBuffer::ApplyGain() {
    alSourcef(source_, AL_GAIN, BufferVolumeGain(volume_) * gainScale_);
}

void OpenALSecondaryBuffer::Require(int32_t flag, const char* what) const {
    if (!(desc_.lFlags & flag)) throw Error(DSERR_CONTROLUNAVAIL, std::string("the buffer was created without ") + what);
}

ALint OpenALSecondaryBuffer::State() const {
    ALint state = AL_INITIAL;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    return state;
}

void OpenALSecondaryBuffer::Play(int32_t flags) {
    if (flags & ~DSBPLAY_LOOPING) throw Error(DSERR_INVALIDPARAM, "unknown play flags " + std::to_string(flags));
    ContextGuard guard(*device_);
    alSourcei(source_, AL_LOOPING, (flags & DSBPLAY_LOOPING) ? AL_TRUE : AL_FALSE);
    const ALint state = State();
    if (state != AL_PLAYING) {
        const bool resume = state == AL_PAUSED;
        alSourcePlay(source_);
        if (!resume && pendingFrame_ > 0) alSourcei(source_, AL_SAMPLE_OFFSET, pendingFrame_);
        pendingFrame_ = 0;
    }
    ThrowOnAlError("playing a buffer");
}

void OpenALSecondaryBuffer::Stop() {
    ContextGuard guard(*device_);
    if (State() == AL_PLAYING) alSourcePause(source_);
    ThrowOnAlError("stopping a buffer");
}

int32_t OpenALSecondaryBuffer::GetStatus() {
    ContextGuard guard(*device_);
    if (State() != AL_PLAYING) return 0;
    ALint looping = AL_FALSE;
    alGetSourcei(source_, AL_LOOPING, &looping);
    return DSBSTATUS_PLAYING | (looping ? DSBSTATUS_LOOPING : 0);
}

DSCURSORS OpenALSecondaryBuffer::GetCurrentPosition() {
    ContextGuard guard(*device_);
    const ALint state = State();
    ALint frame = pendingFrame_;
    if (state == AL_PLAYING || state == AL_PAUSED) alGetSourcei(source_, AL_SAMPLE_OFFSET, &frame);
    const int32_t bytes = frame * pcm_->BytesPerFrame();
    return {bytes, bytes};
}

void OpenALSecondaryBuffer::SetCurrentPosition(int32_t bytes) {
    const int64_t size = static_cast<int64_t>(pcm_->Frames()) * pcm_->BytesPerFrame();
    if (bytes < 0 || bytes >= size)
        throw Error(DSERR_INVALIDPARAM, "position " + std::to_string(bytes) + " is outside the buffer");
    const int32_t frame = bytes / pcm_->BytesPerFrame();
    ContextGuard guard(*device_);
    const ALint state = State();
    if (state == AL_PLAYING || state == AL_PAUSED) {
        alSourcei(source_, AL_SAMPLE_OFFSET, frame);
        ThrowOnAlError("moving the play cursor");
    } else {
        pendingFrame_ = frame;
    }
}

int32_t OpenALSecondaryBuffer::GetVolume() {
    Require(DSBCAPS_CTRLVOLUME, "volume control");
    return volume_;
}

void OpenALSecondaryBuffer::SetVolume(int32_t volume) {
    Require(DSBCAPS_CTRLVOLUME, "volume control");
    CheckBufferVolume(volume);
    ContextGuard guard(*device_);
    volume_ = volume;
    ApplyGain();
    ThrowOnAlError("setting the volume");
}

int32_t OpenALSecondaryBuffer::GetPan() {
    Require(DSBCAPS_CTRLPAN, "pan control");
    return pan_;
}

void OpenALSecondaryBuffer::SetPan(int32_t pan) {
    Require(DSBCAPS_CTRLPAN, "pan control");
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT)
        throw Error(DSERR_INVALIDPARAM, "pan " + std::to_string(pan) + " is outside -10000 to 10000");
    if (pan == pan_) return;
    ContextGuard guard(*device_);
    const ALint state = State();
    ALint frame = pendingFrame_;
    if (state == AL_PLAYING || state == AL_PAUSED) alGetSourcei(source_, AL_SAMPLE_OFFSET, &frame);
    alSourceStop(source_);
    alSourcei(source_, AL_BUFFER, 0);
    pan_ = pan;
    Upload();
    if (state == AL_PLAYING) {
        alSourcePlay(source_);
        alSourcei(source_, AL_SAMPLE_OFFSET, frame);
        pendingFrame_ = 0;
    } else {
        pendingFrame_ = frame;
    }
    ThrowOnAlError("setting the pan");
}

int32_t OpenALSecondaryBuffer::GetFrequency() {
    Require(DSBCAPS_CTRLFREQUENCY, "frequency control");
    return frequency_ ? frequency_ : pcm_->SampleRate();
}

void OpenALSecondaryBuffer::SetFrequency(int32_t hz) {
    Require(DSBCAPS_CTRLFREQUENCY, "frequency control");
    if (hz != 0 && (hz < DSBFREQUENCY_MIN || hz > DSBFREQUENCY_MAX))
        throw Error(DSERR_INVALIDPARAM, "frequency " + std::to_string(hz) + " Hz is outside 100 to 200000");
    ContextGuard guard(*device_);
    alSourcef(source_, AL_PITCH, hz == 0 ? 1.0f : static_cast<float>(hz) / static_cast<float>(pcm_->SampleRate()));
    ThrowOnAlError("setting the frequency");
    frequency_ = hz;
}

void OpenALSecondaryBuffer::SaveToFile(const std::string& fileName) { pcm_->WriteFile(fileName); }

DSBUFFERDESC OpenALSecondaryBuffer::GetCaps() {
    DSBUFFERDESC caps = desc_;
    caps.lBufferBytes = pcm_->Frames() * pcm_->BytesPerFrame();
    return caps;
}

std::shared_ptr<DirectSound3DBuffer8> OpenALSecondaryBuffer::GetDirectSound3DBuffer() {
    if (!spatial_) throw Error(DSERR_NOINTERFACE, "the buffer was created without 3D control");
    // The 3D control lives inside the buffer: holding it keeps the buffer.
    return std::shared_ptr<DirectSound3DBuffer8>(shared_from_this(), spatial_.get());
}

void OpenALSecondaryBuffer::SetFX(int32_t count, const DSEFFECTDESC* effects, int32_t* results) {
    ContextGuard guard(*device_);
    effects_.Set(*device_, source_, count, effects, results);
}

}  // namespace qxsound::platform
