// What a stream plays: anything that renders PCM on demand (audio paths, decoders, modules, CD).
//
// To stream one: `auto stream = device.GetMixer().Open(producer, directChannels)` gives it an AL
// source of its own (volume, pitch and effects are set on `stream->Source()`); `Mixer::Start` feeds
// it, `Mixer::Halt` cuts what is queued, `Mixer::Close` releases it. `Stream::Ended` says when the
// producer finished and all it gave has been heard; `Stream::PlayedBefore` counts the frames heard,
// the clock for a position shown to the user. The stream keeps about a device period and a margin
// queued, so what Render gives now is heard that much later.
#pragma once

#include <cstdint>

namespace qxsound::platform {

enum class RenderResult {
    Playing,   // `frames` frames were written (silence where there was nothing to give)
    Idle,      // nothing to give now, maybe later; the buffer is untouched
    Finished,  // nothing more, ever; the buffer is untouched
};

// Called on its stream's feeding thread only, one call at a time; must not block on the host
// thread. A slow Render delays its own stream and no other.
class Producer {
public:
    virtual ~Producer() = default;
    virtual int32_t Channels() const noexcept = 0;  // 1 or 2, fixed
    virtual int32_t SampleRate() const noexcept = 0;  // fixed
    // Writes `frames` interleaved float frames to `out`.
    virtual RenderResult Render(float* out, int32_t frames) noexcept = 0;
    // The stream took back the last `frames` frames rendered, unheard (Mixer::Halt). A producer that
    // can go back that far does so and returns true: those frames are rendered again. By default they
    // are lost and the producer goes on from where it stands. Called with the stream locked: be quick.
    virtual bool Rewind(int64_t frames) noexcept {
        static_cast<void>(frames);
        return false;
    }
};

}  // namespace qxsound::platform
