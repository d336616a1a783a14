// Generating the audio twice gives the same bytes, and the same bytes as the build's data directory.
#include <gtest/gtest.h>

#include <unistd.h>

#include "AudioFileReaders.h"
#include "Generator.h"

namespace orvane::assets::audio {
namespace {

namespace fs = std::filesystem;

class TempDir {
public:
    explicit TempDir(const std::string& tag)
        : path_(fs::temp_directory_path() / ("orvane-audio-" + tag + "-" + std::to_string(::getpid()))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

void RunGenerator(const std::string& name, const fs::path& dir) {
    for (const auto& g : Generators())
        if (g.name == name) return g.write(dir);
    FAIL() << "no generator named " << name;
}

TEST(AudioGeneration, IsDeterministic) {
    for (const std::string name : {"sounds", "music"}) {
        SCOPED_TRACE(name);
        TempDir first(name + "-1"), second(name + "-2");
        RunGenerator(name, first.Path());
        RunGenerator(name, second.Path());
        int files = 0;
        for (const auto& entry : fs::directory_iterator(first.Path())) {
            const auto file = entry.path().filename();
            SCOPED_TRACE(file.string());
            const auto bytes = readers::ReadFileBytes(entry.path());
            EXPECT_EQ(bytes, readers::ReadFileBytes(second.Path() / file));
            EXPECT_EQ(bytes, readers::ReadFileBytes(fs::path(ORVANE_DATA_DIR) / file));
            ++files;
        }
        EXPECT_EQ(files, name == "sounds" ? 10 : 13);
    }
}

}  // namespace
}  // namespace orvane::assets::audio
