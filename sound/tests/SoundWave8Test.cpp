#include "TestSupport.h"

#include "DirectSound.h"

#include <qxsound/SoundEngine8.h>
#include <qxsound/SoundWave8.h>
#include <qxsound/modGlobal.h>

#include <sndfile.h>

using namespace qxsound;
using qxtest::Render;
using qxtest::Rms;

namespace {

constexpr int32_t kRate = 44100;
constexpr float kTone = 0.5f / 1.41421356f;  // RMS of a sine of amplitude 0.5

class SoundWave8Test : public qxtest::SoundTest {
protected:
    void SetUp() override {
        UseLoopback(kRate);
        engine = std::make_shared<SoundEngine8>();
        device = qxtest::OutputDevice();
    }
    std::string Wave(const std::string& name, double seconds, int32_t channels = 1,
                     int32_t subformat = SF_FORMAT_PCM_16) {
        const auto path = Dir() / name;
        qxtest::WriteWav(path, qxtest::Sine(seconds, 440.0, kRate, channels), channels, kRate, subformat);
        return path.string();
    }

    std::shared_ptr<SoundEngine8> engine;
    std::shared_ptr<platform::OpenALDevice> device;
};

TEST_F(SoundWave8Test, NewSoundIsUndefinedAndNeedsABuffer) {
    SoundWave8 sound;
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_UNDEFINED);
    EXPECT_FALSE(sound.Loop_());
    EXPECT_THROW(sound.Play(), Error);
    EXPECT_THROW(sound.Volume(), Error);
    EXPECT_FALSE(sound.SaveToFile((Dir() / "x.wav").string()));
    EXPECT_TRUE(sound.Pause());  // nothing to pause
}

TEST_F(SoundWave8Test, PlaysAtFullLevelAndEndsWhenNotLooping) {
    SoundWave8 sound;
    ASSERT_TRUE(sound.Load(Wave("tone.wav", 0.2)));
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_UNDEFINED);  // Load does not leave it
    ASSERT_TRUE(sound.Play());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PLAYING);
    const auto out = Render(*device, 0.1);
    EXPECT_NEAR(Rms(out), kTone, 0.01f);  // mono data on both channels, no panning loss
    Render(*device, 0.2);
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);
    EXPECT_FALSE(sound.Stop_());
    EXPECT_TRUE(sound.Pause());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);
}

TEST_F(SoundWave8Test, LoopingKeepsSoundingFromTheSamePosition) {
    SoundWave8 sound;
    ASSERT_TRUE(sound.Load(Wave("tone.wav", 0.1)));
    sound.Play();
    Render(*device, 0.05);
    const int32_t before = sound.PlayPosition();
    EXPECT_GT(before, 0);
    sound.Loop_(true);
    EXPECT_GE(sound.PlayPosition(), before);  // the replay keeps the position
    const auto later = Render(*device, 0.5);
    EXPECT_NEAR(Rms(later, later.size() - 2 * 4410), kTone, 0.01f);
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PLAYING);
    sound.Loop_(false);
    Render(*device, 0.15);
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);
}

TEST_F(SoundWave8Test, SettingTheSameLoopValueDoesNotReplay) {
    auto recorder = UseRecordingPlatform();
    qxsound::EndLibraryContext();
    auto fakeEngine = std::make_shared<SoundEngine8>();
    SoundWave8 sound;
    ASSERT_TRUE(sound.Load("any.wav"));
    sound.Play();
    sound.Loop_(true);
    sound.Loop_(true);
    sound.Loop_(false);
    EXPECT_EQ(recorder->Matching("Play("), (std::vector<std::string>{"Play(0)", "Play(1)", "Play(0)"}));
}

TEST_F(SoundWave8Test, PauseResumesAndStopRewinds) {
    SoundWave8 sound;
    ASSERT_TRUE(sound.Load(Wave("tone.wav", 1.0)));
    sound.Play();
    Render(*device, 0.2);
    ASSERT_TRUE(sound.Pause());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PAUSED);
    const int32_t paused = sound.PlayPosition();
    EXPECT_NEAR(paused, 2 * kRate / 5, 2 * 1024);  // bytes of 16-bit mono
    EXPECT_LT(qxtest::Peak(Render(*device, 0.1)), 1e-6f);
    sound.Play();
    Render(*device, 0.1);
    EXPECT_GT(sound.PlayPosition(), paused);
    ASSERT_TRUE(sound.Stop_());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_STOPPED);
    EXPECT_EQ(sound.PlayPosition(), 0);
    sound.Play();
    Render(*device, 0.05);
    EXPECT_LT(sound.PlayPosition(), paused);
}

