#include "RealTimeRecording.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace qxtest {

Tone MeasureTone(const Recording& r) {
    constexpr float kSound = 0.01f;          // a 0.5 sine is far above this except at its zero crossings
    constexpr float kSilence = 1e-4f;        // a dropout is (near) digital silence
    constexpr std::size_t kShortestGap = 4;  // a 1 kHz sine never stays this near zero for 4 samples
    Tone t;
    std::size_t first = r.left.size(), last = 0;
    for (std::size_t i = 0; i < r.left.size(); ++i) {
        if (std::fabs(r.left[i]) > kSound) {
            first = std::min(first, i);
            last = i;
        }
    }
    if (first > last || r.rate == 0) return t;
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

::testing::AssertionResult RecordsWholeTone(const std::function<std::filesystem::path()>& record, int32_t rate,
                                            double seconds, double tolerance, int takes) {
    std::ostringstream failures;
    for (int take = 1; take <= takes; ++take) {
        const std::filesystem::path file = record();
        if (file.empty()) return ::testing::AssertionFailure() << "take " << take << ": the player failed";
        const Recording recording = ReadRecording(file);
        if (recording.rate != rate)
            return ::testing::AssertionFailure() << "take " << take << ": recorded at " << recording.rate << " Hz";
        const Tone tone = MeasureTone(recording);
        if (std::fabs(tone.seconds - seconds) <= tolerance && tone.gaps == 0) return ::testing::AssertionSuccess();
        failures << "take " << take << ": " << tone.seconds << " s of tone (" << seconds << " expected) with "
                 << tone.gaps << " gaps, " << tone.gapSeconds << " s of silence; ";
    }
    return ::testing::AssertionFailure() << failures.str();
}

std::string WaveProbeCommand(const std::filesystem::path& conf, const std::filesystem::path& output, int32_t rate,
                             int32_t period, const std::string& kind, const std::filesystem::path& input,
                             int32_t repeats, int32_t busyThreads) {
    std::ostringstream command;
    command << QXSOUND_WAVE_PROBE << " '" << conf.string() << "' '" << output.string() << "' " << rate << ' ' << period
            << ' ' << kind << " '" << input.string() << "' " << repeats << ' ' << busyThreads;
    return command.str();
}

}  // namespace qxtest
