// Where the platform's own players (the module player, the CD audio device) stream to: the output
// device of the calling thread's engine when the library has one, else OpenAL's default device,
// opened once and shared while a player holds it.
#pragma once

#include "DirectSound.h"
#include "Mixer.h"
#include "OpenALDevice.h"

#include <functional>
#include <memory>

namespace qxsound::platform {

// The library installs the look-up of the calling thread's output device (nullptr: none).
using OutputResolver = std::function<std::shared_ptr<DirectSound8>()>;
void SetStreamOutputResolver(OutputResolver resolver);

// Throws qxsound::Error (DSERR_NODRIVER) when no device can be opened.
std::shared_ptr<OpenALDevice> StreamOutputDevice();

// One player's stream on the stream output device of the moment it is made.
class PlayerStream {
public:
    PlayerStream() : device_(StreamOutputDevice()) {}
    ~PlayerStream() { Close(); }
    PlayerStream(const PlayerStream&) = delete;
    PlayerStream& operator=(const PlayerStream&) = delete;

    int32_t SampleRate() const noexcept { return device_->SampleRate(); }
    // Opens the stream, idle until Start. Once only.
    void Open(std::shared_ptr<Producer> producer) { stream_ = device_->GetMixer().Open(std::move(producer), true); }
    void Start() { device_->GetMixer().Start(*stream_); }
    // Stops at once, dropping what is queued.
    void Halt() { device_->GetMixer().Halt(*stream_); }
    // Silent at once, keeping what is queued; Resume plays it on.
    void Pause();
    void Resume();
    // Frames given by the producer and not heard yet.
    int64_t Unheard() const { return stream_->Unheard(); }
    // Whether the producer finished and all it gave has been heard.
    bool Ended() const noexcept { return stream_->Ended(); }

private:
    void Close() {
        if (stream_) device_->GetMixer().Close(stream_);
    }

    std::shared_ptr<OpenALDevice> device_;
    std::shared_ptr<Stream> stream_;
};

}  // namespace qxsound::platform
