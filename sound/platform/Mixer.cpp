#include "Mixer.h"

#include "OpenALDevice.h"

#include <algorithm>

namespace qxsound::platform {

namespace {

// The largest device period a stream is sized for when the device does not say.
constexpr double kLongestPeriodFrames = 8192.0;

StreamTiming TimingOf(const OpenALDevice& device) {
    if (device.IsLoopback()) return StreamTiming::Loopback(Mixer::kLoopbackSlice);
    // ALC_REFRESH is the device's frequency over its period, rounded down: the period derived from
    // it is never too short.
    ALCint refresh = 0;
    alcGetIntegerv(device.Device(), ALC_REFRESH, 1, &refresh);
    const double period = refresh > 0 ? 1.0 / refresh : kLongestPeriodFrames / device.SampleRate();
    return StreamTiming::RealTime(period);
}

}  // namespace

Mixer::Mixer(OpenALDevice& device) : device_(device), timing_(TimingOf(device)) {}

Mixer::~Mixer() {
    Shutdown();
    for (auto& stream : streams_) stream->Close();
    streams_.clear();
}

void Mixer::Shutdown() {
    std::lock_guard lock(mutex_);
    if (!feeding_) return;
    feeding_ = false;
    for (auto& stream : streams_) stream->StopFeeding();
    for (auto& stream : closing_) stream->StopFeeding();
    closing_.clear();
}

std::shared_ptr<Stream> Mixer::Open(std::shared_ptr<Producer> producer, bool directChannels) {
    auto stream = std::make_shared<Stream>(std::move(producer), device_.Context(), timing_, directChannels);
    std::lock_guard lock(mutex_);
    Reap();
    streams_.push_back(stream);
    if (feeding_ && !device_.IsLoopback()) stream->StartFeeding();
    return stream;
}

void Mixer::Close(const std::shared_ptr<Stream>& stream) {
    std::lock_guard lock(mutex_);
    auto it = std::find(streams_.begin(), streams_.end(), stream);
    if (it == streams_.end()) return;
    streams_.erase(it);
    // The feeding thread may be inside a slow render: it is joined later, not waited for here.
    stream->Close();
    if (stream->feeder_.joinable()) closing_.push_back(stream);
    Reap();
}

void Mixer::Reap() {
    std::erase_if(closing_, [](const std::shared_ptr<Stream>& s) {
        if (!s->FeederExited()) return false;
        s->StopFeeding();
        return true;
    });
}

std::vector<std::shared_ptr<Stream>> Mixer::Streams() {
    std::lock_guard lock(mutex_);
    return streams_;
}

int64_t Mixer::Underruns() {
    int64_t sum = 0;
    for (auto& stream : Streams()) sum += stream->Underruns();
    return sum;
}

void Mixer::Wake() {
    for (auto& stream : Streams()) stream->Wake();
}

void Mixer::Service() {
    for (auto& stream : Streams()) stream->Feed();
}

}  // namespace qxsound::platform
