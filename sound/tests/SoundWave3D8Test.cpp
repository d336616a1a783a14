#include "TestSupport.h"

#include "DirectSound.h"

#include <qxsound/Listener8.h>
#include <qxsound/SoundEngine8.h>
#include <qxsound/SoundWave3D8.h>
#include <qxsound/modGlobal.h>

#include <sndfile.h>

#include <cmath>

using namespace qxsound;
using qxcommon::Vector3;
using qxtest::Render;
using qxtest::Rms;

namespace {

constexpr int32_t kRate = 44100;
constexpr float kSilence = 1e-6f;

// The two channels of a stereo rendering apart.
struct Channels {
    std::vector<float> left, right;
};
Channels Split(const std::vector<float>& stereo) {
    Channels c;
    for (std::size_t i = 0; i + 1 < stereo.size(); i += 2) {
        c.left.push_back(stereo[i]);
        c.right.push_back(stereo[i + 1]);
    }
    return c;
}

// Upward zero crossings per second of one channel: the frequency of a pure tone.
double Frequency(const std::vector<float>& mono, int32_t rate) {
    int crossings = 0;
    for (std::size_t i = 1; i < mono.size(); ++i)
        if (mono[i - 1] < 0.0f && mono[i] >= 0.0f) ++crossings;
    return crossings * static_cast<double>(rate) / static_cast<double>(mono.size());
}

class SoundWave3D8Test : public qxtest::SoundTest {
protected:
    void SetUp() override {
        UseLoopback(kRate);
        engine = std::make_shared<SoundEngine8>();
        device = qxtest::OutputDevice();
        listener.SoundBuffer3DListener(GetDirectSound3DListener());
    }
    std::string Wave(const std::string& name, double seconds, int32_t channels = 1, double hz = 440.0) {
        const auto path = Dir() / name;
        qxtest::WriteWav(path, qxtest::Sine(seconds, hz, kRate, channels), channels, kRate, SF_FORMAT_PCM_16);
        return path.string();
    }
    // What is heard once a change has settled: OpenAL Soft fades a gain change in over its next
    // update (about 10 ms).
    std::vector<float> Settled(double seconds) {
        Render(*device, 0.02);
        return Render(*device, seconds);
    }
    // A looping mono tone playing at `position`.
    void PlayAt(SoundWave3D8& sound, const Vector3& position) {
        ASSERT_TRUE(sound.Load(Wave("tone.wav", 1.0)));
        sound.Position(position);
        sound.Loop_(true);
        ASSERT_TRUE(sound.Play());
    }

    std::shared_ptr<SoundEngine8> engine;
    std::shared_ptr<platform::OpenALDevice> device;
    Listener8 listener;
};

TEST_F(SoundWave3D8Test, MonoFilesLoadStereoFilesDoNot) {
    SoundWave3D8 sound;
    EXPECT_EQ(sound.Type_(), QX_SOUNDTYPE_WAVE3D);
    EXPECT_EQ(sound.Key(), "");
    EXPECT_EQ(sound.DirectSound3DBuffer(), nullptr);
    EXPECT_FALSE(sound.Load(Wave("stereo.wav", 0.1, 2)));
    EXPECT_EQ(sound.DirectSound3DBuffer(), nullptr);
    ASSERT_TRUE(sound.Load(Wave("mono.wav", 0.1)));
    const auto buffer3D = sound.DirectSound3DBuffer();
    ASSERT_NE(buffer3D, nullptr);
    EXPECT_EQ(sound.DirectSoundSecondaryBuffer()->GetCaps().lFlags, 0x200B0);
    // A later failure keeps both buffers.
    EXPECT_FALSE(sound.Load(Wave("stereo.wav", 0.1, 2)));
    EXPECT_FALSE(sound.Load((Dir() / "missing.wav").string()));
    EXPECT_EQ(sound.DirectSound3DBuffer(), buffer3D);
    EXPECT_EQ(sound.DirectSoundSecondaryBuffer(), buffer3D->GetDirectSoundBuffer());
}

TEST_F(SoundWave3D8Test, FocusFlagJoinsTheThreeDimensionalFlags) {
    SoundWave3D8 sound;
    engine->Focus(QX_FOCUS_STICKY);
    ASSERT_TRUE(sound.Load(Wave("mono.wav", 0.1)));
    EXPECT_EQ(sound.DirectSoundSecondaryBuffer()->GetCaps().lFlags, 0x200B0 | platform::DSBCAPS_STICKYFOCUS);
}

TEST_F(SoundWave3D8Test, ThreeDimensionalMembersFailBeforeALoad) {
    SoundWave3D8 sound;
    EXPECT_THROW(sound.Position(), Error);
    EXPECT_THROW(sound.Position({1, 2, 3}), Error);
    EXPECT_THROW(sound.InsideConeAngle(90), Error);
    EXPECT_THROW(sound.MaxDistance(), Error);
    EXPECT_THROW(sound.DirectSoundSecondaryBuffer(), Error);
    // The members of the inner wave fail as a wave without a buffer does.
    EXPECT_THROW(sound.Play(), Error);
    EXPECT_TRUE(sound.Pause());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_UNDEFINED);
}

