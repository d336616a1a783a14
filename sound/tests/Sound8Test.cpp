#include "TestSupport.h"

#include <qxsound/Sound8.h>
#include <qxsound/SoundDx8.h>
#include <qxsound/SoundEngine8.h>
#include <qxsound/SoundWave8.h>

using namespace qxsound;

namespace {

TEST(Sound8, BareInterfaceBehavesAsTheBase) {
    Sound8 sound;
    EXPECT_FALSE(sound.Load("anything.wav"));
    EXPECT_FALSE(sound.Play());
    EXPECT_FALSE(sound.Pause());
    EXPECT_FALSE(sound.Stop_());
    EXPECT_EQ(sound.PlayState(), QX_PLAYSTATE_UNDEFINED);
    EXPECT_EQ(sound.Type_(), QX_SOUNDTYPE_UNDEFINED);
    sound.Volume(-500);
    EXPECT_EQ(sound.Volume(), 0);
    EXPECT_EQ(sound.Key(), "");
}

TEST(Enums8, ValuesOfThePublicInterface) {
    EXPECT_EQ(QX_SOUNDTYPE_CD, 6);
    EXPECT_EQ(QX_PLAYSTATE_ENDED, 4);
    EXPECT_EQ(QX_FOCUS_GLOBAL, 3);
    EXPECT_EQ(QX_SOUNDDEVICETYPE_CAPTURE, 1);
    EXPECT_EQ(QX_MP3BITPROPERTY_FALSE, 2);
    EXPECT_EQ(QX_MP3LAYERVERSION_V25_L3, 253);
    EXPECT_EQ(QX_MP3LAYERVERSION_V2_L1, 21);
    EXPECT_EQ(QX_MP3MODE_SINGLECHANNEL, 3);
    EXPECT_EQ(QX_MP3EMPHASIS_CCITTJ17, 3);
    EXPECT_EQ(sizeof(CONST_QX_PLAYSTATE), sizeof(int32_t));
}

class SoundClasses : public qxtest::SoundTest {};

TEST_F(SoundClasses, EveryClassStartsWithAnEmptyKeyAndItsType) {
    auto engine = std::make_shared<SoundEngine8>();
    std::vector<std::shared_ptr<Sound8>> sounds = {std::make_shared<SoundWave8>(), std::make_shared<SoundDx8>()};
    EXPECT_EQ(sounds[0]->Type_(), QX_SOUNDTYPE_WAVE);
    EXPECT_EQ(sounds[1]->Type_(), QX_SOUNDTYPE_DIRECTX);
    for (auto& s : sounds) {
        EXPECT_EQ(s->Key(), "");
        EXPECT_EQ(s->PlayState(), QX_PLAYSTATE_UNDEFINED);
        s->Key("boom");
        EXPECT_EQ(s->Key(), "boom");
    }
}

}  // namespace
