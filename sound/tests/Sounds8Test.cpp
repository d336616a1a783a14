#include "TestSupport.h"

#include <qxsound/SoundCd8.h>
#include <qxsound/SoundDx8.h>
#include <qxsound/SoundEngine8.h>
#include <qxsound/SoundModule8.h>
#include <qxsound/SoundMp38.h>
#include <qxsound/SoundWave3D8.h>
#include <qxsound/SoundWave8.h>
#include <qxsound/Sounds8.h>

#include "Mci.h"

#include <qxcommon/KeyedCollection.h>

using namespace qxsound;
using namespace qxtest;

namespace {

class Sounds8Test : public SoundTest {
protected:
    void SetUp() override {
        UseLoopback();
        engine = std::make_shared<SoundEngine8>();
    }
    void TearDown() override {
        platform::mciSendString("close all", nullptr, 0);
        SoundTest::TearDown();
    }

    std::shared_ptr<SoundEngine8> engine;
    Sounds8 sounds;
};

TEST_F(Sounds8Test, AddCreatesTheSoundOfTheType) {
    EXPECT_EQ(sounds.Add(QX_SOUNDTYPE_UNDEFINED, "none"), nullptr);
    EXPECT_EQ(sounds.Count(), 0);
    EXPECT_THROW(sounds.Add(static_cast<CONST_QX_SOUNDTYPE>(7)), Error);
    EXPECT_THROW(sounds.Add(static_cast<CONST_QX_SOUNDTYPE>(-1)), Error);
    EXPECT_EQ(sounds.Count(), 0);

    const auto wave = sounds.Add(QX_SOUNDTYPE_WAVE);
    EXPECT_NE(std::dynamic_pointer_cast<SoundWave8>(wave), nullptr);
    EXPECT_EQ(wave->Key(), "");
    const auto module = sounds.Add(QX_SOUNDTYPE_MODULE, "Tune");
    EXPECT_NE(std::dynamic_pointer_cast<SoundModule8>(module), nullptr);
    EXPECT_EQ(module->Key(), "Tune");
    EXPECT_NE(std::dynamic_pointer_cast<SoundDx8>(sounds.Add(QX_SOUNDTYPE_DIRECTX)), nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<SoundCd8>(sounds.Add(QX_SOUNDTYPE_CD)), nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<SoundWave3D8>(sounds.Add(QX_SOUNDTYPE_WAVE3D, "near")), nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<SoundMp38>(sounds.Add(QX_SOUNDTYPE_MP3, "song")), nullptr);
    sounds.Remove("near");
    sounds.Remove("song");
    EXPECT_EQ(sounds.Count(), 4);
    EXPECT_EQ(sounds.Item(1), wave);
    EXPECT_EQ(sounds.Item("TUNE"), module);
    EXPECT_EQ(module->PlayState(), QX_PLAYSTATE_UNDEFINED);  // not loaded, not played

    EXPECT_THROW(sounds.Add(QX_SOUNDTYPE_WAVE, "tune"), qxcommon::DuplicateKeyError);
    EXPECT_EQ(sounds.Count(), 4);
    EXPECT_THROW(sounds.Item(5), qxcommon::BadIndexError);
    EXPECT_THROW(sounds.Item("other"), qxcommon::UnknownKeyError);
    EXPECT_THROW(sounds.Remove(0), qxcommon::BadIndexError);

    std::vector<std::shared_ptr<Sound8>> order(sounds.begin(), sounds.end());
    EXPECT_EQ(order.front(), wave);
    sounds.Remove("tune");
    EXPECT_EQ(sounds.Count(), 3);
}

TEST_F(Sounds8Test, AddFileChoosesTheTypeByExtensionAndKeysByTitle) {
    const auto dir = Dir();
    WriteWav(dir / "Boom.WAV", Sine(0.1, 440, 44100, 1), 1, 44100, 0x0002);
    WriteBytes(dir / "tune.mod", ModBytes(8));

    const auto boom = sounds.AddFile((dir / "Boom.WAV").string());
    ASSERT_NE(std::dynamic_pointer_cast<SoundWave8>(boom), nullptr);
    EXPECT_EQ(boom->Key(), "Boom");
    EXPECT_EQ(sounds.Item("boom"), boom);
    EXPECT_TRUE(boom->Play());  // already loaded

    // An .mp3 is an MP3 sound whatever it holds; this one fails to load and is added all the same.
    WriteBytes(dir / "Song.Mp3", std::vector<uint8_t>(64, 0));
    const auto song = sounds.AddFile((dir / "Song.Mp3").string());
    EXPECT_NE(std::dynamic_pointer_cast<SoundMp38>(song), nullptr);
    EXPECT_EQ(song->Key(), "Song");
    sounds.Remove("song");

    const auto tune = sounds.AddFile((dir / "tune.mod").string());
    EXPECT_NE(std::dynamic_pointer_cast<SoundModule8>(tune), nullptr);
    EXPECT_EQ(std::static_pointer_cast<SoundModule8>(tune)->MaxPosition(), 960);

    // The same file again, without a key of its own: the title is taken.
    EXPECT_THROW(sounds.AddFile((dir / "Boom.WAV").string()), qxcommon::DuplicateKeyError);
    EXPECT_EQ(sounds.AddFile((dir / "Boom.WAV").string(), "boom2")->Key(), "boom2");

    // Extensions without a type add nothing.
    const int32_t count = sounds.Count();
    EXPECT_EQ(sounds.AddFile((dir / "song.xm").string()), nullptr);
    EXPECT_EQ(sounds.AddFile((dir / "README").string()), nullptr);
    EXPECT_EQ(sounds.Count(), count);

    // A given type wins over the extension; a failed Load still adds the sound.
    const auto music = sounds.AddFile((dir / "missing.mid").string());
    ASSERT_NE(std::dynamic_pointer_cast<SoundDx8>(music), nullptr);
    EXPECT_EQ(music->PlayState(), QX_PLAYSTATE_UNDEFINED);
    EXPECT_EQ(sounds.Count(), count + 1);
    EXPECT_NE(std::dynamic_pointer_cast<SoundModule8>(
                  sounds.AddFile((dir / "tune.mod").string(), "as module", QX_SOUNDTYPE_MODULE)),
              nullptr);
}

TEST_F(Sounds8Test, AddCdLoadsTheDrive) {
    const auto disc = WriteCdImage(Dir(), "disc", {1, 1}, {441, 882});
    const auto cd = sounds.AddCd(disc.string(), "cd");
    EXPECT_EQ(cd->TrackCount(), 2);
    EXPECT_EQ(sounds.Item("CD"), cd);
    const auto none = sounds.AddCd((Dir() / "none.cue").string());
    EXPECT_EQ(none->TrackCount(), 0);  // not loaded, added all the same
    EXPECT_EQ(sounds.Count(), 2);
}

TEST_F(Sounds8Test, ClearReleasesTheSounds) {
    const auto kept = sounds.Add(QX_SOUNDTYPE_WAVE, "kept");
    std::weak_ptr<Sound8> dropped = sounds.Add(QX_SOUNDTYPE_MODULE, "dropped");
    sounds.Clear();
    EXPECT_EQ(sounds.Count(), 0);
    EXPECT_TRUE(dropped.expired());
    EXPECT_EQ(kept.use_count(), 1);
}

TEST(Sounds8WithoutEngine, CreationErrorsPassThrough) {
    Sounds8 sounds;
    EXPECT_THROW(sounds.Add(QX_SOUNDTYPE_DIRECTX), Error);
    EXPECT_EQ(sounds.Count(), 0);
}

}  // namespace
