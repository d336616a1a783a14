#include "TestSupport.h"

#include "Loader.h"
#include "Mixer.h"
#include "Segment.h"

#include <qxsound/SoundDx8.h>
#include <qxsound/SoundEngine8.h>
#include <qxsound/modGlobal.h>

#include <sndfile.h>

#include <fstream>
#include <iterator>

using namespace qxsound;
using qxtest::Peak;
using qxtest::Render;
using qxtest::Rms;

namespace {

constexpr int32_t kRate = 44100;
constexpr float kTone = 0.25f / 1.41421356f;  // RMS of the test tone (amplitude 0.25)

class SoundDx8Test : public qxtest::SoundTest {
protected:
    void SetUp() override {
        UseLoopback(kRate);
        engine = std::make_shared<SoundEngine8>();
        device = qxtest::PerformanceDevice();
        ASSERT_TRUE(device);
    }
    std::string Wave(const std::string& name, double seconds) {
        const auto path = Dir() / name;
        qxtest::WriteWav(path, qxtest::Sine(seconds, 440.0, kRate, 1, 0.25f), 1, kRate, SF_FORMAT_PCM_16);
        return path.string();
    }
    std::string Midi(const std::string& name, int32_t beats) {
        const auto path = Dir() / name;
        qxtest::WriteBytes(path, qxtest::MidiBytes(beats));
        return path.string();
    }

    std::shared_ptr<SoundEngine8> engine;
    std::shared_ptr<platform::OpenALDevice> device;
};

TEST_F(SoundDx8Test, CreationWithoutAnEngineFails) {
    EndLibraryContext();
    try {
        SoundDx8 sound;
        FAIL() << "a SoundDx8 was created without an engine";
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), DSERR_UNINITIALIZED);
    }
}

TEST_F(SoundDx8Test, PlayBeforeLoadReturnsFalseAndPropertiesRaise) {
    SoundDx8 sound;
    EXPECT_FALSE(sound.Play());
    EXPECT_TRUE(sound.Stop_());
    EXPECT_TRUE(sound.Pause());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_UNDEFINED);
    EXPECT_THROW(sound.Length(), Error);
    EXPECT_THROW(sound.Name(), Error);
    EXPECT_THROW(sound.RepeatsOfLoopingPortion(), Error);
}

TEST_F(SoundDx8Test, LoopingWaveKeepsSoundingUntilStopped) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(Wave("shot.wav", 0.1)));
    EXPECT_EQ(sound.Length(), 153);  // 0.1 s at 1536 ticks a second
    EXPECT_EQ(sound.Name(), "shot.wav");
    sound.RepeatsOfLoopingPortion(-1);
    ASSERT_TRUE(sound.Play());
    const auto out = Render(*device, 0.5);
    EXPECT_NEAR(Rms(out, out.size() - 2 * 4410), kTone, 0.01f);  // the last 0.1 s, well past the length
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PLAYING);
    ASSERT_TRUE(sound.Stop_());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_STOPPED);
    const auto after = Render(*device, 0.1);
    EXPECT_LT(Peak(after, 2 * 2048), 1e-6f);  // once the queued few milliseconds are out
}

TEST_F(SoundDx8Test, OncePlayedSoundEndsAndStaysEnded) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(Wave("shot.wav", 0.1)));
    ASSERT_TRUE(sound.Play());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PLAYING);
    const auto out = Render(*device, 0.3);
    EXPECT_NEAR(Rms(out, 0, 2 * 4000), kTone, 0.01f);
    EXPECT_LT(Peak(out, 2 * 5000), 1e-6f);
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);
    EXPECT_TRUE(sound.Pause());
    EXPECT_TRUE(sound.Stop_());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);
    ASSERT_TRUE(sound.Play());  // plays again from the start
    EXPECT_GT(Rms(Render(*device, 0.05)), 0.1f);
}