TEST_F(SoundWave8Test, StopBeforeAnyPlayKeepsItUndefined) {
    SoundWave8 sound;
    ASSERT_TRUE(sound.Load(Wave("tone.wav", 0.1)));
    EXPECT_TRUE(sound.Stop_());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_UNDEFINED);
}

TEST_F(SoundWave8Test, FocusFlagsAreFixedWhenTheBufferIsMade) {
    SoundWave8 global, normal, sticky;
    engine->Focus(QX_FOCUS_GLOBAL);
    ASSERT_TRUE(global.Load(Wave("a.wav", 0.05)));
    engine->Focus(QX_FOCUS_NORMAL);
    ASSERT_TRUE(normal.Load(Wave("b.wav", 0.05)));
    engine->Focus(QX_FOCUS_STICKY);
    ASSERT_TRUE(sticky.Load(Wave("c.wav", 0.05)));
    engine->Focus(QX_FOCUS_NORMAL);
    EXPECT_EQ(global.DirectSoundSecondaryBuffer()->GetCaps().lFlags, 0xE0 | platform::DSBCAPS_GLOBALFOCUS);
    EXPECT_EQ(normal.DirectSoundSecondaryBuffer()->GetCaps().lFlags, 0xE0);
    EXPECT_EQ(sticky.DirectSoundSecondaryBuffer()->GetCaps().lFlags, 0xE0 | platform::DSBCAPS_STICKYFOCUS);
}

TEST_F(SoundWave8Test, VolumeSilencesAndOutOfRangeValuesFailWithThePlatformsError) {
    SoundWave8 sound;
    ASSERT_TRUE(sound.Load(Wave("tone.wav", 1.0)));
    sound.Loop_(true);
    sound.Play();
    sound.Volume(-10000);
    EXPECT_EQ(sound.Volume(), -10000);
    EXPECT_LT(qxtest::Peak(Render(*device, 0.1)), 1e-6f);
    sound.Volume(-600);  // -6 dB: half the amplitude
    EXPECT_NEAR(Rms(Render(*device, 0.1)), kTone * 0.501f, 0.01f);
    for (int32_t bad : {1, -10001}) {
        try {
            sound.Volume(bad);
            ADD_FAILURE() << bad << " was accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.Code(), DSERR_INVALIDPARAM);
        }
    }
    EXPECT_EQ(sound.Volume(), -600);
    EXPECT_THROW(sound.Pan(10001), Error);
    EXPECT_THROW(sound.Frequency(50), Error);
    EXPECT_THROW(sound.PlayPosition(-1), Error);
    EXPECT_THROW(sound.PlayPosition(2 * kRate), Error);  // one byte past the end
}

TEST_F(SoundWave8Test, PanAttenuatesTheOppositeChannelAndFrequencyPassesThrough) {
    SoundWave8 sound;
    ASSERT_TRUE(sound.Load(Wave("tone.wav", 1.0)));
    sound.Loop_(true);
    sound.Play();
    sound.Pan(2000);  // right: the left channel 20 dB down
    EXPECT_EQ(sound.Pan(), 2000);
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PLAYING);
    const auto out = Render(*device, 0.1);
    std::vector<float> left, right;
    for (std::size_t i = 0; i < out.size(); i += 2) {
        left.push_back(out[i]);
        right.push_back(out[i + 1]);
    }
    EXPECT_NEAR(Rms(right), kTone, 0.01f);
    EXPECT_NEAR(Rms(left), kTone * 0.1f, 0.005f);
    EXPECT_EQ(sound.Frequency(), kRate);
    sound.Frequency(22050);
    EXPECT_EQ(sound.Frequency(), 22050);
    sound.Frequency(0);
    EXPECT_EQ(sound.Frequency(), kRate);
}

