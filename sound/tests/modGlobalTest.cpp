#include "TestSupport.h"

#include "LibraryContext.h"

#include <qxsound/SoundEngine8.h>
#include <qxsound/modGlobal.h>

using namespace qxsound;

namespace {

TEST(FileNameHelpers, ExtensionAndTitleOfWindowsAndPosixPaths) {
    EXPECT_EQ(FileExtension("C:\\music\\song.mid"), "mid");
    EXPECT_EQ(FileTitleWithoutExtension("C:\\music\\song.mid"), "song");
    EXPECT_EQ(FileTitleWithoutExtension("a.b.wav"), "a.b");
    EXPECT_EQ(FileExtension("a.b.wav"), "wav");
    EXPECT_EQ(FileExtension("/srv/Sounds/BOOM.WAV"), "WAV");  // case kept
    EXPECT_EQ(FileTitleWithoutExtension("/srv/Sounds/BOOM.WAV"), "BOOM");
}

TEST(FileNameHelpers, TitleWithoutDotIsGivenWhole) {
    EXPECT_EQ(FileExtension("README"), "README");
    EXPECT_EQ(FileTitleWithoutExtension("README"), "README");
    // A dot in a directory name is not the title's.
    EXPECT_EQ(FileExtension("/data.d/README"), "README");
    EXPECT_EQ(FileTitleWithoutExtension("C:\\x.y\\README"), "README");
    EXPECT_EQ(FileExtension("dir/"), "");
}

TEST(FileNameHelpers, TrimAtNull) {
    EXPECT_EQ(TrimAtNull(std::string("abc\0def", 7)), "abc");
    EXPECT_EQ(TrimAtNull("abc"), "abc");
    EXPECT_EQ(TrimAtNull(std::string("\0x", 2)), "");
    EXPECT_EQ(FileExtension(std::string("song.mid\0garbage.txt", 20)), "mid");
}

TEST(BinaryText, ReadsPlacesAndCountsOtherCharactersAsZero) {
    EXPECT_EQ(BinaryTextToLong(""), 0);
    EXPECT_EQ(BinaryTextToLong("101"), 5);
    EXPECT_EQ(BinaryTextToLong("0001"), 1);
    EXPECT_EQ(BinaryTextToLong("1x1"), 5);
    EXPECT_EQ(BinaryTextToLong("11111111111"), 2047);
    EXPECT_EQ(BinaryTextToLong(std::string(31, '1')), 0x7FFFFFFF);
}

class LibraryContextTest : public qxtest::SoundTest {};

TEST_F(LibraryContextTest, EngineFillsAndTeardownEmptiesTheContext) {
    auto recorder = UseRecordingPlatform();
    EXPECT_TRUE(LibraryContextIsEmpty());
    {
        auto engine = std::make_shared<SoundEngine8>();
        EXPECT_TRUE(LibraryContextHasEngine());
        const LibraryContext& c = Context();
        EXPECT_TRUE(c.root && c.outputDevice && c.performance && c.loader);
        EXPECT_NE(c.windowHandle, 0);
        EXPECT_NE(c.modPlayerHandle, 0);
    }
    // The host released the engine; the context keeps it.
    EXPECT_TRUE(LibraryContextHasEngine());
    EXPECT_EQ(recorder->CountOf("CloseDown"), 0u);
    EndLibraryContext();
    EXPECT_TRUE(LibraryContextIsEmpty());
    EXPECT_EQ(recorder->CountOf("CloseDown"), 1u);
}

TEST_F(LibraryContextTest, ContextIsPerThread) {
    UseRecordingPlatform();
    auto engine = std::make_shared<SoundEngine8>();
    bool otherThreadEmpty = false;
    std::thread([&] { otherThreadEmpty = LibraryContextIsEmpty(); }).join();
    EXPECT_TRUE(otherThreadEmpty);
    EXPECT_TRUE(LibraryContextHasEngine());
}

TEST_F(LibraryContextTest, HiddenWindowLivesWithTheContext) {
    const int32_t first = HiddenWindowHandle();
    EXPECT_NE(first, 0);
    EXPECT_EQ(HiddenWindowHandle(), first);
    EndLibraryContext();
    EXPECT_NE(HiddenWindowHandle(), first);
}

}  // namespace
