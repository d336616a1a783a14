#include "TestSupport.h"

#include <qxsound/SoundCd8.h>
#include <qxsound/SoundEngine8.h>

#include "Mci.h"
#include "MciCommand.h"

#include <array>
#include <chrono>
#include <regex>
#include <thread>

using namespace qxsound;
using namespace qxtest;

namespace {

// The tone's frequency in a stretch of stereo samples, from the left channel's rising zero crossings.
double Hz(const std::vector<float>& s, std::size_t from = 0, std::size_t to = SIZE_MAX) {
    to = std::min(to, s.size());
    int crossings = 0;
    for (std::size_t i = from + 2; i + 1 < to; i += 2)
        if (s[i - 2] < 0.0f && s[i] >= 0.0f) ++crossings;
    return crossings / (static_cast<double>(to - from) / 2 / 44100);
}

class SoundCd8Test : public SoundTest {
protected:
    void SetUp() override {
        UseLoopback();
        engine = std::make_shared<SoundEngine8>();  // the CD streams to its loopback device
        disc = WriteCdImage(Dir(), "disc", {3, 2, 2}, {441, 882, 1323}, "0123456789012").string();
        platform::SetMciObserver([this](std::string_view command, int32_t status) {
            sent.emplace_back(command);
            statuses.push_back(status);
        });
    }
    void TearDown() override {
        platform::SetMciObserver({});
        platform::mciSendString("close all", nullptr, 0);
        SoundTest::TearDown();
    }

    std::vector<float> Listen(double seconds) { return Render(*OutputDevice(), seconds); }
    // The alias of the last open command sent.
    std::string Alias() const {
        std::smatch m;
        for (auto it = sent.rbegin(); it != sent.rend(); ++it)
            if (std::regex_search(*it, m, std::regex(" alias (CD[0-9]+) "))) return m[1];
        return "";
    }

