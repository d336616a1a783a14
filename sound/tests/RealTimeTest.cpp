// Streams on a real-time output: a probe process plays a file through SoundDx8 on OpenAL Soft's
// "wave" backend, which mixes whole periods on its own clock like a sound card, and the recording
// must hold the file's tone exactly as long as it is, without a gap. (The loopback device renders
// on request and cannot run dry, so only a real-time output shows an underrun.)
#include "RealTimeRecording.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdlib>
#include <string>

namespace {

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
    const auto record = [&]() -> std::filesystem::path {
        const std::string command = qxtest::WaveProbeCommand(Dir() / "alsoft.conf", output, c.rate, c.period, "segment",
                                                             input, c.repeats, c.busyThreads);
        return std::system(command.c_str()) == 0 ? output : std::filesystem::path();
    };
    EXPECT_TRUE(qxtest::RecordsWholeTone(record, c.rate, c.seconds * (c.repeats + 1), 0.002));
}

INSTANTIATE_TEST_SUITE_P(Periods, RealTimeStream,
                         ::testing::Values(Case{22050, 256, 1.0, 0, 0}, Case{44100, 1024, 1.5, 0, 0},
                                           Case{48000, 4096, 1.5, 0, 0}, Case{22050, 8192, 1.5, 0, 0}));
// Both cores loaded beside the game's sound, as when Mesa renders on every core.
INSTANTIATE_TEST_SUITE_P(BusyMachine, RealTimeStream, ::testing::Values(Case{44100, 2048, 1.5, 0, 2}));
// A looping portion crossing the file's end twice.
INSTANTIATE_TEST_SUITE_P(Looping, RealTimeStream, ::testing::Values(Case{48000, 1024, 0.5, 2, 0}));

}  // namespace
