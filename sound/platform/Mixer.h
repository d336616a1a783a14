// Streaming through OpenAL Soft: producers render PCM on demand, the device's mixer thread keeps
// each producer's AL source fed.
#pragma once

#include <AL/al.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qxsound::platform {

class OpenALDevice;

enum class RenderResult {
    Playing,   // `frames` frames were written (silence where there was nothing to give)
    Idle,      // nothing to give now, maybe later; the buffer is untouched
    Finished,  // nothing more, ever; the buffer is untouched
};

// Anything that renders PCM on demand: segment states, audio paths, decoders. Called on the mixer
// thread only; must not block on the host thread.
class Producer {
public:
    virtual ~Producer() = default;
    virtual int32_t Channels() const noexcept = 0;  // 1 or 2, fixed
    virtual int32_t SampleRate() const noexcept = 0;  // fixed
    // Writes `frames` interleaved float frames to `out`.
    virtual RenderResult Render(float* out, int32_t frames) noexcept = 0;
};

class Mixer;

// One AL source fed from one producer.
class Stream {
public:
    ALuint Source() const noexcept { return source_; }
    // Whether the producer finished and everything it gave has been played.
    bool Ended() const noexcept { return ended_.load(std::memory_order_acquire); }

private:
    friend class Mixer;
    std::shared_ptr<Producer> producer_;
    ALuint source_ = 0;
    ALenum format_ = 0;
    int32_t frames_ = 0;  // per AL buffer
    std::vector<ALuint> buffers_;
    std::vector<ALuint> free_;
    int32_t queued_ = 0;
    bool active_ = false;
    bool producerDone_ = false;
    std::atomic<bool> ended_{false};
};

// One per device: owns the streams and the thread that refills them every few milliseconds.
class Mixer {
public:
    // Three 10 ms buffers per stream: 30 ms ahead at most, and few OpenAL calls per second.
    static constexpr int32_t kBuffersPerStream = 3;
    static constexpr int32_t kMillisecondsPerBuffer = 10;

    explicit Mixer(OpenALDevice& device);
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // A new stream, idle until Start. Throws qxsound::Error when OpenAL has no source left.
    std::shared_ptr<Stream> Open(std::shared_ptr<Producer> producer, bool directChannels);
    // Releases the stream's AL objects; the stream is unusable afterwards.
    void Close(const std::shared_ptr<Stream>& stream);
    // Feed the stream (again) from its producer.
    void Start(Stream& stream);
    // Stops the stream's source at once and drops its queued audio; Start feeds it again.
    void Halt(Stream& stream);
    // Have the thread service the streams now instead of at its next tick.
    void Wake();
    // One refill pass over all streams; the thread's work, also run before loopback rendering.
    void Service();
    // Stops the thread (safe twice); streams stay as they are.
    void Shutdown();


private:
    void ServiceLocked();
    void ServiceStream(Stream& stream);
    void Run();

    OpenALDevice& device_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::vector<std::shared_ptr<Stream>> streams_;
    std::vector<float> scratch_;
};

}  // namespace qxsound::platform
