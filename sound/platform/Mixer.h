// Streaming through OpenAL Soft: producers render PCM on demand, the device's mixer keeps each
// producer's AL source queued ahead of the device.
//
// On a real-time device every stream has a feeding thread of its own, so a producer that renders
// slowly (a synthesiser, a drive spinning up) delays only its own stream and the host thread never
// waits for a render. Loopback devices render on request: their streams are fed by Service, which
// RenderLoopback calls before every slice.
#pragma once

#include "Producer.h"
#include "Stream.h"

#include <memory>
#include <mutex>
#include <vector>

namespace qxsound::platform {

class OpenALDevice;

// One per device: owns the streams and their feeding.
class Mixer {
public:
    // Seconds a loopback device renders between two refills of its streams.
    static constexpr double kLoopbackSlice = 0.010;

    explicit Mixer(OpenALDevice& device);
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // A new stream, idle until Start. Throws qxsound::Error when OpenAL has no source left.
    std::shared_ptr<Stream> Open(std::shared_ptr<Producer> producer, bool directChannels);
    // Releases the stream's AL objects; the stream is unusable afterwards.
    void Close(const std::shared_ptr<Stream>& stream);
    // Feed the stream (again) from its producer.
    void Start(Stream& stream) { stream.Start(); }
    // Stops the stream's source at once and takes back its queued audio (see Stream::Halt); Start
    // is not needed to feed it again. Returns the frames of the stream heard.
    int64_t Halt(Stream& stream) { return stream.Halt(); }
    // Have the streams serviced now instead of at their next tick.
    void Wake();
    // One refill of every stream on the calling thread; what RenderLoopback runs before each slice.
    void Service();
    // Stops feeding the streams (safe twice); they stay open.
    void Shutdown();

    // How often the open streams ran dry while their producers had audio to give.
    int64_t Underruns();

    // How far ahead this device's streams are queued, from the period the device reports.
    const StreamTiming& Timing() const noexcept { return timing_; }

private:
    std::vector<std::shared_ptr<Stream>> Streams();
    void Reap();

    OpenALDevice& device_;
    StreamTiming timing_;
    std::mutex mutex_;
    std::vector<std::shared_ptr<Stream>> streams_;
    std::vector<std::shared_ptr<Stream>> closing_;  // closed, their feeding thread not yet joined
    bool feeding_ = true;
};

}  // namespace qxsound::platform
