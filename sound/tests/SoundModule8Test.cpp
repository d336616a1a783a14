#include "TestSupport.h"

#include <qxsound/SoundEngine8.h>
#include <qxsound/SoundModule8.h>

#include "ModPlug.h"

using namespace qxsound;
using namespace qxtest;

namespace {

class SoundModule8Test : public SoundTest {
protected:
    void SetUp() override {
        UseLoopback();
        engine = std::make_shared<SoundEngine8>();
        ASSERT_TRUE(engine->ModSupportAvailable());
        song = (Dir() / "tone.mod").string();
        WriteBytes(song, ModBytes(8));
    }

    std::vector<float> Listen(double seconds) { return Render(*OutputDevice(), seconds); }

    std::shared_ptr<SoundEngine8> engine;
    std::string song;
};

TEST_F(SoundModule8Test, PlaysTheModuleAndReportsItsPositions) {
    SoundModule8 a;
    EXPECT_EQ(a.Type_(), QX_SOUNDTYPE_MODULE);
    EXPECT_EQ(a.PlayState(), QX_PLAYSTATE_UNDEFINED);
    EXPECT_TRUE(a.Load(song));
    EXPECT_EQ(a.PlayState(), QX_PLAYSTATE_UNDEFINED);
    EXPECT_EQ(a.MaxPosition(), 960);  // eight rows of 120 ms
    EXPECT_EQ(Rms(Listen(0.2)), 0.0f);

    EXPECT_TRUE(a.Play());
    EXPECT_EQ(a.PlayState(), QX_PLAYSTATE_PLAYING);
    const auto sound = Listen(0.5);
    EXPECT_GT(Rms(sound, sound.size() / 4), 0.05f);
    EXPECT_NEAR(a.PlayPosition(), 500, 11);  // what has been heard, to the 10-ms render

    // The engine's player loops: past the module's length it still plays, with no gap where it
    // starts again.
    const auto looped = Listen(1.0);
    EXPECT_EQ(a.PlayState(), QX_PLAYSTATE_PLAYING);
    for (std::size_t at = 0; at + 2 * 220 <= looped.size(); at += 2 * 220)
        ASSERT_GT(Rms(looped, at, at + 2 * 220), 0.05f) << "quiet 5 ms at " << at / 2 << " frames";
    EXPECT_NEAR(a.PlayPosition(), 1500, 11);  // the player counts on across the repeat
}

TEST_F(SoundModule8Test, PauseKeepsThePositionAndStopRewinds) {
    SoundModule8 a;
    EXPECT_TRUE(a.Pause());  // before Play: nothing happens
    EXPECT_EQ(a.PlayState(), QX_PLAYSTATE_UNDEFINED);
    a.Load(song);
    a.Play();
    Listen(0.3);
    EXPECT_TRUE(a.Pause());
    EXPECT_EQ(a.PlayState(), QX_PLAYSTATE_PAUSED);
    const int32_t at = a.PlayPosition();
    EXPECT_NEAR(at, 300, 11);
    EXPECT_EQ(Rms(Listen(0.2)), 0.0f);  // silent at once
    EXPECT_EQ(a.PlayPosition(), at);

    // Play goes on from the sample heard: nothing queued at the pause is skipped.
    a.Play();
    EXPECT_GT(Rms(Listen(0.1)), 0.05f);
    EXPECT_NEAR(a.PlayPosition(), at + 100, 11);
    EXPECT_TRUE(a.Stop_());
    EXPECT_EQ(a.PlayState(), QX_PLAYSTATE_STOPPED);
    EXPECT_EQ(a.PlayPosition(), 0);
    EXPECT_EQ(Rms(Listen(0.2), 2 * 441 * 2), 0.0f);
}

TEST_F(SoundModule8Test, SoundsShareTheEnginesPlayer) {
    SoundModule8 a, b;
    a.Load(song);
    a.Play();
    Listen(0.1);
    // Stopping B stops the player under A: A has ended and its own Stop_ reports false.
    EXPECT_TRUE(b.Stop_());
    EXPECT_EQ(b.PlayState(), QX_PLAYSTATE_UNDEFINED);  // never played
    EXPECT_EQ(a.PlayState(), QX_PLAYSTATE_ENDED);
    EXPECT_FALSE(a.Stop_());

    // Loading through B replaces A's module and stops it.
    a.Play();
    EXPECT_EQ(a.PlayState(), QX_PLAYSTATE_PLAYING);
    const auto longer = (Dir() / "longer.mod").string();
    WriteBytes(longer, ModBytes(16));
    b.Load(longer);
    EXPECT_EQ(a.PlayState(), QX_PLAYSTATE_ENDED);
    EXPECT_EQ(a.MaxPosition(), 1920);

    // Destroying a sound leaves the player playing.
    {
        SoundModule8 c;
        c.Play();
    }
    EXPECT_EQ(a.PlayState(), QX_PLAYSTATE_PLAYING);
}

TEST_F(SoundModule8Test, VolumeIsPassedToThePlayer) {
    SoundModule8 a;
    a.Load(song);
    EXPECT_EQ(a.Volume(), 100);
    a.Play();
    Listen(0.1);
    const float full = Rms(Listen(0.3));
    a.Volume(50);
    EXPECT_EQ(a.Volume(), 50);
    Listen(0.1);
    EXPECT_NEAR(Rms(Listen(0.3)) / full, 0.5f, 0.05f);
    EXPECT_THROW(a.Volume(101), Error);
    EXPECT_EQ(a.Volume(), 50);
}

TEST_F(SoundModule8Test, BadModulesLoadSilently) {
    const auto junk = (Dir() / "junk.mod").string();
    std::vector<uint8_t> bytes(3000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7919 >> 3);
    WriteBytes(junk, bytes);
    auto truncated = ModBytes(8);
    truncated.resize(600);
    const auto cut = (Dir() / "cut.mod").string();
    WriteBytes(cut, truncated);

    SoundModule8 a;
    for (const auto& file : {junk, cut, (Dir() / "missing.mod").string(), Dir().string()}) {
        EXPECT_TRUE(a.Load(file)) << file;
        EXPECT_TRUE(a.Play());
        EXPECT_EQ(a.PlayState(), QX_PLAYSTATE_ENDED) << file;
        EXPECT_EQ(a.MaxPosition(), 0);
        EXPECT_EQ(Rms(Listen(0.1)), 0.0f);
    }
}

TEST(SoundModule8WithoutPlayer, CallsFailWithoutAnEngine) {
    SoundModule8 a;
    EXPECT_THROW(a.Load("x.mod"), Error);
    EXPECT_THROW(a.Play(), Error);
    EXPECT_EQ(a.PlayState(), QX_PLAYSTATE_UNDEFINED);
    EXPECT_TRUE(a.Pause());
    EXPECT_THROW(a.Volume(), Error);
}

}  // namespace