TEST_F(SoundWave3D8Test, ConeAnglesAreAPairSetOneAtATime) {
    SoundWave3D8 sound;
    ASSERT_TRUE(sound.Load(Wave("mono.wav", 0.1)));
    EXPECT_EQ(sound.InsideConeAngle(), 360);
    EXPECT_EQ(sound.OutsideConeAngle(), 360);
    sound.InsideConeAngle(40);
    EXPECT_EQ(sound.InsideConeAngle(), 40);
    EXPECT_EQ(sound.OutsideConeAngle(), 360);
    sound.OutsideConeAngle(120);
    EXPECT_EQ(sound.InsideConeAngle(), 40);
    EXPECT_EQ(sound.OutsideConeAngle(), 120);
    try {
        sound.OutsideConeAngle(361);
        ADD_FAILURE() << "361 degrees were accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), DSERR_INVALIDPARAM);
    }
    EXPECT_EQ(sound.OutsideConeAngle(), 120);
}

TEST_F(SoundWave3D8Test, PropertiesReadBackAsSetAndReadingChangesNothing) {
    SoundWave3D8 sound;
    ASSERT_TRUE(sound.Load(Wave("mono.wav", 0.1)));
    EXPECT_EQ(sound.MaxDistance(), 1e9f);
    EXPECT_EQ(sound.MinDistance(), 1.0f);
    EXPECT_EQ(sound.Mode(), platform::DS3DMODE_NORMAL);
    EXPECT_EQ(sound.ConeOrientation(), (Vector3{0, 0, 1}));
    sound.MaxDistance(250.5f);
    sound.MinDistance(2.0f);
    sound.Mode(platform::DS3DMODE_HEADRELATIVE);
    sound.Position({1.5f, -2.0f, 30.0f});
    sound.Velocity({0.0f, 0.0f, -3.0f});
    sound.ConeOrientation({0.0f, 1.0f, 0.0f});
    sound.ConeOutsideVolume(-2500);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(sound.MinDistance(), 2.0f);
        EXPECT_EQ(sound.Mode(), platform::DS3DMODE_HEADRELATIVE);
        EXPECT_EQ(sound.MaxDistance(), 250.5f);
        EXPECT_EQ(sound.Position(), (Vector3{1.5f, -2.0f, 30.0f}));
        EXPECT_EQ(sound.Velocity(), (Vector3{0.0f, 0.0f, -3.0f}));
        EXPECT_EQ(sound.ConeOrientation(), (Vector3{0.0f, 1.0f, 0.0f}));
        EXPECT_EQ(sound.ConeOutsideVolume(), -2500);
    }
    EXPECT_THROW(sound.Mode(3), Error);
    EXPECT_THROW(sound.MinDistance(0.0f), Error);
    EXPECT_THROW(sound.MaxDistance(NAN), Error);
    EXPECT_THROW(sound.Position({INFINITY, 0, 0}), Error);
    EXPECT_THROW(sound.ConeOutsideVolume(1), Error);
    EXPECT_EQ(sound.Position(), (Vector3{1.5f, -2.0f, 30.0f}));
}

TEST_F(SoundWave3D8Test, BeyondItsMaxDistanceASoundIsSilentUntilTheListenerComesCloser) {
    SoundWave3D8 sound;
    PlayAt(sound, {0.0f, 0.0f, 20.0f});
    sound.MaxDistance(10.0f);
    EXPECT_LT(qxtest::Peak(Settled(0.1)), kSilence);
    listener.Position({0.0f, 0.0f, 15.0f});  // 5 units away: a fifth of the level at 1
    EXPECT_GT(Rms(Settled(0.1)), 0.03f);
    listener.Position({0.0f, 0.0f, -1.0f});
    EXPECT_LT(qxtest::Peak(Settled(0.1)), kSilence);
    sound.MaxDistance(30.0f);
    EXPECT_GT(Rms(Settled(0.1)), 0.01f);
    // Without 3D processing the sound plays at the listener, however far it was placed.
    sound.MaxDistance(10.0f);
    sound.Mode(platform::DS3DMODE_DISABLE);
    EXPECT_GT(Rms(Settled(0.1)), 0.2f);
}