TEST_F(SoundDx8Test, EndsWhenItsLastSampleHasBeenHeard) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(Wave("shot.wav", 0.1)));
    ASSERT_TRUE(sound.Play());
    // In 5 ms steps: the tone sounds in every step until the sound reports its end, none after.
    std::vector<float> heard;
    for (int step = 0; step < 100 && sound.PlayState() == QX_PLAYSTATE_PLAYING; ++step) {
        const auto out = Render(*device, 0.005);
        heard.insert(heard.end(), out.begin(), out.end());
    }
    ASSERT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);
    EXPECT_GE(heard.size(), 2u * 4410);  // all 0.1 s of it
    EXPECT_LT(Peak(Render(*device, 0.05)), 1e-6f);
}

TEST_F(SoundDx8Test, TwoSoundsFromOneFileSoundTogether) {
    const std::string file = Wave("boom.wav", 0.5);
    SoundDx8 a, b;
    ASSERT_TRUE(a.Load(file));
    ASSERT_TRUE(b.Load(file));
    a.Play();
    const float one = Rms(Render(*device, 0.05));
    b.Play();
    // Same tone, offset by what has been rendered: still both audible in the sum.
    const auto both = Render(*device, 0.1);
    EXPECT_GT(Rms(both), one * 1.05f);
    EXPECT_EQ(a.PlayState(), QX_PLAYSTATE_PLAYING);
    EXPECT_EQ(b.PlayState(), QX_PLAYSTATE_PLAYING);
    a.Stop_();
    EXPECT_EQ(b.PlayState(), QX_PLAYSTATE_PLAYING);
    // What the stopped sound had already queued (up to a full stream queue) plays out first.
    Render(*device, device->GetMixer().Timing().ahead + 0.01);
    EXPECT_NEAR(Rms(Render(*device, 0.05)), one, 0.01f);
}

TEST_F(SoundDx8Test, StopAndPauseAreHeardAtOnce) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(Wave("tone.wav", 2.0)));
    sound.Play();
    Render(*device, 0.1);
    ASSERT_TRUE(sound.Stop_());
    EXPECT_LT(Peak(Render(*device, 0.05)), 1e-6f);  // not a queue's worth later
    sound.Play();
    Render(*device, 0.1);
    ASSERT_TRUE(sound.Pause());
    EXPECT_LT(Peak(Render(*device, 0.05)), 1e-6f);
}

TEST_F(SoundDx8Test, ASecondSoundOnABusyPathIsHeardAtOnce) {
    const auto high = Dir() / "high.wav";
    qxtest::WriteWav(high, qxtest::Sine(1.0, 660.0, kRate, 1, 0.25f), 1, kRate, SF_FORMAT_PCM_16);
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(Wave("low.wav", 1.0)));
    sound.Play();
    Render(*device, 0.1);
    ASSERT_TRUE(sound.Load(high.string()));
    sound.Play();  // the same path, the same (mono) stream
    // Both tones from the first 10 ms on: two unrelated tones of one level add up to 3 dB more.
    EXPECT_NEAR(Rms(Render(*device, 0.01)), kTone * std::sqrt(2.0f), 0.01f);
    // The first went on where it was: it ends 1 s after it started, not a queue later.
    sound.Stop_();
    Render(*device, 0.85);
    EXPECT_GT(Rms(Render(*device, 0.04)), 0.1f);
    EXPECT_LT(Peak(Render(*device, 0.05)), 1e-6f);
}

TEST_F(SoundDx8Test, InPhaseSoundsAddUp) {
    const std::string file = Wave("boom.wav", 0.5);
    SoundDx8 a, b;
    ASSERT_TRUE(a.Load(file));
    ASSERT_TRUE(b.Load(file));
    a.Play();
    b.Play();
    EXPECT_NEAR(Rms(Render(*device, 0.1)), 2 * kTone, 0.02f);
}

