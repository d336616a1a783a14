// Frame pacing: the game moves a fixed amount per frame, so frames are shown 60 times a second of
// the clock whatever the display refreshes at. Plain arithmetic on seconds, no display needed.
#pragma once

namespace quarvex::detail {

class FramePacer {
public:
    static constexpr double kFramesPerSecond = 60.0;
    static constexpr double kPeriod = 1.0 / kFramesPerSecond;

    // The vsync swap interval for a display refreshing `hz` times a second (0 when unknown): the
    // refreshes per frame where the refresh is a whole multiple of 60 Hz (an even cadence); 1 on
    // other displays faster than 60 Hz (no tearing, the clock holds the rate); 0 on slower ones,
    // where waiting for the refresh would hold the game below 60.
    static int SwapInterval(int hz);

    // Seconds to wait from `now` before the finished frame may be shown (0 when it is due).
    double WaitBefore(double now) const;
    // The frame was shown (let go to the display) at `now`: the next one is due a period after
    // this one was. A frame more than a period late starts the schedule afresh, so that slow
    // frames are never followed by a burst of fast ones to catch up.
    void Shown(double now);
    // Forgets the schedule (pacing switched off and on again).
    void Restart() { started_ = false; }

private:
    bool started_ = false;
    double due_ = 0.0;  // when the next frame may be shown
};

}  // namespace quarvex::detail