    std::shared_ptr<SoundEngine8> engine;
    std::string disc;
    std::vector<std::string> sent;
    std::vector<int32_t> statuses;
};

TEST_F(SoundCd8Test, LoadOpensTheDiscUnderAnAliasOfItsOwn) {
    SoundCd8 cd;
    EXPECT_EQ(cd.Type_(), QX_SOUNDTYPE_CD);
    EXPECT_EQ(cd.Volume(), 1000);
    ASSERT_TRUE(cd.Load(disc));
    const std::string a = Alias();
    const int number = std::stoi(a.substr(2));
    EXPECT_GE(number, 1);
    EXPECT_LE(number, 1000);
    EXPECT_EQ(sent, (std::vector<std::string>{"open " + disc + " type cdaudio alias " + a + " wait shareable",
                                              "set " + a + " time format tmsf wait"}));
    EXPECT_EQ(cd.PlayState(), QX_PLAYSTATE_UNDEFINED);

    // Before Play, Pause and Stop_ send nothing.
    sent.clear();
    EXPECT_TRUE(cd.Pause());
    EXPECT_TRUE(cd.Stop_());
    EXPECT_TRUE(sent.empty());

    EXPECT_FALSE(cd.Load((Dir() / "missing.cue").string()));
    EXPECT_FALSE(cd.Load("/dev/null/none"));

    // No drive given: the default CD audio device (whether this machine has one or not).
    sent.clear();
    cd.Load("");
    EXPECT_EQ(sent.at(0), "open cdaudio alias " + Alias() + " wait shareable");
}

TEST_F(SoundCd8Test, DiscInformation) {
    SoundCd8 cd;
    ASSERT_TRUE(cd.Load(disc));
    EXPECT_EQ(cd.TrackCount(), 3);
    EXPECT_EQ(cd.GetTrackLength(1), std::string("00:03:00\0\0", 10));
    EXPECT_EQ(cd.GetTrackLength(3), std::string("00:02:00\0\0", 10));
    EXPECT_EQ(cd.GetTrackLength(4), std::string(10, '\0'));  // no such track: the buffer as it was
    EXPECT_EQ(cd.Length(), "00:07:00");
    EXPECT_EQ(cd.CdUpc(), "0123456789012");
    EXPECT_TRUE(std::regex_match(cd.CdId(), std::regex("[0-9a-f]{8}"))) << cd.CdId();
    EXPECT_EQ(cd.Track(), 1);
    EXPECT_EQ(cd.CurrentTime(), "0:00");
    const std::string a = Alias();
    EXPECT_EQ(sent.back(), "status " + a + " position");

    const auto plain = WriteCdImage(Dir(), "plain", {1}, {441});
    SoundCd8 other;
    ASSERT_TRUE(other.Load(plain.string()));
    EXPECT_EQ(other.CdUpc(), "");
    EXPECT_EQ(statuses.back(), platform::MCIERR_NO_IDENTITY);
    EXPECT_EQ(other.TrackCount(), 1);
    EXPECT_NE(other.CdId(), cd.CdId());
}

TEST_F(SoundCd8Test, PlaysTracksPausesAndStops) {
    SoundCd8 cd;
    ASSERT_TRUE(cd.Load(disc));
    const std::string a = Alias();
    EXPECT_TRUE(cd.Play());
    EXPECT_EQ(cd.PlayState(), QX_PLAYSTATE_PLAYING);
    auto sound = Listen(1.2);
    EXPECT_NEAR(Hz(sound, sound.size() / 4), 441, 10);
    EXPECT_NEAR(Rms(sound, sound.size() / 4), 0.5f / std::sqrt(2.0f), 0.02f);
    EXPECT_EQ(cd.CurrentTime(), "0:01");

    // A track set is a seek: it stops the play.
    sent.clear();
    cd.Track(2);
    EXPECT_EQ(sent, std::vector<std::string>{"seek " + a + " to  2"});
    EXPECT_EQ(cd.PlayState(), QX_PLAYSTATE_ENDED);
    EXPECT_EQ(cd.Track(), 2);
    EXPECT_TRUE(cd.Play());
    sound = Listen(0.6);
    EXPECT_NEAR(Hz(sound, sound.size() / 4), 882, 15);

    EXPECT_TRUE(cd.Pause());
    EXPECT_EQ(cd.PlayState(), QX_PLAYSTATE_PAUSED);
    const std::string at = cd.CurrentTime();
    EXPECT_EQ(Rms(Listen(0.2), 2 * 441 * 2), 0.0f);
    EXPECT_EQ(cd.CurrentTime(), at);
    EXPECT_TRUE(cd.Play());
    EXPECT_EQ(cd.PlayState(), QX_PLAYSTATE_PLAYING);

    sent.clear();
    EXPECT_TRUE(cd.Stop_());
    EXPECT_EQ(sent, (std::vector<std::string>{"status " + a + " mode", "stop " + a, "seek " + a + " to  1"}));
    EXPECT_EQ(cd.PlayState(), QX_PLAYSTATE_STOPPED);
    EXPECT_EQ(cd.Track(), 1);
    EXPECT_EQ(Rms(Listen(0.2), 2 * 441 * 2), 0.0f);
    // A stopped disc: Pause and Stop_ do nothing more.
    sent.clear();
    EXPECT_TRUE(cd.Stop_());
    EXPECT_TRUE(sent.empty());
}

TEST_F(SoundCd8Test, PauseAndStopHoldTheSampleHeardAndPlayGoesOnFromThere) {
    const auto shortDisc = WriteCdImage(Dir(), "short", {2}, {441});
    SoundCd8 cd;
    ASSERT_TRUE(cd.Load(shortDisc.string()));
    ASSERT_TRUE(cd.Play());
    EXPECT_GT(Rms(Listen(0.4)), 0.3f);
    ASSERT_TRUE(cd.Pause());
    EXPECT_EQ(cd.CurrentTime(), "0:00");  // 0.4 s heard, whatever was queued beyond it
    EXPECT_EQ(Rms(Listen(0.1)), 0.0f);
    ASSERT_TRUE(cd.Play());
    EXPECT_GT(Rms(Listen(0.4)), 0.3f);
    // Stop_ also seeks to the track's start: nothing is skipped up to there.
    std::array<char, 64> reply{};
    platform::mciSendString("stop " + Alias(), nullptr, 0);
    platform::mciSendString("status " + Alias() + " position", reply.data(), static_cast<int32_t>(reply.size()));
    EXPECT_STREQ(reply.data(), "01:00:00:60");  // tmsf: 0.8 s is 60 frames
    ASSERT_TRUE(cd.Play());
    // The rest of the 2-s track, then silence: nothing skipped at the pause or the stop.
    EXPECT_NEAR(0.8 + SoundingSeconds(Listen(1.5), 44100), 2.0, 0.002);
}

// Real time (the suite runs these alone): without an engine a disc plays on OpenAL's default
// device, the null output in these tests, which plays at the real rate.
class SoundCd8RealTime : public SoundTest {};

TEST_F(SoundCd8RealTime, WithoutAnEngineADiscPlaysOnTheDefaultOutputDevice) {
    const auto disc = WriteCdImage(Dir(), "alone", {3}, {441});
    SoundCd8 cd;
    ASSERT_TRUE(cd.Load(disc.string()));
    ASSERT_TRUE(cd.Play());
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(cd.PlayState(), QX_PLAYSTATE_PLAYING);
    EXPECT_EQ(cd.CurrentTime(), "0:01");
    EXPECT_TRUE(cd.Stop_());
    EXPECT_EQ(cd.PlayState(), QX_PLAYSTATE_STOPPED);
}

TEST_F(SoundCd8Test, PlaysToTheEndOfTheDisc) {
    const auto shortDisc = WriteCdImage(Dir(), "short", {1}, {441});
    SoundCd8 cd;
    ASSERT_TRUE(cd.Load(shortDisc.string()));
    cd.Play();
    const auto sound = Listen(1.3);
    EXPECT_GT(Rms(sound, 0, sound.size() / 2), 0.3f);
    EXPECT_EQ(Rms(sound, sound.size() * 12 / 13), 0.0f);  // after the second: silence
    EXPECT_EQ(cd.PlayState(), QX_PLAYSTATE_ENDED);
    EXPECT_TRUE(cd.Stop_());  // ended: nothing to stop
    EXPECT_EQ(cd.PlayState(), QX_PLAYSTATE_ENDED);
}

TEST_F(SoundCd8Test, DataTracksPlayAsSilence) {
    const auto mixed = WriteCdImage(Dir(), "mixed", {1, 1}, {0, 441});
    SoundCd8 cd;
    ASSERT_TRUE(cd.Load(mixed.string()));
    EXPECT_EQ(cd.TrackCount(), 2);
    cd.Play();
    const auto sound = Listen(1.8);
    EXPECT_EQ(Peak(sound, 0, 2 * 44100 * 9 / 10), 0.0f);
    EXPECT_NEAR(Hz(sound, 2 * 44100 * 11 / 10), 441, 10);
}

TEST_F(SoundCd8Test, FastForwardAndRewind) {
    SoundCd8 cd;
    ASSERT_TRUE(cd.Load(disc));
    const std::string a = Alias();
    cd.Play();
    Listen(0.5);
    cd.Pause();
    sent.clear();
    cd.FastForward(2000);
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0], "set " + a + " time format milliseconds");
    EXPECT_EQ(sent[1], "status " + a + " position wait");
    // 0.5 s heard after the 2-s lead-in, in whole frames (2,493 ms), and 2 s on.
    EXPECT_TRUE(std::regex_match(sent[2], std::regex("play " + a + " from 4[45][0-9][0-9]"))) << sent[2];
    EXPECT_EQ(sent[3], "set " + a + " time format tmsf wait");
    EXPECT_EQ(cd.PlayState(), QX_PLAYSTATE_PAUSED);  // the flags stay, though the disc plays
    EXPECT_EQ(cd.CurrentTime(), "0:02");

    // While playing, a seek.
    cd.Play();
    sent.clear();
    cd.Rewind(1000);
    EXPECT_TRUE(std::regex_match(sent[3], std::regex("seek " + a + " to 3[45][0-9][0-9]"))) << sent[3];
    EXPECT_EQ(cd.CurrentTime(), "0:01");
    // Before the disc's start: the device refuses, nothing moves.
    cd.Rewind(30000);
    EXPECT_EQ(cd.CurrentTime(), "0:01");
}

