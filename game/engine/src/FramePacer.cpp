#include "FramePacer.h"

#include <algorithm>
#include <cmath>

namespace quarvex::detail {

int FramePacer::SwapInterval(int hz) {
    if (hz <= 0) return 1;  // unknown: displays run at 60 Hz or faster
    // Reported rates are rounded (59.94 Hz comes as 59 or 60), so allow a hertz either way.
    const int frames = static_cast<int>(std::lround(hz / kFramesPerSecond));
    if (frames >= 1 && std::abs(hz - frames * kFramesPerSecond) <= frames) return frames;
    return hz > kFramesPerSecond ? 1 : 0;
}

double FramePacer::WaitBefore(double now) const { return started_ ? std::max(0.0, due_ - now) : 0.0; }

void FramePacer::Shown(double now) {
    if (!started_ || now - due_ >= kPeriod) {
        due_ = now + kPeriod;
        started_ = true;
    } else {
        due_ += kPeriod;  // a little late: the next frame makes up for it, keeping 60 on average
    }
}

}  // namespace quarvex::detail
