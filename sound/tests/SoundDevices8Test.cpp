#include "TestSupport.h"

#include <qxsound/SoundDevices8.h>
#include <qxsound/SoundEngine8.h>
#include <qxsound/modGlobal.h>

using namespace qxsound;
using qxtest::SoundTest;

namespace {

class SoundDevices8Test : public SoundTest {};

TEST(SoundDevice8, HostMadeRecordIsEmpty) {
    SoundDevice8 device;
    EXPECT_EQ(device.Type_(), QX_SOUNDDEVICETYPE_PLAYBACK);
    EXPECT_EQ(device.Name_(), "");
    EXPECT_EQ(device.Description(), "");
    EXPECT_EQ(device.Guid(), "");
}

TEST_F(SoundDevices8Test, PlaybackDevicesComeFirstThenCapture) {
    auto recorder = UseRecordingPlatform();
    auto engine = std::make_shared<SoundEngine8>();
    auto devices = engine->GetSoundDevices();
    ASSERT_EQ(devices->Count(), 3);
    EXPECT_EQ(devices->Item(1)->Type_(), QX_SOUNDDEVICETYPE_PLAYBACK);
    EXPECT_EQ(devices->Item(1)->Name_(), "playback 1");
    EXPECT_EQ(devices->Item(1)->Description(), "the playback device 1");
    EXPECT_EQ(devices->Item(1)->Guid(), "{playback-1}");
    EXPECT_EQ(devices->Item(2)->Name_(), "playback 2");
    EXPECT_EQ(devices->Item(3)->Type_(), QX_SOUNDDEVICETYPE_CAPTURE);
    EXPECT_EQ(devices->Item(3)->Guid(), "{capture-1}");
    std::vector<std::string> names;
    for (const auto& d : *devices) names.push_back(d->Name_());
    EXPECT_EQ(names, (std::vector<std::string>{"playback 1", "playback 2", "capture 1"}));
}

TEST_F(SoundDevices8Test, RefreshGivesTheSameRecordsNotTwiceAsMany) {
    auto engine = std::make_shared<SoundEngine8>();
    auto devices = engine->GetSoundDevices();
    const int32_t count = devices->Count();
    ASSERT_GE(count, 1);
    const std::string guid = devices->Item(1)->Guid();
    devices->Refresh();
    devices->Refresh();
    EXPECT_EQ(devices->Count(), count);
    EXPECT_EQ(devices->Item(1)->Guid(), guid);
}

TEST_F(SoundDevices8Test, ItemAndRemoveOutsideTheListFailWithTheCollectionsErrors) {
    auto recorder = UseRecordingPlatform();
    auto engine = std::make_shared<SoundEngine8>();
    auto devices = engine->GetSoundDevices();
    EXPECT_THROW(devices->Item(0), qxcommon::BadIndexError);
    EXPECT_THROW(devices->Item(devices->Count() + 1), qxcommon::BadIndexError);
    EXPECT_THROW(devices->Item("playback 1"), qxcommon::UnknownKeyError);  // records have no keys
    EXPECT_THROW(devices->Remove(4), qxcommon::BadIndexError);
    devices->Remove(1);
    EXPECT_EQ(devices->Count(), 2);
    EXPECT_EQ(devices->Item(1)->Name_(), "playback 2");
}

TEST_F(SoundDevices8Test, TwoListsAreIndependentWithTheSameEntries) {
    auto engine = std::make_shared<SoundEngine8>();
    auto a = engine->GetSoundDevices();
    auto b = engine->GetSoundDevices();
    ASSERT_NE(a, b);
    ASSERT_EQ(a->Count(), b->Count());
    for (int32_t i = 1; i <= a->Count(); ++i) {
        EXPECT_EQ(a->Item(i)->Guid(), b->Item(i)->Guid());
        EXPECT_EQ(a->Item(i)->Name_(), b->Item(i)->Name_());
        EXPECT_NE(a->Item(i), b->Item(i));
    }
    a->Remove(1);
    EXPECT_EQ(b->Count(), a->Count() + 1);
}

TEST_F(SoundDevices8Test, FailingCaptureEnumerationKeepsThePlaybackRecords) {
    auto recorder = UseRecordingPlatform();
    auto engine = std::make_shared<SoundEngine8>();
    auto devices = engine->GetSoundDevices();
    recorder->failing = {"GetCount(capture)"};
    EXPECT_THROW(devices->Refresh(), Error);
    EXPECT_EQ(devices->Count(), 2);
    EXPECT_THROW(engine->GetSoundDevices(), Error);
}

TEST_F(SoundDevices8Test, GuidsAreStableAcrossRoots) {
    auto engine = std::make_shared<SoundEngine8>();
    const std::string guid = engine->GetSoundDevices()->Item(1)->Guid();
    EXPECT_EQ(guid.size(), 38u);
    EXPECT_EQ(guid.front(), '{');
    EXPECT_EQ(guid.back(), '}');
    EndLibraryContext();
    auto again = std::make_shared<SoundEngine8>();
    EXPECT_EQ(again->GetSoundDevices()->Item(1)->Guid(), guid);
}

}  // namespace