TEST_F(SoundDx8Test, VolumeOnThePathBuffer) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(Wave("tone.wav", 1.0)));
    EXPECT_EQ(sound.Volume(), 0);
    sound.Volume(-10000);
    EXPECT_EQ(sound.Volume(), -10000);
    sound.Play();
    EXPECT_LT(Peak(Render(*device, 0.1)), 1e-6f);
    sound.Volume(-600);
    EXPECT_NEAR(Rms(Render(*device, 0.1)), kTone * 0.501f, 0.01f);
    EXPECT_THROW(sound.Volume(100), Error);
}

TEST_F(SoundDx8Test, MidiFileSoundsAndEnds) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(Midi("tune.MID", 1)));
    EXPECT_EQ(sound.Length(), 768);
    EXPECT_EQ(sound.RepeatsOfLoopingPortion(), 0);
    EXPECT_EQ(sound.Name(), "tune.MID");
    ASSERT_TRUE(sound.Play());
    const auto out = Render(*device, 0.4);
    EXPECT_GT(Rms(out), 0.005f);
    Render(*device, 0.3);  // one beat at 120 bpm is 0.5 s
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);
}

TEST_F(SoundDx8Test, LoopingMidiGoesOnPastItsLength) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(Midi("loop.mid", 1)));
    sound.RepeatsOfLoopingPortion(-1);
    sound.Play();
    const auto out = Render(*device, 1.6);
    EXPECT_GT(Rms(out, out.size() - 2 * 8000), 0.005f);
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PLAYING);
}

TEST_F(SoundDx8Test, BadFilesFailToLoadAndKeepTheEarlierSegment) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(Wave("good.wav", 0.1)));
    auto midi = qxtest::MidiBytes(2);
    qxtest::WriteBytes(Dir() / "truncated.mid", std::vector<uint8_t>(midi.begin(), midi.end() - 5));
    auto badHeader = midi;
    badHeader[12] = 0x80;  // a SMPTE division
    qxtest::WriteBytes(Dir() / "smpte.mid", badHeader);
    qxtest::WriteBytes(Dir() / "text.wav", {'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't'});
    qxtest::WriteBytes(Dir() / "riff.sgt", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'D', 'M', 'S', 'G'});
    qxtest::WriteBytes(Dir() / "half.wav", {'R', 'I', 'F', 'F', 200, 0, 0, 0, 'W', 'A', 'V', 'E'});
    for (const char* name : {"missing.wav", "truncated.mid", "smpte.mid", "text.wav", "riff.sgt", "half.wav"}) {
        EXPECT_FALSE(sound.Load((Dir() / name).string())) << name;
        EXPECT_EQ(sound.Name(), "good.wav") << name;
    }
    EXPECT_TRUE(sound.Play());
}

