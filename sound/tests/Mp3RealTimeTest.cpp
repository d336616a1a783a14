// MP3 playback on a real-time output: a probe process plays a steady-tone MP3 through SoundMp38 on
// OpenAL Soft's "wave" backend, which mixes whole periods on its own clock like a sound card, and the
// recording must hold the tone for the file's whole length without a gap. (The loopback device
// renders on request and cannot run dry, so only a real-time output shows an underrun.)
#include "RealTimeRecording.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdlib>
#include <string>

namespace {

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
    const auto record = [&]() -> std::filesystem::path {
        const std::string command = qxtest::WaveProbeCommand(Dir() / "alsoft.conf", output, c.rate, c.period, "mp3", mp3);
        return std::system(command.c_str()) == 0 ? output : std::filesystem::path();
    };
    EXPECT_TRUE(qxtest::RecordsWholeTone(record, c.rate, kSeconds, 0.005));
}

INSTANTIATE_TEST_SUITE_P(Periods, Mp3RealTime,
                         ::testing::Values(Case{44100, 1024}, Case{22050, 256}, Case{48000, 4096}));

}  // namespace