TEST_F(SoundCd8Test, VolumeIsKeptWhenTheDeviceRejectsIt) {
    SoundCd8 cd;
    ASSERT_TRUE(cd.Load(disc));
    cd.Volume(500);
    EXPECT_EQ(cd.Volume(), 500);
    const std::string command = "setaudio " + Alias() + " volume to 500";
    EXPECT_EQ(sent.back(), command + std::string(128 - command.size(), ' '));  // padded to 128
    cd.Volume(1001);
    EXPECT_EQ(cd.Volume(), 500);
    cd.Volume(-1);
    EXPECT_EQ(cd.Volume(), 500);

    cd.Play();
    EXPECT_NEAR(Rms(Listen(0.5), 2 * 4410), 0.25f / std::sqrt(2.0f), 0.02f);
}

TEST_F(SoundCd8Test, EachObjectClosesOnlyItsOwnDevice) {
    auto first = std::make_unique<SoundCd8>();
    SoundCd8 second;
    ASSERT_TRUE(first->Load(disc));
    const std::string a = Alias();
    ASSERT_TRUE(second.Load(disc));
    EXPECT_NE(Alias(), a);
    sent.clear();
    first.reset();
    EXPECT_EQ(sent, (std::vector<std::string>{"stop " + a, "close " + a}));
    EXPECT_EQ(second.TrackCount(), 3);
    EXPECT_TRUE(second.Play());
}

