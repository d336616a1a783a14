#include "TestSupport.h"

#include "LibraryContext.h"
#include "ModPlug.h"
#include "SoundEngine8Core.h"

#include <qxsound/SoundDevices8.h>
#include <qxsound/SoundEngine8.h>
#include <qxsound/modGlobal.h>

#include <cstdlib>

using namespace qxsound;
using qxtest::SoundTest;

namespace {

class SoundEngine8Test : public SoundTest {};

TEST_F(SoundEngine8Test, NewEngineDefaults) {
    auto engine = std::make_shared<SoundEngine8>();
    EXPECT_EQ(engine->Focus(), QX_FOCUS_NORMAL);
    EXPECT_EQ(engine->Version(), "1.7.0");
    EXPECT_TRUE(engine->ModSupportAvailable());  // libopenmpt is installed here
    EXPECT_FLOAT_EQ(engine->MasterTempo(), 1.0f);
    EXPECT_EQ(engine->MasterVolume(), 0.0f);
}

TEST_F(SoundEngine8Test, MissingModulePlayerLeavesAWorkingEngine) {
    platform::SetModPlayerLibrary("/nonexistent/libopenmpt-missing.so");
    auto engine = std::make_shared<SoundEngine8>();
    EXPECT_FALSE(engine->ModSupportAvailable());
    EXPECT_EQ(Context().modPlayerHandle, 0);
    EXPECT_TRUE(engine->SetPlaybackDevice(""));
    engine->MasterTempo(2.0f);
    EXPECT_FLOAT_EQ(engine->MasterTempo(), 2.0f);
}

TEST_F(SoundEngine8Test, ModulePlayerIsCreatedWithTheEngineAndDestroyedByItsTeardown) {
    int32_t handle = 0;
    {
        auto engine = std::make_shared<SoundEngine8>();
        handle = Context().modPlayerHandle;
        EXPECT_TRUE(platform::ModPlug_IsValid(handle));
    }
    EndLibraryContext();
    EXPECT_FALSE(platform::ModPlug_IsValid(handle));
}

TEST_F(SoundEngine8Test, MasterVolumeRoundsHalvesToEven) {
    auto recorder = UseRecordingPlatform();
    auto engine = std::make_shared<SoundEngine8>();
    engine->MasterVolume(-250.5f);
    engine->MasterVolume(-251.5f);
    engine->MasterVolume(-100.4f);
    engine->MasterVolume(-100.6f);
    EXPECT_EQ(recorder->Matching("SetMasterVolume"),
              (std::vector<std::string>{"SetMasterVolume(-250)", "SetMasterVolume(-252)", "SetMasterVolume(-100)",
                                        "SetMasterVolume(-101)"}));
    EXPECT_EQ(engine->MasterVolume(), -101.0f);
}

TEST_F(SoundEngine8Test, MasterPropertiesOnTheRealPerformance) {
    auto engine = std::make_shared<SoundEngine8>();
    engine->MasterVolume(-250.5f);
    EXPECT_EQ(engine->MasterVolume(), -250.0f);
    engine->MasterGrooveLevel(-7);
    EXPECT_EQ(engine->MasterGrooveLevel(), -7);
    engine->MasterTempo(0.5f);
    EXPECT_FLOAT_EQ(engine->MasterTempo(), 0.5f);
    try {
        engine->MasterTempo(0.0f);
        FAIL() << "a tempo of 0 was accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), DSERR_INVALIDPARAM);
    }
    EXPECT_THROW(engine->MasterVolume(5000.0f), Error);
    EXPECT_THROW(engine->MasterVolume(3e10f), Error);
}

TEST_F(SoundEngine8Test, MusicTimeAdvancesWithTheMasterTempo) {
    // Music time follows the audio played out: on a loopback device, what was rendered.
    UseLoopback();
    auto engine = std::make_shared<SoundEngine8>();
    auto& performance = *Context().performance;
    auto device = qxtest::PerformanceDevice();
    // 120 beats per minute at 768 ticks a beat: 1536 ticks a second, times the tempo.
    const auto advance = [&](double seconds) {
        const int32_t t0 = performance.GetMusicTime();
        qxtest::Render(*device, seconds);
        return performance.GetMusicTime() - t0;
    };
    EXPECT_NEAR(advance(0.1), 153.6, 1.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(advance(0.0), 0);  // nothing heard, no music time
    engine->MasterTempo(4.0f);
    EXPECT_NEAR(advance(0.1), 614.4, 1.0);
    engine->MasterTempo(0.5f);
    EXPECT_NEAR(advance(1.0), 768.0, 1.0);
}

TEST_F(SoundEngine8Test, MusicTimeRunsWithARealTimeDevice) {
    auto engine = std::make_shared<SoundEngine8>();  // the null backend: it plays out in real time
    auto& performance = *Context().performance;
    using Clock = std::chrono::steady_clock;
    const auto a = Clock::now();
    const int32_t t0 = performance.GetMusicTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int32_t t1 = performance.GetMusicTime();
    const double elapsed = std::chrono::duration<double>(Clock::now() - a).count();
    // The device counts whole periods (1024 frames, 23 ms, by default). It runs, and never ahead
    // of the wall clock; a busy machine that delays the backend's thread holds it back.
    EXPECT_GT(t1 - t0, 0);
    EXPECT_LT(t1 - t0, (elapsed + 0.05) * 1536);
}

TEST_F(SoundEngine8Test, ConstructionOrderAndTeardownOrder) {
    auto recorder = UseRecordingPlatform();
    {
        auto engine = std::make_shared<SoundEngine8>();
        const std::string window = std::to_string(Context().windowHandle);
        EXPECT_EQ(recorder->log, (std::vector<std::string>{"DirectSoundCreate()", "DirectMusicPerformanceCreate",
                                                           "DirectMusicLoaderCreate",
                                                           "SetCooperativeLevel(" + window + ",1)",
                                                           "InitAudio(0,63,null,1,64)", "SetMasterAutoDownload(1)"}));
    }
    recorder->log.clear();
    EndLibraryContext();
    EXPECT_EQ(recorder->log,
              (std::vector<std::string>{"CloseDown", "~Performance", "~Loader", "~DirectSound", "~Root"}));
}

TEST_F(SoundEngine8Test, FailuresOfTheLastStepsAreIgnored) {
    auto recorder = UseRecordingPlatform();
    recorder->failing = {"SetCooperativeLevel", "InitAudio"};
    auto engine = std::make_shared<SoundEngine8>();
    EXPECT_EQ(recorder->CountOf("SetMasterAutoDownload"), 1u);  // runs after the failed steps
    EXPECT_EQ(engine->Focus(), QX_FOCUS_NORMAL);
}

TEST_F(SoundEngine8Test, FailureOfAnEarlyStepFailsCreationAndLeavesTheContextAsItWas) {
    auto recorder = UseRecordingPlatform();
    recorder->failing = {"DirectMusicLoaderCreate"};
    EXPECT_THROW(std::make_shared<SoundEngine8>(), Error);
    EXPECT_TRUE(LibraryContextIsEmpty());
}

TEST_F(SoundEngine8Test, NoAudioDeviceFailsCreationWithAClearError) {
    // OpenAL reads its driver list once per process, so this runs in a fresh one.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char* old = std::getenv("ALSOFT_DRIVERS");
    const std::string saved = old ? old : "";
    setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
    EXPECT_EXIT(
        {
            try {
                SoundEngine8 engine;
            } catch (const Error& e) {
                std::exit(e.Code() == DSERR_NODRIVER ? 3 : 4);
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(3), "");
    if (old)
        setenv("ALSOFT_DRIVERS", saved.c_str(), 1);
    else
        unsetenv("ALSOFT_DRIVERS");
}

TEST_F(SoundEngine8Test, UnknownGuidRaisesAndKeepsTheDeviceInUse) {
    auto engine = std::make_shared<SoundEngine8>();
    auto before = Context().outputDevice;
    try {
        engine->SetPlaybackDevice("{00000000-1111-2222-3333-444444444444}");
        FAIL() << "an unknown GUID was accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), DSERR_NODRIVER);
        EXPECT_NE(std::string(e.what()).find("{00000000-1111-2222-3333-444444444444}"), std::string::npos);
    }
    EXPECT_EQ(Context().outputDevice, before);
    EXPECT_NO_THROW(engine->ActiveSoundDeviceCapabilities());
}

TEST_F(SoundEngine8Test, GuidOfAPlaybackRecordSelectsThatDevice) {
    auto engine = std::make_shared<SoundEngine8>();
    auto devices = engine->GetSoundDevices();
    ASSERT_GE(devices->Count(), 1);
    const auto& first = devices->Item(1);
    ASSERT_EQ(first->Type_(), QX_SOUNDDEVICETYPE_PLAYBACK);
    auto before = Context().outputDevice;
    EXPECT_TRUE(engine->SetPlaybackDevice(first->Guid()));
    EXPECT_NE(Context().outputDevice, before);
    std::string lower = first->Guid();
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(engine->SetPlaybackDevice(lower));
    EXPECT_TRUE(engine->SetPlaybackDevice(""));
}

TEST_F(SoundEngine8Test, CapabilitiesAndSpeakerConfigurationOfTheRealDevice) {
    auto engine = std::make_shared<SoundEngine8>();
    const DSCAPS caps = engine->ActiveSoundDeviceCapabilities();
    EXPECT_TRUE(caps.lFlags & DSCAPS_SECONDARYSTEREO);
    EXPECT_EQ(caps.lMaxSecondarySampleRate, 200000);
    EXPECT_GE(caps.lMaxHwMixingAllBuffers, 256);
    EXPECT_EQ(engine->SpeakerConfig(), platform::DSSPEAKER_STEREO);
    engine->SpeakerConfig(platform::DSSPEAKER_HEADPHONE);
    EXPECT_EQ(engine->SpeakerConfig(), platform::DSSPEAKER_HEADPHONE);
    EXPECT_THROW(engine->SpeakerConfig(0x1FF), Error);
    EXPECT_EQ(engine->SpeakerConfig(), platform::DSSPEAKER_HEADPHONE);
}

TEST_F(SoundEngine8Test, BufferDescriptionFollowsTheFocus) {
    auto engine = std::make_shared<SoundEngine8>();
    const EngineCore& core = *Context().engine;
    EXPECT_EQ(core.MakeBufferDescription(false).lFlags, 0xE0);
    EXPECT_EQ(core.MakeBufferDescription(true).lFlags, 0x200B0);
    engine->Focus(QX_FOCUS_STICKY);
    EXPECT_EQ(core.MakeBufferDescription(false).lFlags, 0xE0 | 0x4000);
    engine->Focus(QX_FOCUS_GLOBAL);
    EXPECT_EQ(core.MakeBufferDescription(true).lFlags, 0x200B0 | 0x8000);
    engine->Focus(static_cast<CONST_QX_FOCUS>(9));
    EXPECT_EQ(core.MakeBufferDescription(false).lFlags, 0xE0);
    EXPECT_EQ(core.MakeBufferDescription(false).lBufferBytes, 0);
}

TEST_F(SoundEngine8Test, SecondEngineReplacesTheFirstInTheContext) {
    auto recorder = UseRecordingPlatform();
    auto first = std::make_shared<SoundEngine8>();
    auto firstPerformance = Context().performance;
    auto second = std::make_shared<SoundEngine8>();
    EXPECT_NE(Context().performance, firstPerformance);
    auto secondPerformance = Context().performance;
    recorder->log.clear();
    first.reset();  // its teardown must leave the second engine's entries alone
    EXPECT_EQ(recorder->CountOf("CloseDown"), 1u);
    EXPECT_EQ(Context().performance, secondPerformance);
    EXPECT_TRUE(LibraryContextHasEngine());
    second->MasterVolume(-10.0f);
    EXPECT_EQ(recorder->CountOf("SetMasterVolume(-10)"), 1u);
}

TEST_F(SoundEngine8Test, EnginesOnTwoThreadsAreIndependent) {
    auto engine = std::make_shared<SoundEngine8>();
    bool otherOk = false;
    std::thread([&] {
        auto other = std::make_shared<SoundEngine8>();
        otherOk = LibraryContextHasEngine() && Context().performance != nullptr;
        // The thread's context ends with the thread and tears its engine down.
    }).join();
    EXPECT_TRUE(otherOk);
    EXPECT_TRUE(LibraryContextHasEngine());
    EXPECT_NO_THROW(engine->MasterTempo(1.5f));
}

}  // namespace
