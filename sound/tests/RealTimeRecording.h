// Recordings of OpenAL Soft's "wave" backend, which mixes whole periods on its own clock like a sound
// card and writes what it mixed to a file: how long a steady tone sounds in one and the silences
// inside it.
#pragma once

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qxtest {

// The sounding stretch of a recording and the silences inside it.
struct Tone {
    double seconds = 0.0;
    int gaps = 0;  // runs of digital silence inside the tone
    double gapSeconds = 0.0;
};

// For a sine of at least 1 kHz and amplitude 0.5 or so: a gap is 4 or more samples of digital
// silence, which such a sine never holds.
Tone MeasureTone(const Recording& recording);

// Takes a recording with `record` (which returns the recording's file, or an empty path when the
// player failed) until the tone lasts `seconds` within `tolerance` at `rate` without a gap. A queue
// too short for the device leaves gaps in every take; a machine so busy that it does not run the
// process at all leaves them at random, so a take is repeated up to `takes` times before failing.
::testing::AssertionResult RecordsWholeTone(const std::function<std::filesystem::path()>& record, int32_t rate,
                                            double seconds, double tolerance, int takes = 3);

// The command line of the wave probe (qxsound_wave_probe), which writes its own OpenAL Soft
// configuration to `conf` so the device of its process is a wave recorder of `rate` and `period`.
std::string WaveProbeCommand(const std::filesystem::path& conf, const std::filesystem::path& output, int32_t rate,
                             int32_t period, const std::string& kind, const std::filesystem::path& input,
                             int32_t repeats = 0, int32_t busyThreads = 0);

}  // namespace qxtest