TEST_F(SoundDx8Test, HostRepeatCountCarriesOverToLaterLoads) {
    SoundDx8 level;
    ASSERT_TRUE(level.Load(Midi("1.mid", 1)));
    level.RepeatsOfLoopingPortion(-1);
    ASSERT_TRUE(level.Load(Midi("2.mid", 1)));
    EXPECT_EQ(level.RepeatsOfLoopingPortion(), -1);
    level.Play();
    Render(*device, 1.2);
    EXPECT_EQ(level.PlayState(), QX_PLAYSTATE_PLAYING);

    // A sound whose count was never set keeps each file's own.
    const auto sgt = Dir() / "three.sgt";
    std::ifstream in(Wave("w.wav", 0.1), std::ios::binary);
    std::vector<uint8_t> wave{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    qxtest::WriteBytes(sgt, platform::MakeSegmentFile(153, 3, 0, 0, 0, "Three times", "wave", wave));
    SoundDx8 plain;
    ASSERT_TRUE(plain.Load(Wave("x.wav", 0.1)));
    ASSERT_TRUE(plain.Load(sgt.string()));
    EXPECT_EQ(plain.RepeatsOfLoopingPortion(), 3);
    EXPECT_EQ(plain.Name(), "Three times");
}

TEST_F(SoundDx8Test, RepeatCountSetBeforeAnyLoadIsKept) {
    SoundDx8 sound;
    sound.RepeatsOfLoopingPortion(-1);  // the game does this even when its file is missing
    EXPECT_EQ(sound.RepeatsOfLoopingPortion(), -1);
    ASSERT_TRUE(sound.Load(Wave("w.wav", 0.1)));
    EXPECT_EQ(sound.RepeatsOfLoopingPortion(), -1);
    EXPECT_THROW(sound.RepeatsOfLoopingPortion(-2), Error);
}

TEST_F(SoundDx8Test, SegmentFileHeaderGivesLoopPointsAndRepeats) {
    std::ifstream in(Wave("w.wav", 0.4), std::ios::binary);
    std::vector<uint8_t> wave{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto path = Dir() / "loop.sgt";
    // 0.4 s of tone; plays 0 .. 0.2 s, then loops 0.1 .. 0.2 s twice more, then ends at 0.3 s.
    qxtest::WriteBytes(path, platform::MakeSegmentFile(460, 2, 154, 307, 0, "", "wave", wave));
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(path.string()));
    EXPECT_EQ(sound.LoopPointStart(), 154);
    EXPECT_EQ(sound.LoopPointEnd(), 307);
    EXPECT_EQ(sound.RepeatsOfLoopingPortion(), 2);  // reading loop points leaves it alone
    EXPECT_EQ(sound.Name(), "loop.sgt");
    sound.Play();
    Render(*device, 0.45);
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PLAYING);  // 0.2 + 2 x 0.1 + 0.1 = 0.5 s
    Render(*device, 0.1);
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);

    const auto broken = Dir() / "broken.sgt";
    qxtest::WriteBytes(broken, platform::MakeSegmentFile(460, 2, 300, 100, 0, "", "wave", wave));
    EXPECT_FALSE(sound.Load(broken.string()));
    qxtest::WriteBytes(broken, platform::MakeSegmentFile(460, 0, 0, 0, 0, "", "text", wave));
    EXPECT_FALSE(sound.Load(broken.string()));
}

TEST_F(SoundDx8Test, PauseResumesWhereItStopped) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(Wave("long.wav", 0.5)));
    sound.Play();
    Render(*device, 0.3);
    ASSERT_TRUE(sound.Pause());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PAUSED);
    Render(*device, 0.05);
    EXPECT_LT(Peak(Render(*device, 0.1)), 1e-6f);
    ASSERT_TRUE(sound.Play());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PLAYING);
    // About 0.2 s were left, not the whole 0.5 s.
    Render(*device, 0.3);
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_ENDED);
}

TEST_F(SoundDx8Test, ReplayingEveryFrameIsBounded) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(Wave("hum.wav", 2.0)));
    for (int frame = 0; frame < 200; ++frame) {
        ASSERT_TRUE(sound.Play());
        Render(*device, 0.002);
    }
    // At most eight instances overlap: the sum stays within eight tones.
    EXPECT_LE(Peak(Render(*device, 0.1)), 8 * 0.25f + 0.01f);
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_PLAYING);
}

TEST_F(SoundDx8Test, MonoAndStereoContentShareThePathsVolume) {
    const auto stereo = Dir() / "stereo.wav";
    qxtest::WriteWav(stereo, qxtest::Sine(1.0, 440.0, kRate, 2, 0.25f), 2, kRate, SF_FORMAT_FLOAT);
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(Wave("mono.wav", 1.0)));
    sound.Play();
    ASSERT_TRUE(sound.Load(stereo.string()));
    sound.Play();  // the mono instance goes on beside it
    EXPECT_NEAR(Rms(Render(*device, 0.1)), 2 * kTone, 0.03f);
    sound.Volume(-10000);
    // OpenAL ramps a playing source's gain over its next few milliseconds.
    EXPECT_LT(Peak(Render(*device, 0.1), 2 * 441), 1e-6f);
    sound.Volume(0);
    sound.Stop_();  // stops the stereo segment, the one the sound holds now
    Render(*device, 0.05);
    EXPECT_NEAR(Rms(Render(*device, 0.1)), kTone, 0.02f);
}

