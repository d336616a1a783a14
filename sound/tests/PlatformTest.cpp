#include "TestSupport.h"

#include "Mixer.h"
#include "ModPlug.h"
#include "OpenALDevice.h"

#include <qxsound/Error.h>

#include <cmath>
#include <numbers>

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
