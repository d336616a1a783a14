#include "TestSupport.h"

#include "Mixer.h"
#include "ModPlug.h"
#include "OpenALDevice.h"

#include <qxsound/Error.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <numbers>
#include <thread>

using namespace qxsound;
using namespace qxsound::platform;

namespace {

// A stereo tone of a fixed number of frames.
class ToneProducer final : public Producer {
public:
    ToneProducer(int32_t rate, int64_t frames) : rate_(rate), left_(frames) {}
    int32_t Channels() const noexcept override { return 2; }
    int32_t SampleRate() const noexcept override { return rate_; }
    RenderResult Render(float* out, int32_t frames) noexcept override {
        if (left_ <= 0) return RenderResult::Finished;
        for (int32_t i = 0; i < frames; ++i, ++n_) {
            const float v = left_-- > 0 ? 0.5f * static_cast<float>(std::sin(2 * std::numbers::pi * 440.0 * n_ / rate_)) : 0.0f;
            out[2 * i] = out[2 * i + 1] = v;
        }
        return RenderResult::Playing;
    }

private:
    int32_t rate_;
    int64_t left_;
    int64_t n_ = 0;
};

TEST(Mixer, StreamsAProducerUntilItEnds) {
    auto device = OpenALDevice::Open("", true, 48000);
    auto& mixer = device->GetMixer();
    auto stream = mixer.Open(std::make_shared<ToneProducer>(48000, 48000 / 4), true);
    mixer.Start(*stream);
    const auto first = qxtest::Render(*device, 0.2);
    EXPECT_NEAR(qxtest::Rms(first), 0.5f / std::sqrt(2.0f), 0.02f);  // full level, no panning loss
    EXPECT_FALSE(stream->Ended());
    const auto rest = qxtest::Render(*device, 0.2);
    EXPECT_GT(qxtest::Rms(rest, 0, 2 * 2000), 0.1f);           // the last 50 ms of the tone
    EXPECT_LT(qxtest::Peak(rest, 2 * 4800), 1e-6f);             // then silence
    qxtest::Render(*device, 0.05);
    EXPECT_TRUE(stream->Ended());
    mixer.Close(stream);
}

TEST(Mixer, HaltDropsQueuedAudioAndStartFeedsAgain) {
    auto device = OpenALDevice::Open("", true, 44100);
    auto& mixer = device->GetMixer();
    auto stream = mixer.Open(std::make_shared<ToneProducer>(44100, 44100 * 10), true);
    mixer.Start(*stream);
    EXPECT_GT(qxtest::Rms(qxtest::Render(*device, 0.05)), 0.1f);
    mixer.Halt(*stream);
    // Halt keeps the stream active, so the producer is played from where it stood.
    EXPECT_GT(qxtest::Rms(qxtest::Render(*device, 0.05)), 0.1f);
    mixer.Close(stream);
    EXPECT_LT(qxtest::Peak(qxtest::Render(*device, 0.05)), 1e-6f);
}

TEST(Mixer, ManyStreamsAtOnce) {
    auto device = OpenALDevice::Open("", true, 44100);
    auto& mixer = device->GetMixer();
    std::vector<std::shared_ptr<Stream>> streams;
    for (int i = 0; i < 300; ++i) {
        streams.push_back(mixer.Open(std::make_shared<ToneProducer>(44100, 4410), true));
        mixer.Start(*streams.back());
    }
    const auto out = qxtest::Render(*device, 0.05);
    EXPECT_GT(qxtest::Peak(out), 1.0f);  // the sum of many tones
    qxtest::Render(*device, 0.2);
    for (auto& s : streams) {
        EXPECT_TRUE(s->Ended());
        mixer.Close(s);
    }
}

// A tone whose renders stall (a synthesiser, a drive spinning up): every render from `from` on,
// up to `count` of them, first sleeps `stall`.
class StallingProducer final : public Producer {
public:
    StallingProducer(int32_t rate, int64_t frames, int from, int count, std::chrono::milliseconds stall)
        : tone_(rate, frames), from_(from), count_(count), stall_(stall) {}
    int32_t Channels() const noexcept override { return 2; }
    int32_t SampleRate() const noexcept override { return tone_.SampleRate(); }
    RenderResult Render(float* out, int32_t frames) noexcept override {
        const int call = calls_++;
        if (call >= from_ && call < from_ + count_) std::this_thread::sleep_for(stall_);
        const RenderResult result = tone_.Render(out, frames);
        if (result == RenderResult::Playing) rendered_ += frames;
        return result;
    }
    // Frames given to the stream.
    int64_t Rendered() const noexcept { return rendered_; }

private:
    ToneProducer tone_;
    int from_, count_;
    std::chrono::milliseconds stall_;
    int calls_ = 0;
    std::atomic<int64_t> rendered_{0};
};

// Waits (in real time) until the stream has played its producer out.
bool WaitForEnd(const Stream& stream, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!stream.Ended() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return stream.Ended();
}

// The null backend consumes audio in real time, one period at a time, like a sound card.
TEST(RealTimeMixer, SlowProducerDelaysOnlyItsOwnStream) {
    auto device = OpenALDevice::Open("", false, 44100);
    auto& mixer = device->GetMixer();
    auto slow = std::make_shared<StallingProducer>(44100, 44100 * 10, 0, 1000, std::chrono::milliseconds(150));
    auto steady = std::make_shared<StallingProducer>(44100, 44100 / 2, 0, 0, std::chrono::milliseconds(0));
    auto slowStream = mixer.Open(slow, true);
    auto steadyStream = mixer.Open(steady, true);
    mixer.Start(*slowStream);
    mixer.Start(*steadyStream);
    ASSERT_TRUE(WaitForEnd(*steadyStream, std::chrono::seconds(5)));
    EXPECT_EQ(steadyStream->Underruns(), 0);
    EXPECT_EQ(steadyStream->Position(), steady->Rendered());
    mixer.Close(slowStream);  // returns without waiting for the render in progress
    mixer.Close(steadyStream);
}

TEST(RealTimeMixer, UnderrunPlaysWhatWasDueLateWithoutSkipping) {
    auto device = OpenALDevice::Open("", false, 48000);
    auto& mixer = device->GetMixer();
    // Two renders, after the queue has filled and started, stall longer than the queue holds.
    const StreamTiming& timing = mixer.Timing();
    const auto stall = std::chrono::milliseconds(static_cast<int>(1000 * timing.ahead) + 20);
    const int fill = static_cast<int>(std::ceil(timing.ahead / timing.chunk));
    const auto frames = static_cast<int64_t>((fill + 20) * timing.chunk * 48000);
    auto producer = std::make_shared<StallingProducer>(48000, frames, fill + 5, 2, stall);
    auto stream = mixer.Open(producer, true);
    const int32_t ahead = stream->AheadFrames();
    mixer.Start(*stream);
    ASSERT_TRUE(WaitForEnd(*stream, std::chrono::seconds(5)));
    EXPECT_GE(stream->Underruns(), 1);
    EXPECT_GT(stream->AheadFrames(), ahead);  // the queue deepens after an underrun
    EXPECT_LE(stream->AheadFrames(), 2 * ahead);
    // Every frame rendered was heard: the position counts them all, none was dropped to catch up.
    EXPECT_EQ(stream->Position(), producer->Rendered());
    EXPECT_EQ(stream->PlayedBefore(), producer->Rendered());
    mixer.Close(stream);
}

TEST(Loopback, OnlyLoopbackDevicesRenderOnRequest) {
    auto device = OpenALDevice::Open("", false, 44100);  // the null backend in tests
    float out[2];
    EXPECT_THROW(device->RenderLoopback(out, 1), Error);
}

TEST(ModulePlayer, HandlesAreCreatedAndDestroyed) {
    const int32_t a = ModPlug_CreateEx("loop|true");
    const int32_t b = ModPlug_CreateEx("");
    EXPECT_GT(a, 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(ModPlug_SetWindow(a, 1234), 1);
    ModPlug_Destroy(a);
    EXPECT_FALSE(ModPlug_IsValid(a));
    EXPECT_TRUE(ModPlug_IsValid(b));
    EXPECT_THROW(ModPlug_Destroy(a), Error);
    EXPECT_THROW(ModPlug_SetWindow(a, 1), Error);
    ModPlug_Destroy(b);
}

TEST(ModulePlayer, MissingLibraryRaisesModuleNotFound) {
    SetModPlayerLibrary("/nonexistent/libopenmpt.so.0");
    try {
        ModPlug_CreateEx("loop|true");
        ADD_FAILURE() << "a missing library gave a player";
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), DSERR_MODNOTFOUND);
    }
    SetModPlayerLibrary("libopenmpt.so.0");
}

}  // namespace