TEST_F(SoundWave3D8Test, InFrontOfANarrowConeIsLouderThanBehindIt) {
    SoundWave3D8 sound;
    PlayAt(sound, {0.0f, 0.0f, 2.0f});  // ahead of the listener, who faces +z
    sound.InsideConeAngle(30);
    sound.OutsideConeAngle(60);
    sound.ConeOutsideVolume(-3000);  // 30 dB down outside
    sound.ConeOrientation({0.0f, 0.0f, -1.0f});  // towards the listener
    const float facing = Rms(Settled(0.1));
    sound.ConeOrientation({0.0f, 0.0f, 1.0f});  // away
    const float behind = Rms(Settled(0.1));
    EXPECT_GT(facing, 0.05f);
    EXPECT_NEAR(behind / facing, 0.0316f, 0.01f);
}

TEST_F(SoundWave3D8Test, LevelFallsWithDistanceByTheListenersRolloff) {
    SoundWave3D8 sound;
    PlayAt(sound, {0.0f, 0.0f, 1.0f});
    const float near = Rms(Settled(0.1));
    sound.Position({0.0f, 0.0f, 4.0f});
    const float far = Rms(Settled(0.1));
    EXPECT_NEAR(far / near, 0.25f, 0.02f);  // min distance 1: gain 1 / distance
    listener.RolloffFactor(0.0f);
    EXPECT_NEAR(Rms(Settled(0.1)) / near, 1.0f, 0.02f);
    // Head-relative: the position is taken from the listener wherever it stands.
    listener.RolloffFactor(1.0f);
    listener.Position({100.0f, 0.0f, 100.0f});
    sound.Mode(platform::DS3DMODE_HEADRELATIVE);
    sound.Position({0.0f, 0.0f, 1.0f});
    EXPECT_NEAR(Rms(Settled(0.1)) / near, 1.0f, 0.02f);
}

TEST_F(SoundWave3D8Test, RightIsRightForTheWayTheListenerFaces) {
    SoundWave3D8 sound;
    PlayAt(sound, {5.0f, 0.0f, 0.0f});
    auto heard = Split(Render(*device, 0.1));
    EXPECT_GT(Rms(heard.right), 2.0f * Rms(heard.left));
    listener.SetOrientation(0, 0, -1, 0, 1, 0);  // turned round: +x is now on the left
    heard = Split(Settled(0.1));
    EXPECT_GT(Rms(heard.left), 2.0f * Rms(heard.right));
    Vector3 front{9, 9, 9}, top{9, 9, 9};
    listener.GetOrientation(front, top);
    EXPECT_EQ(front, (Vector3{0, 0, -1}));
    EXPECT_EQ(top, (Vector3{0, 1, 0}));
}

TEST_F(SoundWave3D8Test, ApproachingSoundsRiseInPitchWithTheDopplerFactor) {
    SoundWave3D8 sound;
    ASSERT_TRUE(sound.Load(Wave("tone.wav", 1.0, 1, 1000.0)));
    sound.Position({0.0f, 0.0f, 10.0f});
    sound.Velocity({0.0f, 0.0f, -34.33f});  // towards the listener at a tenth of the speed of sound
    sound.Loop_(true);
    sound.Play();
    const double moving = Frequency(Split(Render(*device, 0.5)).left, kRate);
    EXPECT_NEAR(moving, 1000.0 / 0.9, 10.0);
    listener.DopplerFactor(0.0f);
    EXPECT_NEAR(Frequency(Split(Render(*device, 0.5)).left, kRate), 1000.0, 10.0);
    // Ten metres a unit: the same velocity is ten times faster.
    listener.DopplerFactor(1.0f);
    listener.DistanceFactor(0.1f);
    sound.Velocity({0.0f, 0.0f, -343.3f});
    EXPECT_NEAR(Frequency(Split(Render(*device, 0.5)).left, kRate), 1000.0 / 0.9, 10.0);
}

