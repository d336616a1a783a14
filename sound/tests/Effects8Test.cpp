#include "TestSupport.h"

#include "EffectChain.h"

#include <qxsound/Effects8.h>
#include <qxsound/SoundDx8.h>
#include <qxsound/SoundEngine8.h>

#include <sndfile.h>

using namespace qxsound;
using qxtest::Render;
using qxtest::Rms;

namespace {

const std::string kEcho = platform::GUID_DSFX_STANDARD_ECHO;
const std::string kChorus = platform::GUID_DSFX_STANDARD_CHORUS;

class Effects8Calls : public qxtest::SoundTest {
protected:
    void SetUp() override {
        recorder = UseRecordingPlatform();
        engine = std::make_shared<SoundEngine8>();
        sound = std::make_shared<SoundDx8>();
        recorder->log.clear();
    }
    std::shared_ptr<qxtest::Recorder> recorder;
    std::shared_ptr<SoundEngine8> engine;
    std::shared_ptr<SoundDx8> sound;
};

TEST_F(Effects8Calls, OneCollectionPerSoundWithItsParent) {
    auto effects = sound->Effects();
    EXPECT_EQ(sound->Effects(), effects);
    EXPECT_EQ(effects->Parent(), sound.get());
    EXPECT_EQ(effects->Count(), 0);
}

TEST_F(Effects8Calls, AddItemRemoveAndClear) {
    auto effects = sound->Effects();
    auto echo = effects->Add(kEcho, "Echo");
    auto chorus = effects->Add(kChorus);
    EXPECT_EQ(echo->EffectGuid(), kEcho);
    EXPECT_EQ(echo->Key(), "");  // Add does not set the entry's own key
    EXPECT_EQ(effects->Item("echo"), echo);
    EXPECT_EQ(effects->Item(2), chorus);
    EXPECT_THROW(effects->Add(kChorus, "ECHO"), qxcommon::DuplicateKeyError);
    EXPECT_EQ(effects->Count(), 2);
    EXPECT_THROW(effects->Item(3), qxcommon::BadIndexError);
    EXPECT_THROW(effects->Remove("reverb"), qxcommon::UnknownKeyError);
    effects->Remove("Echo");
    EXPECT_EQ(effects->Item(1), chorus);
    effects->Add(kEcho);
    effects->Clear();
    EXPECT_EQ(effects->Count(), 0);
}

TEST_F(Effects8Calls, ApplyInstallsTheListInOrderOnAnInactivePath) {
    auto effects = sound->Effects();
    effects->Add(kEcho);
    effects->Add(kChorus);
    EXPECT_TRUE(effects->Apply());
    EXPECT_EQ(recorder->log,
              (std::vector<std::string>{"Activate(0)",
                                        "GetObjectInPath(-5,24576,0,GUID_ALL_OBJECTS,0,IID_IDirectSoundBuffer8)",
                                        "SetFX(2," + kEcho + "," + kChorus + ")", "Activate(1)"}));
    recorder->log.clear();
    effects->Clear();
    EXPECT_TRUE(effects->Apply());
    EXPECT_EQ(recorder->CountOf("SetFX(0)"), 1u);
}

TEST_F(Effects8Calls, FailedSetFxReturnsFalseAndReactivatesThePath) {
    auto effects = sound->Effects();
    effects->Add("{00000000-0000-0000-0000-000000000000}");
    recorder->failing = {"SetFX"};
    EXPECT_FALSE(effects->Apply());
    ASSERT_FALSE(recorder->log.empty());
    EXPECT_EQ(recorder->log.back(), "Activate(1)");
}

TEST_F(Effects8Calls, ReleasingTheSoundReleasesItsCollection) {
    std::weak_ptr<Effects8> weak = sound->Effects();
    auto held = sound->Effects();
    sound.reset();
    EXPECT_EQ(held->Parent(), nullptr);
    EXPECT_FALSE(held->Apply());
    held.reset();
    EXPECT_TRUE(weak.expired());
}

class Effects8Sound : public qxtest::SoundTest {
protected:
    void SetUp() override {
        UseLoopback(44100);
        engine = std::make_shared<SoundEngine8>();
        device = qxtest::PerformanceDevice();
        // A 50 ms burst, then silence.
        auto samples = qxtest::Sine(0.05, 440.0, 44100, 1, 0.5f);
        samples.resize(44100, 0.0f);
        qxtest::WriteWav(Dir() / "burst.wav", samples, 1, 44100, SF_FORMAT_PCM_16);
    }
    std::shared_ptr<SoundEngine8> engine;
    std::shared_ptr<platform::OpenALDevice> device;
};

TEST_F(Effects8Sound, EchoChangesTheSignal) {
    SoundDx8 dry, wet;
    ASSERT_TRUE(dry.Load((Dir() / "burst.wav").string()));
    ASSERT_TRUE(wet.Load((Dir() / "burst.wav").string()));
    wet.Effects()->Add("{ef3e932c-d40b-4f51-8ccf-3f98f1b29d5d}");  // letters in either case
    ASSERT_TRUE(wet.Effects()->Apply());

    dry.Play();
    const auto plain = Render(*device, 0.6);
    wet.Play();
    const auto echoed = Render(*device, 0.6);
    // After the burst (and the few milliseconds the stream runs ahead) only an echo can sound.
    const std::size_t tail = 2 * 44100 / 10;
    EXPECT_LT(Rms(plain, tail), 1e-4f);
    EXPECT_GT(Rms(echoed, tail), 0.01f);
}

TEST_F(Effects8Sound, EveryStandardEffectIsHeard) {
    SoundDx8 dry;
    ASSERT_TRUE(dry.Load((Dir() / "burst.wav").string()));
    ASSERT_TRUE(dry.Play());
    const auto plain = Render(*device, 0.4);
    ASSERT_GT(Rms(plain, 0, 2 * 2205), 0.1f);
    for (const char* guid : {platform::GUID_DSFX_STANDARD_CHORUS, platform::GUID_DSFX_STANDARD_COMPRESSOR,
                             platform::GUID_DSFX_STANDARD_DISTORTION, platform::GUID_DSFX_STANDARD_ECHO,
                             platform::GUID_DSFX_STANDARD_FLANGER, platform::GUID_DSFX_STANDARD_GARGLE,
                             platform::GUID_DSFX_STANDARD_I3DL2REVERB, platform::GUID_DSFX_STANDARD_PARAMEQ,
                             platform::GUID_DSFX_WAVES_REVERB}) {
        SoundDx8 wet;
        ASSERT_TRUE(wet.Load((Dir() / "burst.wav").string()));
        wet.Effects()->Add(guid);
        ASSERT_TRUE(wet.Effects()->Apply()) << guid;
        ASSERT_TRUE(wet.Play()) << guid;
        const auto heard = Render(*device, 0.4);
        ASSERT_EQ(heard.size(), plain.size());
        std::vector<float> difference(heard.size());
        for (std::size_t i = 0; i < heard.size(); ++i) difference[i] = heard[i] - plain[i];
        EXPECT_GT(Rms(heard, 0, 2 * 2205), 0.1f) << guid;  // the burst still sounds
        EXPECT_GT(Rms(difference), 0.005f) << guid;         // and the effect changes it
        wet.Stop_();
        Render(*device, 0.1);
    }
}

TEST_F(Effects8Sound, UnknownGuidFailsAndTheSoundStillPlays) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load((Dir() / "burst.wav").string()));
    sound.Effects()->Add(kEcho);
    sound.Effects()->Add("{12345678-1234-1234-1234-123456789ABC}");
    EXPECT_FALSE(sound.Effects()->Apply());
    ASSERT_TRUE(sound.Play());
    EXPECT_GT(Rms(Render(*device, 0.05)), 0.1f);
}

TEST_F(Effects8Sound, EveryStandardEffectIsAccepted) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load((Dir() / "burst.wav").string()));
    for (const char* guid : {platform::GUID_DSFX_STANDARD_CHORUS, platform::GUID_DSFX_STANDARD_COMPRESSOR,
                             platform::GUID_DSFX_STANDARD_DISTORTION, platform::GUID_DSFX_STANDARD_ECHO,
                             platform::GUID_DSFX_STANDARD_FLANGER, platform::GUID_DSFX_STANDARD_GARGLE,
                             platform::GUID_DSFX_STANDARD_I3DL2REVERB, platform::GUID_DSFX_STANDARD_PARAMEQ,
                             platform::GUID_DSFX_WAVES_REVERB}) {
        sound.Effects()->Clear();
        sound.Effects()->Add(guid);
        EXPECT_TRUE(sound.Effects()->Apply()) << guid;
    }
    sound.Effects()->Clear();
    EXPECT_TRUE(sound.Effects()->Apply());
    for (int i = 0; i < 5; ++i) sound.Effects()->Add(kEcho);  // more than the four sends
    EXPECT_FALSE(sound.Effects()->Apply());
}

}  // namespace
