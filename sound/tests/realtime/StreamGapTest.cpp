// Streams heard in real time: the CD and module players on an OpenAL Soft "wave" device, which
// plays at the real rate and writes what it plays to a file. Run by ctest with ALSOFT_DRIVERS=wave,
// ALSOFT_CONF naming a configuration whose [wave] file is QXSOUND_WAVE_FILE, one test a process.
#include "TestSupport.h"

#include <qxsound/SoundCd8.h>
#include <qxsound/SoundEngine8.h>
#include <qxsound/SoundModule8.h>
#include <qxsound/modGlobal.h>

#include "Mci.h"

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace qxsound;
using namespace qxtest;

namespace {

// The sounding stretch of a recording: from the first to the last sample above a tenth of the
// peak, in seconds, and the longest stretch inside it (in milliseconds) without such a sample.
struct Sounding {
    double seconds = 0;
    double longestGapMs = 0;
};

Sounding Measure(const Recording& r) {
    Sounding s;
    const float threshold = 0.1f * Peak(r.left);
    std::size_t first = r.left.size(), last = 0, quietSince = 0, longest = 0;
    for (std::size_t i = 0; i < r.left.size(); ++i) {
        if (std::fabs(r.left[i]) < threshold) continue;
        if (first == r.left.size()) first = i;
        else longest = std::max(longest, i - quietSince);
        last = quietSince = i;
    }
    if (first >= last || r.rate == 0) return s;
    s.seconds = static_cast<double>(last - first) / r.rate;
    s.longestGapMs = 1000.0 * static_cast<double>(longest) / r.rate;
    return s;
}

void Finish() {
    platform::mciSendString("close all", nullptr, 0);
    EndLibraryContext();  // closes the device, which completes the file
}

// A sine of 441 Hz has a sample above a tenth of its peak at least every 0.1 ms; anything much
// longer is a gap in the stream.
constexpr double kLongestQuietMs = 3.0;

TEST(StreamGap, CdTrackPlaysItsFullLengthWithoutGaps) {
    ASSERT_NE(std::getenv("QXSOUND_WAVE_FILE"), nullptr);
    const auto dir = std::filesystem::temp_directory_path() / ("qxsound-realtime-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto disc = WriteCdImage(dir, "tone", {3}, {441});
    {
        auto engine = std::make_shared<SoundEngine8>();
        SoundCd8 cd;
        ASSERT_TRUE(cd.Load(disc.string()));
        ASSERT_TRUE(cd.Play());
        // A play while playing goes on without a break.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        ASSERT_TRUE(cd.Play());
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(6);
        while (cd.PlayState() == QX_PLAYSTATE_PLAYING && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(cd.PlayState(), QX_PLAYSTATE_ENDED);
    }
    Finish();
    std::filesystem::remove_all(dir);
    const Sounding s = Measure(ReadRecording(std::getenv("QXSOUND_WAVE_FILE")));
    EXPECT_NEAR(s.seconds, 3.0, 0.02);
    EXPECT_LT(s.longestGapMs, kLongestQuietMs);
}

TEST(StreamGap, ModulePlaysWithoutGaps) {
    ASSERT_NE(std::getenv("QXSOUND_WAVE_FILE"), nullptr);
    const auto dir = std::filesystem::temp_directory_path() / ("qxsound-realtime-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto song = dir / "tone.mod";
    WriteBytes(song, ModBytes(16));
    {
        auto engine = std::make_shared<SoundEngine8>();
        ASSERT_TRUE(engine->ModSupportAvailable());
        SoundModule8 module;
        module.Load(song.string());
        module.Play();
        std::this_thread::sleep_for(std::chrono::seconds(3));  // past the end: the player loops
        EXPECT_EQ(module.PlayState(), QX_PLAYSTATE_PLAYING);
        module.Stop_();
    }
    Finish();
    std::filesystem::remove_all(dir);
    const Sounding s = Measure(ReadRecording(std::getenv("QXSOUND_WAVE_FILE")));
    EXPECT_NEAR(s.seconds, 3.0, 0.1);
    // The module's tone is about 259 Hz: above a tenth of its peak at least every 0.4 ms or so.
    EXPECT_LT(s.longestGapMs, kLongestQuietMs);
}

}  // namespace
