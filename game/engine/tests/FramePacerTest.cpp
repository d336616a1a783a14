// Frame pacing against simulated displays: 60 frames a second of the clock whatever the refresh.
#include "FramePacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using quarvex::detail::FramePacer;

namespace {

// A display refreshing `hz` times a second (0: no vsync, as under Xvfb), with the swap interval
// the pacer picks; each frame takes `draw` seconds to make before it waits and is swapped.
// Returns the times at which the frames became visible.
std::vector<double> ShownTimes(int hz, const std::vector<double>& draws) {
    FramePacer pacer;
    const int interval = hz > 0 ? FramePacer::SwapInterval(hz) : 0;
    const double refresh = hz > 0 ? 1.0 / hz : 0.0;
    std::vector<double> visible;
    double t = 0.0;
    long lastTick = -1000;
    for (double draw : draws) {
        t += draw;
        t += pacer.WaitBefore(t);
        pacer.Shown(t);
        if (interval > 0) {
            // A blocking swap: shown at the first refresh at least `interval` after the last one.
            const long tick = std::max(static_cast<long>(std::ceil(t / refresh - 1e-9)), lastTick + interval);
            lastTick = tick;
            t = tick * refresh;
        }
        visible.push_back(t);
    }
    return visible;
}

double FramesPerSecond(const std::vector<double>& visible) {
    return (visible.size() - 1) / (visible.back() - visible.front());
}

TEST(FramePacerTest, SwapIntervalFollowsTheRefresh) {
    EXPECT_EQ(FramePacer::SwapInterval(60), 1);
    EXPECT_EQ(FramePacer::SwapInterval(59), 1);  // 59.94 Hz, rounded down
    EXPECT_EQ(FramePacer::SwapInterval(120), 2);
    EXPECT_EQ(FramePacer::SwapInterval(119), 2);
    EXPECT_EQ(FramePacer::SwapInterval(240), 4);
    EXPECT_EQ(FramePacer::SwapInterval(144), 1);  // no whole multiple: the clock paces
    EXPECT_EQ(FramePacer::SwapInterval(75), 1);
    EXPECT_EQ(FramePacer::SwapInterval(90), 1);
    EXPECT_EQ(FramePacer::SwapInterval(50), 0);   // vsync would hold the game at 50
    EXPECT_EQ(FramePacer::SwapInterval(0), 1);    // unknown
}

TEST(FramePacerTest, SixtyFramesASecondOnEveryDisplay) {
    const std::vector<double> quick(1200, 0.004);  // 20 s of frames that take 4 ms to draw
    for (int hz : {0, 50, 60, 75, 120, 144, 165, 240}) {
        const auto visible = ShownTimes(hz, quick);
        EXPECT_NEAR(FramesPerSecond(visible), 60.0, 0.1) << hz << " Hz";
        // No frame shown for less than the whole refreshes that fit in a 60th of a second (without
        // vsync: less than a 60th of a second).
        double shortest = 1.0;
        for (size_t i = 1; i < visible.size(); ++i) shortest = std::min(shortest, visible[i] - visible[i - 1]);
        const double least = hz >= 60 ? (hz / 60) / static_cast<double>(hz) : FramePacer::kPeriod;
        EXPECT_GE(shortest, least - 1e-9) << hz << " Hz";
    }
}

TEST(FramePacerTest, WholeMultiplesOfSixtyHertzShowEveryFrameForTheSameTime) {
    for (int hz : {60, 120, 240}) {
        const auto visible = ShownTimes(hz, std::vector<double>(600, 0.006));
        for (size_t i = 1; i < visible.size(); ++i) {
            ASSERT_NEAR(visible[i] - visible[i - 1], FramePacer::kPeriod, 1e-9) << hz << " Hz, frame " << i;
        }
    }
}

TEST(FramePacerTest, ADisplaySlightlySlowerThanSixtyHertzIsFollowedNotOverrun) {
    // 59.94 Hz reported as 60: vsync sets the pace; the clock never makes frames wait longer.
    FramePacer pacer;
    const double refresh = 1.0 / 59.94;
    double t = 0.0;
    long tick = 0;
    for (int frame = 0; frame < 3000; ++frame) {
        t += 0.004;
        t += pacer.WaitBefore(t);
        pacer.Shown(t);
        tick = std::max(static_cast<long>(std::ceil(t / refresh - 1e-9)), tick + 1);
        t = tick * refresh;
    }
    EXPECT_EQ(tick, 3000);  // one refresh per frame, none skipped
}

TEST(FramePacerTest, SlowFramesAreNotFollowedByABurst) {
    // Half a second of frames too slow for 60 (a level change), then quick ones again.
    std::vector<double> draws(30, 0.025);
    draws.insert(draws.end(), 120, 0.002);
    const auto visible = ShownTimes(0, draws);
    for (size_t i = 31; i < visible.size(); ++i) {
        EXPECT_GE(visible[i] - visible[i - 1], FramePacer::kPeriod - 1e-9) << "frame " << i;
    }
    // Frames a little late are made up for by the next: the rate stays 60 with jittery drawing.
    std::vector<double> jittery;
    for (int i = 0; i < 1200; ++i) jittery.push_back(i % 2 ? 0.019 : 0.008);
    EXPECT_NEAR(FramesPerSecond(ShownTimes(0, jittery)), 60.0, 0.1);
}

}  // namespace
