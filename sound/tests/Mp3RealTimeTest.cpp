// MP3 playback on a real-time output: a probe process plays a steady-tone MP3 through SoundMp38 on
// OpenAL Soft's "wave" backend, which mixes whole periods on its own clock like a sound card, and the
// recording must hold the tone for the file's whole length without a gap. (The loopback device
// renders on request and cannot run dry, so only a real-time output shows an underrun.)
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The left channel of a recording.
std::vector<float> ReadLeft(const std::filesystem::path& path, int32_t& rate) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return {};
    std::vector<float> all(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, all.data(), info.frames);
    sf_close(file);
    rate = info.samplerate;
    std::vector<float> left;
    for (std::size_t i = 0; i < all.size(); i += static_cast<std::size_t>(info.channels)) left.push_back(all[i]);
    return left;
}

// The sounding stretch of a recording and the silences inside it.
struct Tone {
    double seconds = 0.0;
    int gaps = 0;
    double gapSeconds = 0.0;
};

Tone Measure(const std::vector<float>& left, int32_t rate) {
    constexpr float kSound = 0.01f;    // a 0.5 sine is far above this except at its zero crossings
    constexpr float kSilence = 1e-4f;  // a dropout is (near) digital silence
    constexpr std::size_t kShortestGap = 4;  // a 1 kHz sine never stays this near zero for 4 samples
    Tone t;
    std::size_t first = left.size(), last = 0;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (std::fabs(left[i]) > kSound) {
            first = std::min(first, i);
            last = i;
        }
    }
    if (first > last) return t;
    t.seconds = static_cast<double>(last - first + 1) / rate;
    std::size_t run = 0;
    for (std::size_t i = first; i <= last; ++i) {
        if (std::fabs(left[i]) < kSilence) {
            ++run;
            continue;
        }
        if (run >= kShortestGap) {
            ++t.gaps;
            t.gapSeconds += static_cast<double>(run) / rate;
        }
        run = 0;
    }
    return t;
}

struct Case {
    int32_t rate;    // of the device
    int32_t period;  // frames the device mixes at once
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.rate << " Hz, period " << c.period; }

class Mp3RealTime : public qxtest::SoundTest, public ::testing::WithParamInterface<Case> {};

TEST_P(Mp3RealTime, SteadyToneComesOutWholeWithoutAGap) {
    const Case c = GetParam();
    constexpr double kSeconds = 2.0;
    const auto wav = Dir() / "tone.wav";
    const auto mp3 = Dir() / "tone.mp3";
    qxtest::WriteWav(wav, qxtest::Sine(kSeconds, 1000.0, 44100, 2), 2, 44100, SF_FORMAT_PCM_16);
    const std::string lame = "lame --quiet -b 192 '" + wav.string() + "' '" + mp3.string() + "'";
    ASSERT_EQ(std::system(lame.c_str()), 0) << lame;

    const auto output = Dir() / "out.wav";
    const std::string command = std::string(QXSOUND_MP3_WAVE_PROBE) + " " + (Dir() / "alsoft.conf").string() + " " +
                                output.string() + " " + std::to_string(c.rate) + " " + std::to_string(c.period) +
                                " " + mp3.string();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    int32_t rate = 0;
    const auto left = ReadLeft(output, rate);
    ASSERT_EQ(rate, c.rate);
    const Tone tone = Measure(left, rate);
    EXPECT_NEAR(tone.seconds, kSeconds, 0.005);
    EXPECT_EQ(tone.gaps, 0) << tone.gapSeconds << " s of silence inside the tone";
}

INSTANTIATE_TEST_SUITE_P(Periods, Mp3RealTime,
                         ::testing::Values(Case{44100, 1024}, Case{22050, 256}, Case{48000, 4096}));

}  // namespace
