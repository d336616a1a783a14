// Generating the visual data again gives byte-identical files to the build's data directory.
#include "Generator.h"
#include "ImageFile.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <set>
#include <string>

namespace orvane::assets::visual::test {
namespace {

TEST(VisualDeterminism, RegeneratedFilesMatchTheBuildsDataByteForByte) {
    const std::set<std::string> visual = {"effects", "hud", "hulls", "models", "screens", "sky", "terrain"};
    const auto dir = std::filesystem::temp_directory_path() / ("orvane_visual_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::set<std::string> ran;
    for (const auto& g : Generators())
        if (visual.count(g.name)) {
            g.write(dir);
            ran.insert(g.name);
        }
    EXPECT_EQ(ran, visual);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const auto name = entry.path().filename();
        SCOPED_TRACE(name.string());
        ASSERT_TRUE(std::filesystem::exists(kDataDir / name));
        EXPECT_TRUE(ReadBytes(entry.path()) == ReadBytes(kDataDir / name));
        ++files;
    }
    EXPECT_GT(files, 120);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace orvane::assets::visual::test