TEST_F(SoundDx8Test, MasterVolumeScalesMusic) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load(Wave("tone.wav", 1.0)));
    engine->MasterVolume(-600.0f);
    sound.Play();
    EXPECT_NEAR(Rms(Render(*device, 0.1)), kTone * 0.501f, 0.01f);
}

// Exact call sequences, on a recording fake of the platform.
class SoundDx8Calls : public qxtest::SoundTest {
protected:
    void SetUp() override {
        recorder = UseRecordingPlatform();
        engine = std::make_shared<SoundEngine8>();
        recorder->log.clear();
    }
    std::shared_ptr<qxtest::Recorder> recorder;
    std::shared_ptr<SoundEngine8> engine;
};

TEST_F(SoundDx8Calls, CreationMakesAnActiveDynamic3DPath) {
    SoundDx8 sound;
    EXPECT_EQ(recorder->log, (std::vector<std::string>{"CreateStandardAudioPath(6,64,1)"}));
}

TEST_F(SoundDx8Calls, StopTwiceSendsOneStopEx) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load("boom.wav"));
    ASSERT_TRUE(sound.Play());
    EXPECT_TRUE(sound.Stop_());
    EXPECT_TRUE(sound.Stop_());
    EXPECT_EQ(recorder->Matching("StopEx"), (std::vector<std::string>{"StopEx(boom.wav,0,0)"}));
    EXPECT_EQ(recorder->Matching("PlaySegmentEx"), (std::vector<std::string>{"PlaySegmentEx(boom.wav,128,0,null,path)"}));
}

TEST_F(SoundDx8Calls, PauseTwiceStoresTheLaterTime) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load("boom.wav"));
    sound.Play();
    recorder->musicTime = 5000;
    sound.Pause();
    sound.Pause();
    recorder->log.clear();
    ASSERT_TRUE(sound.Play());
    EXPECT_EQ(recorder->log.front(), "SetStartPoint(5011)");
}

TEST_F(SoundDx8Calls, PlayAfterStopStartsAtZero) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load("boom.wav"));
    sound.Play();
    sound.Pause();
    sound.Stop_();
    recorder->log.clear();
    sound.Play();
    EXPECT_EQ(recorder->log.front(), "SetStartPoint(0)");
}

TEST_F(SoundDx8Calls, MidiExtensionsSetTheStandardMidiFlagWhateverTheirCase) {
    SoundDx8 sound;
    for (const char* name : {"a.MID", "b.midi", "c.Rmi", "d.wav", "e.sgt", "mid"}) ASSERT_TRUE(sound.Load(name));
    EXPECT_EQ(recorder->Matching("SetStandardMidiFile"),
              (std::vector<std::string>{"SetStandardMidiFile(a.MID)", "SetStandardMidiFile(b.midi)",
                                        "SetStandardMidiFile(c.Rmi)",
                                        // a title without a dot is its own extension
                                        "SetStandardMidiFile(mid)"}));
}

TEST_F(SoundDx8Calls, FailedPlayLeavesTheFlags) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load("boom.wav"));
    recorder->failing = {"PlaySegmentEx"};
    EXPECT_FALSE(sound.Play());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_UNDEFINED);
    recorder->failing = {"LoadSegment"};
    EXPECT_FALSE(sound.Load("other.wav"));
    EXPECT_EQ(sound.Name(), "boom.wav");
}