TEST_F(SoundWave8Test, BadFilesFailToLoadAndKeepTheEarlierBuffer) {
    SoundWave8 sound;
    ASSERT_TRUE(sound.Load(Wave("good.wav", 0.1)));
    const auto buffer = sound.DirectSoundSecondaryBuffer();
    qxtest::WriteBytes(Dir() / "text.wav", {'h', 'e', 'l', 'l', 'o'});
    qxtest::WriteBytes(Dir() / "empty.wav", {});
    std::vector<uint8_t> truncated = {'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    qxtest::WriteBytes(Dir() / "truncated.wav", truncated);
    for (const char* name : {"missing.wav", "text.wav", "empty.wav", "truncated.wav"}) {
        EXPECT_FALSE(sound.Load((Dir() / name).string())) << name;
        EXPECT_EQ(sound.DirectSoundSecondaryBuffer(), buffer) << name;
    }
    EXPECT_FALSE(sound.Load(Dir().string()));  // a directory
}

TEST_F(SoundWave8Test, SaveToFileWritesTheSameSamples) {
    for (int32_t channels : {1, 2}) {
        SoundWave8 sound;
        ASSERT_TRUE(sound.Load(Wave("in.wav", 0.05, channels)));
        const auto out = Dir() / "out.wav";
        ASSERT_TRUE(sound.SaveToFile(out.string()));
        SF_INFO a{}, b{};
        SNDFILE* fa = sf_open((Dir() / "in.wav").c_str(), SFM_READ, &a);
        SNDFILE* fb = sf_open(out.c_str(), SFM_READ, &b);
        ASSERT_TRUE(fa && fb);
        EXPECT_EQ(a.frames, b.frames);
        EXPECT_EQ(a.channels, b.channels);
        EXPECT_EQ(a.samplerate, b.samplerate);
        EXPECT_EQ(a.format, b.format);
        std::vector<short> sa(static_cast<std::size_t>(a.frames * a.channels)), sb(sa.size());
        sf_readf_short(fa, sa.data(), a.frames);
        sf_readf_short(fb, sb.data(), b.frames);
        EXPECT_EQ(sa, sb);
        sf_close(fa);
        sf_close(fb);
        SoundWave8 again;
        EXPECT_TRUE(again.Load(out.string()));
    }
    EXPECT_FALSE(SoundWave8().SaveToFile("/nonexistent/dir/x.wav"));
}

TEST_F(SoundWave8Test, FloatAndStereoFilesPlay) {
    SoundWave8 sound;
    ASSERT_TRUE(sound.Load(Wave("float.wav", 0.2, 2, SF_FORMAT_FLOAT)));
    sound.Play();
    EXPECT_NEAR(Rms(Render(*device, 0.1)), kTone, 0.01f);
    EXPECT_EQ(sound.PlayPosition() % 8, 0);  // frames of two 32-bit samples
}

TEST_F(SoundWave8Test, DestroyingAPlayingSoundStopsIt) {
    {
        SoundWave8 sound;
        ASSERT_TRUE(sound.Load(Wave("tone.wav", 1.0)));
        sound.Play();
        EXPECT_GT(Rms(Render(*device, 0.05)), 0.1f);
    }
    EXPECT_LT(qxtest::Peak(Render(*device, 0.05)), 1e-6f);
}

TEST_F(SoundWave8Test, HostBufferReplacesTheSoundsBuffer) {
    SoundWave8 a, b;
    ASSERT_TRUE(a.Load(Wave("tone.wav", 1.0)));
    b.DirectSoundSecondaryBuffer(a.DirectSoundSecondaryBuffer());
    b.Play();
    EXPECT_EQ(b.PlayState(), QX_PLAYSTATE_PLAYING);
    EXPECT_EQ(a.PlayState(), QX_PLAYSTATE_UNDEFINED);  // flags are per sound
    EXPECT_GT(Rms(Render(*device, 0.05)), 0.1f);
}

TEST_F(SoundWave8Test, LoadWithoutAnEngineFails) {
    qxsound::EndLibraryContext();
    SoundWave8 sound;
    EXPECT_FALSE(sound.Load(Wave("tone.wav", 0.1)));
}

}  // namespace