TEST_F(SoundCd8Test, DrawsAgainUntilTheAliasIsFree) {
    // Every alias but one taken: Load finds the free one.
    const int free = 777;
    for (int n = 1; n <= 1000; ++n) {
        if (n == free) continue;
        ASSERT_EQ(platform::mciSendString("open " + disc + " type cdaudio alias CD" + std::to_string(n), nullptr, 0), 0);
    }
    SoundCd8 cd;
    EXPECT_TRUE(cd.Load(disc));
    EXPECT_EQ(Alias(), "CD777");
    EXPECT_EQ(cd.TrackCount(), 3);
    // With none free, Load gives up.
    SoundCd8 none;
    EXPECT_FALSE(none.Load(disc));
}

TEST_F(SoundCd8Test, DriveNamesCannotAddToTheOpenCommand) {
    const auto spaced = Dir() / "my disc";
    std::filesystem::create_directories(spaced);
    const auto inSpaced = WriteCdImage(spaced, "a \"b\" c", {1}, {441});
    SoundCd8 cd;
    ASSERT_TRUE(cd.Load(inSpaced.string()));
    EXPECT_EQ(cd.TrackCount(), 1);

    // A name that reads as more keywords opens nothing.
    SoundCd8 sly;
    EXPECT_FALSE(sly.Load(disc + " alias CD5000 type cdaudio"));
    EXPECT_NE(platform::mciSendString("status CD5000 mode", nullptr, 0), 0);
    EXPECT_FALSE(sly.Load(disc + "\" alias \"CD5001"));
    EXPECT_NE(platform::mciSendString("status CD5001 mode", nullptr, 0), 0);
}

TEST_F(SoundCd8Test, DamagedImagesFailToLoadOrEndEarly) {
    const auto dir = Dir();
    WriteBytes(dir / "junk.cue", {0x00, 0xFF, 'T', 'R', 'A', 'C', 'K', 0x0A, 0x80});
    WriteBytes(dir / "nobin.cue", {'F', 'I', 'L', 'E', ' ', '"', 'x', '.', 'b', 'i', 'n', '"', ' ', 'B', 'I', 'N', 'A', 'R', 'Y', '\n'});
    SoundCd8 cd;
    EXPECT_FALSE(cd.Load((dir / "junk.cue").string()));
    EXPECT_FALSE(cd.Load((dir / "nobin.cue").string()));

    // A bin cut short: the disc plays what there is, then ends.
    const auto cut = WriteCdImage(dir, "cut", {2}, {441});
    std::filesystem::resize_file(dir / "cut.bin", 2352 * 40);
    ASSERT_TRUE(cd.Load(cut.string()));
    cd.Play();
    const auto sound = Listen(1.0);
    EXPECT_GT(Rms(sound, 0, 2 * 4410), 0.3f);
    EXPECT_EQ(cd.PlayState(), QX_PLAYSTATE_ENDED);
}

}  // namespace