TEST_F(SoundDx8Calls, PropertiesPassThroughToTheSegment) {
    SoundDx8 sound;
    ASSERT_TRUE(sound.Load("boom.wav"));
    sound.Length(999);
    EXPECT_EQ(sound.Length(), 999);
    sound.RepeatsOfLoopingPortion(4);
    EXPECT_EQ(sound.LoopPointStart(), 10);
    EXPECT_EQ(sound.LoopPointEnd(), 20);
    EXPECT_EQ(sound.RepeatsOfLoopingPortion(), 4);
    sound.Volume(-300);
    EXPECT_EQ(recorder->CountOf("GetObjectInPath(-5,24576,0,GUID_ALL_OBJECTS,0,IID_IDirectSoundBuffer8)"), 1u);
    EXPECT_EQ(recorder->CountOf("SetVolume(-300)"), 1u);
}

}  // namespace

namespace {

// On the null backend the device consumes audio in real time: the mixer thread alone must feed it.
class SoundDx8RealTime : public qxtest::SoundTest {};

TEST_F(SoundDx8RealTime, MixerThreadPlaysSoundsToTheirEnd) {
    auto engine = std::make_shared<SoundEngine8>();
    const auto file = Dir() / "short.wav";
    qxtest::WriteWav(file, qxtest::Sine(0.1, 440.0, 44100, 1), 1, 44100, SF_FORMAT_PCM_16);
    SoundDx8 segment;
    ASSERT_TRUE(segment.Load(file.string()));
    ASSERT_TRUE(segment.Play());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (segment.PlayState() == QX_PLAYSTATE_PLAYING && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(segment.PlayState(), QX_PLAYSTATE_ENDED);

    segment.RepeatsOfLoopingPortion(-1);
    ASSERT_TRUE(segment.Play());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // three times its length
    EXPECT_EQ(segment.PlayState(), QX_PLAYSTATE_PLAYING);
    EXPECT_TRUE(segment.Stop_());
}

}  // namespace

namespace {

// Damaged files of every kind the loader reads: each load either succeeds or returns false, and
// the sanitizer build checks that none of them reads out of bounds.
class DamagedFiles : public SoundDx8Test {};

TEST_F(DamagedFiles, EveryTruncationOfAMidiFileIsRefused) {
    const auto midi = qxtest::MidiBytes(1);
    SoundDx8 sound;
    for (std::size_t n = 0; n < midi.size(); ++n) {
        qxtest::WriteBytes(Dir() / "cut.mid", std::vector<uint8_t>(midi.begin(), midi.begin() + static_cast<std::ptrdiff_t>(n)));
        EXPECT_FALSE(sound.Load((Dir() / "cut.mid").string())) << n << " bytes";
    }
}

TEST_F(DamagedFiles, FlippedBytesInSegmentFileHeadersNeverCrash) {
    std::ifstream in(Wave("w.wav", 0.05), std::ios::binary);
    const std::vector<uint8_t> wave{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto good = platform::MakeSegmentFile(76, 1, 0, 0, 0, "n", "wave", wave);
    SoundDx8 sound;
    uint32_t seed = 12345;
    int loaded = 0;
    for (int round = 0; round < 300; ++round) {
        auto bytes = good;
        for (int flips = 0; flips < 3; ++flips) {
            seed = seed * 1664525u + 1013904223u;
            const std::size_t at = (seed >> 8) % 110;  // the RIFF, segment and wave headers
            bytes[at] = static_cast<uint8_t>(bytes[at] ^ (1u << ((seed >> 4) & 7)));
        }
        if (round % 7 == 0) bytes.resize((seed >> 3) % bytes.size());
        qxtest::WriteBytes(Dir() / "bad.sgt", bytes);
        if (sound.Load((Dir() / "bad.sgt").string())) {
            ++loaded;
            EXPECT_GT(sound.Length(), 0);
        }
    }
    EXPECT_LT(loaded, 300);
    EXPECT_TRUE(sound.Load(Wave("fine.wav", 0.05)));
}

}  // namespace