TEST_F(SoundWave3D8Test, PlaybackMembersAreTheInnerWaves) {
    SoundWave3D8 sound;
    ASSERT_TRUE(sound.Load(Wave("tone.wav", 0.2)));
    sound.Position({0.0f, 0.0f, 1.0f});
    EXPECT_EQ(sound.Frequency(), kRate);
    sound.Volume(-600);
    EXPECT_EQ(sound.Volume(), -600);
    ASSERT_TRUE(sound.Play());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PLAYING);
    Render(*device, 0.1);
    ASSERT_TRUE(sound.Pause());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PAUSED);
    EXPECT_GT(sound.PlayPosition(), 0);
    ASSERT_TRUE(sound.Stop_());
    EXPECT_EQ(sound.PlayPosition(), 0);
    sound.Play();
    Render(*device, 0.3);
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);
    EXPECT_FALSE(sound.Stop_());
    EXPECT_TRUE(sound.SaveToFile((Dir() / "saved.wav").string()));
}

TEST_F(SoundWave3D8Test, DestroyingAPlayingSoundStopsIt) {
    {
        SoundWave3D8 sound;
        PlayAt(sound, {0.0f, 0.0f, 1.0f});
        EXPECT_GT(Rms(Render(*device, 0.05)), 0.05f);
    }
    EXPECT_LT(qxtest::Peak(Render(*device, 0.05)), kSilence);
}

TEST_F(SoundWave3D8Test, LoadWithoutAnEngineFails) {
    qxsound::EndLibraryContext();
    SoundWave3D8 sound;
    EXPECT_FALSE(sound.Load(Wave("tone.wav", 0.1)));
}

class Listener8Test : public SoundWave3D8Test {};

TEST_F(Listener8Test, MembersFailUntilAPlatformListenerIsSet) {
    Listener8 bare;
    EXPECT_EQ(bare.SoundBuffer3DListener(), nullptr);
    EXPECT_THROW(bare.Position(), Error);
    EXPECT_THROW(bare.Position({1, 1, 1}), Error);
    EXPECT_THROW(bare.RolloffFactor(), Error);
    EXPECT_THROW(bare.SetOrientation(0, 0, 1, 0, 1, 0), Error);
    Vector3 front, top;
    EXPECT_THROW(bare.GetOrientation(front, top), Error);
}

TEST_F(Listener8Test, OneListenerPerDeviceSharedByItsWrappers) {
    EXPECT_EQ(GetDirectSound3DListener(), listener.SoundBuffer3DListener());
    Listener8 other;
    other.SoundBuffer3DListener(GetDirectSound3DListener());
    listener.Position({1.0f, 2.0f, 3.0f});
    listener.Velocity({0.0f, 0.0f, 5.0f});
    listener.DistanceFactor(0.5f);
    listener.DopplerFactor(2.0f);
    listener.RolloffFactor(3.0f);
    EXPECT_EQ(other.Position(), (Vector3{1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(other.Velocity(), (Vector3{0.0f, 0.0f, 5.0f}));
    EXPECT_EQ(other.DistanceFactor(), 0.5f);
    EXPECT_EQ(other.DopplerFactor(), 2.0f);
    EXPECT_EQ(other.RolloffFactor(), 3.0f);
    Vector3 front, top;
    other.GetOrientation(front, top);
    EXPECT_EQ(front, (Vector3{0, 0, 1}));
    EXPECT_EQ(top, (Vector3{0, 1, 0}));
}

TEST_F(Listener8Test, OutOfRangeValuesFailAndChangeNothing) {
    for (float bad : {-0.1f, 10.5f, NAN}) {
        EXPECT_THROW(listener.DopplerFactor(bad), Error) << bad;
        EXPECT_THROW(listener.RolloffFactor(bad), Error) << bad;
    }
    EXPECT_THROW(listener.DistanceFactor(0.0f), Error);
    EXPECT_THROW(listener.SetOrientation(0, 0, 0, 0, 1, 0), Error);  // no front
    EXPECT_THROW(listener.SetOrientation(0, 2, 0, 0, 1, 0), Error);  // parallel
    EXPECT_THROW(listener.Velocity({0, NAN, 0}), Error);
    EXPECT_EQ(listener.DopplerFactor(), 1.0f);
    EXPECT_EQ(listener.RolloffFactor(), 1.0f);
    EXPECT_EQ(listener.DistanceFactor(), 1.0f);
    Vector3 front, top;
    listener.GetOrientation(front, top);
    EXPECT_EQ(front, (Vector3{0, 0, 1}));
}

TEST_F(Listener8Test, NoEngineNoListener) {
    qxsound::EndLibraryContext();
    EXPECT_THROW(GetDirectSound3DListener(), Error);
}

}  // namespace
