// Streams on a real-time output: a probe process plays a file through SoundDx8 on OpenAL Soft's
// "wave" backend, which mixes whole periods on its own clock like a sound card, and the recording
// must hold the file's tone exactly as long as it is, without a gap. (The loopback device renders
// on request and cannot run dry, so only a real-time output shows an underrun.)
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Recording {
    std::vector<float> left;
    int32_t rate = 0;
};

Recording ReadLeft(const std::filesystem::path& path) {
    Recording r;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return r;
    std::vector<float> all(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, all.data(), info.frames);
    sf_close(file);
    r.rate = info.samplerate;
    for (std::size_t i = 0; i < all.size(); i += static_cast<std::size_t>(info.channels)) r.left.push_back(all[i]);
    return r;
}

// The sounding stretch of a recording and the silences inside it.
struct Tone {
    double seconds = 0.0;
    int gaps = 0;           // runs of silence inside the tone
    double gapSeconds = 0.0;
};

Tone Measure(const Recording& r) {
    constexpr float kSound = 0.01f;    // a 0.5 sine is far above this except at its zero crossings
    constexpr float kSilence = 1e-4f;  // a dropout is digital silence
    constexpr std::size_t kShortestGap = 4;  // a 1 kHz sine never stays this near zero for 4 samples
    Tone t;
    std::size_t first = r.left.size(), last = 0;
    for (std::size_t i = 0; i < r.left.size(); ++i) {
        if (std::fabs(r.left[i]) > kSound) {
            first = std::min(first, i);
            last = i;
        }
    }
    if (first > last) return t;
    t.seconds = static_cast<double>(last - first + 1) / r.rate;
    std::size_t run = 0;
    for (std::size_t i = first; i <= last; ++i) {
        if (std::fabs(r.left[i]) < kSilence) {
            ++run;
            continue;
        }
        if (run >= kShortestGap) {
            ++t.gaps;
            t.gapSeconds += static_cast<double>(run) / r.rate;
        }
        run = 0;
    }
    return t;
}

struct Case {
    int32_t rate;
    int32_t period;     // frames the device mixes at once
    double seconds;     // of the file
    int32_t repeats;    // of the looping portion (the whole file)
    int32_t busyThreads;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.rate << " Hz, period " << c.period << ", " << c.seconds << " s x" << (c.repeats + 1) << ", "
        << c.busyThreads << " busy threads";
}

class RealTimeStream : public qxtest::SoundTest, public ::testing::WithParamInterface<Case> {};

TEST_P(RealTimeStream, SineComesOutWholeWithoutAGap) {
    const Case c = GetParam();
    // 1 kHz fits a whole number of cycles in the file, so a loop over its end is seamless.
    const auto input = Dir() / "sine.wav";
    qxtest::WriteWav(input, qxtest::Sine(c.seconds, 1000.0, 44100, 2), 2, 44100, SF_FORMAT_PCM_16);
    const auto output = Dir() / "out.wav";
    const std::string command = std::string(QXSOUND_WAVE_PROBE) + " " + (Dir() / "alsoft.conf").string() + " " +
                                output.string() + " " + std::to_string(c.rate) + " " + std::to_string(c.period) +
                                " " + input.string() + " " + std::to_string(c.repeats) + " " +
                                std::to_string(c.busyThreads);
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    const Recording recording = ReadLeft(output);
    ASSERT_EQ(recording.rate, c.rate);
    const Tone tone = Measure(recording);
    const double expected = c.seconds * (c.repeats + 1);
    EXPECT_NEAR(tone.seconds, expected, 0.002);
    EXPECT_EQ(tone.gaps, 0) << tone.gapSeconds << " s of silence inside the tone";
}

INSTANTIATE_TEST_SUITE_P(Periods, RealTimeStream,
                         ::testing::Values(Case{22050, 256, 1.0, 0, 0}, Case{44100, 1024, 1.5, 0, 0},
                                           Case{48000, 4096, 1.5, 0, 0}, Case{22050, 8192, 1.5, 0, 0}));
// Both cores loaded beside the game's sound, as when Mesa renders on every core.
INSTANTIATE_TEST_SUITE_P(BusyMachine, RealTimeStream, ::testing::Values(Case{44100, 2048, 1.5, 0, 2}));
// A looping portion crossing the file's end twice.
INSTANTIATE_TEST_SUITE_P(Looping, RealTimeStream, ::testing::Values(Case{48000, 1024, 0.5, 2, 0}));

}  // namespace
