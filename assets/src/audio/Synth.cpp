#include "audio/Synth.h"

#include <algorithm>
#include <cmath>

namespace orvane::assets::audio {

std::size_t Samples(double seconds) {
    return seconds <= 0 ? 0 : static_cast<std::size_t>(seconds * kSampleRate);
}

std::uint64_t Random::Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1Dull;
}

double Random::Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

double Random::Bipolar() { return 2.0 * Uniform() - 1.0; }

namespace {

// Residual that removes the aliasing step of a discontinuity at phase 0 (t in [0, 1), dt = f / fs).
double PolyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

}  // namespace

float Oscillator::Next(double frequency) {
    const double dt = std::clamp(frequency / kSampleRate, 0.0, 0.49);
    double value = 0.0;
    switch (shape_) {
        case Shape::Sine:
            value = std::sin(2.0 * kPi * phase_);
            break;
        case Shape::Saw:
            value = 2.0 * phase_ - 1.0 - PolyBlep(phase_, dt);
            break;
        case Shape::Square: {
            value = phase_ < 0.5 ? 1.0 : -1.0;
            value += PolyBlep(phase_, dt);
            value -= PolyBlep(std::fmod(phase_ + 0.5, 1.0), dt);
            break;
        }
        case Shape::Triangle:
            value = 1.0 - 4.0 * std::abs(phase_ - 0.5);
            break;
    }
    phase_ += dt;
    if (phase_ >= 1.0) phase_ -= 1.0;
    return static_cast<float>(value);
}

float Noise::Pink() {
    const double white = random_.Bipolar();
    b0_ = 0.99765 * b0_ + white * 0.0990460;
    b1_ = 0.96300 * b1_ + white * 0.2965164;
    b2_ = 0.57000 * b2_ + white * 1.0526913;
    return static_cast<float>((b0_ + b1_ + b2_ + white * 0.1848) * 0.25);
}

float Noise::Brown() {
    brown_ = (brown_ + 0.02 * random_.Bipolar()) / 1.02;
    return static_cast<float>(brown_ * 3.5);
}

double Envelope::At(double t) const {
    if (points_.empty()) return 0.0;
    if (t <= points_.front().first) return points_.front().second;
    for (std::size_t i = 1; i < points_.size(); ++i) {
        const auto& [t1, v1] = points_[i];
        if (t <= t1) {
            const auto& [t0, v0] = points_[i - 1];
            if (t1 <= t0) return v1;
            return v0 + (v1 - v0) * (t - t0) / (t1 - t0);
        }
    }
    return points_.back().second;
}

double AttackDecay(double t, double attack, double tau) {
    if (t < 0) return 0.0;
    if (t < attack) return t / attack;
    return std::exp(-(t - attack) / tau);
}

void Biquad::Set(double b0, double b1, double b2, double a0, double a1, double a2) {
    b0_ = b0 / a0;
    b1_ = b1 / a0;
    b2_ = b2 / a0;
    a1_ = a1 / a0;
    a2_ = a2 / a0;
}

namespace {
struct Trig {
    double cosw, alpha;
};
Trig Prepare(double frequency, double q) {
    const double f = std::clamp(frequency, 10.0, 0.45 * kSampleRate);
    const double w0 = 2.0 * kPi * f / kSampleRate;
    return {std::cos(w0), std::sin(w0) / (2.0 * std::max(q, 0.05))};
}
}  // namespace

void Biquad::SetLowpass(double frequency, double q) {
    const auto [c, alpha] = Prepare(frequency, q);
    Set((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::SetHighpass(double frequency, double q) {
    const auto [c, alpha] = Prepare(frequency, q);
    Set((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::SetBandpass(double frequency, double q) {
    const auto [c, alpha] = Prepare(frequency, q);
    Set(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
}

float Biquad::Process(float x) {
    const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return static_cast<float>(y);
}

float OnePole::Process(float x, double cutoff) {
    const double a = std::exp(-2.0 * kPi * std::clamp(cutoff, 1.0, 0.45 * kSampleRate) / kSampleRate);
    y_ = (1.0 - a) * x + a * y_;
    return static_cast<float>(y_);
}

Signal Modal(const std::vector<Partial>& partials, double seconds, double startPhase) {
    Signal out(Samples(seconds), 0.0f);
    for (const auto& p : partials) {
        // A decaying phasor rotated once per sample: (re, im) *= damping * e^(i w).
        const double w = 2.0 * kPi * p.frequency / kSampleRate;
        const double damping = std::exp(-1.0 / (p.decay * kSampleRate));
        const double stepRe = damping * std::cos(w), stepIm = damping * std::sin(w);
        double re = p.amplitude * std::cos(2.0 * kPi * startPhase), im = p.amplitude * std::sin(2.0 * kPi * startPhase);
        for (auto& sample : out) {
            sample += static_cast<float>(im);
            const double nextRe = re * stepRe - im * stepIm;
            im = re * stepIm + im * stepRe;
            re = nextRe;
        }
    }
    return out;
}

Signal Silence(double seconds) { return Signal(Samples(seconds), 0.0f); }

void MixInto(Signal& target, const Signal& source, double atSeconds, double gain) {
    const std::size_t offset = Samples(atSeconds);
    if (target.size() < offset + source.size()) target.resize(offset + source.size(), 0.0f);
    for (std::size_t i = 0; i < source.size(); ++i) target[offset + i] += static_cast<float>(gain * source[i]);
}

void Amplify(Signal& signal, double gain) {
    for (auto& s : signal) s = static_cast<float>(s * gain);
}

void FadeEdges(Signal& signal, double fadeIn, double fadeOut) {
    const std::size_t n = signal.size();
    const std::size_t in = std::min(Samples(fadeIn), n);
    const std::size_t out = std::min(Samples(fadeOut), n);
    for (std::size_t i = 0; i < in; ++i)
        signal[i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * static_cast<double>(i) / in));
    for (std::size_t i = 0; i < out; ++i)
        signal[n - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * static_cast<double>(i) / out));
}

void RemoveDc(Signal& signal) {
    // First-order DC blocker at about 20 Hz.
    double x1 = 0, y1 = 0;
    const double r = 1.0 - 2.0 * kPi * 20.0 / kSampleRate;
    for (auto& s : signal) {
        const double y = s - x1 + r * y1;
        x1 = s;
        y1 = y;
        s = static_cast<float>(y);
    }
}

void AddEcho(Signal& signal, double delay, double feedback, double mix) {
    const std::size_t d = std::max<std::size_t>(1, Samples(delay));
    Signal wet(signal.size(), 0.0f);
    for (std::size_t n = d; n < signal.size(); ++n)
        wet[n] = static_cast<float>(signal[n - d] + feedback * wet[n - d]);
    for (std::size_t n = 0; n < signal.size(); ++n) signal[n] += static_cast<float>(mix * wet[n]);
}

double GatedRms(const Signal& signal) {
    if (signal.empty()) return 0.0;
    const std::size_t block = std::min(Samples(0.05), signal.size());
    std::vector<double> energies;
    for (std::size_t start = 0; start + block <= signal.size(); start += block) {
        double sum = 0;
        for (std::size_t i = start; i < start + block; ++i) sum += static_cast<double>(signal[i]) * signal[i];
        energies.push_back(sum / block);
    }
    const double loudest = *std::max_element(energies.begin(), energies.end());
    if (loudest <= 0) return 0.0;
    double sum = 0;
    int count = 0;
    for (double e : energies) {
        if (e >= loudest * 0.01) {
            sum += e;
            ++count;
        }
    }
    return std::sqrt(sum / count);
}

double Peak(const Signal& signal) {
    double peak = 0;
    for (float s : signal) peak = std::max(peak, static_cast<double>(std::abs(s)));
    return peak;
}

double ToDb(double amplitude) { return 20.0 * std::log10(std::max(amplitude, 1e-12)); }
double FromDb(double db) { return std::pow(10.0, db / 20.0); }

namespace {

// Gain that keeps every sample at or below the ceiling: the per-sample requirement, minimum-filtered
// over a look-ahead window, box-smoothed over the same window (so it never exceeds the requirement)
// and released slowly.
void Limit(Signal& signal, double ceiling) {
    const std::size_t n = signal.size();
    if (n == 0) return;
    const std::size_t half = Samples(0.0015);
    const std::size_t width = 2 * half + 1;
    std::vector<double> need(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double a = std::abs(signal[i]);
        need[i] = a > ceiling ? ceiling / a : 1.0;
    }
    // Sliding minimum over [i - half, i + half] (van Herk / Gil-Werman: block-wise prefix and suffix
    // minima of the requirement padded with 1 on both sides).
    const std::size_t padded = n + 2 * half;
    auto at = [&](std::size_t j) { return j < half || j >= half + n ? 1.0 : need[j - half]; };
    std::vector<double> prefix(padded), suffix(padded);
    for (std::size_t j = 0; j < padded; ++j)
        prefix[j] = j % width == 0 ? at(j) : std::min(prefix[j - 1], at(j));
    for (std::size_t j = padded; j-- > 0;)
        suffix[j] = (j + 1) % width == 0 || j + 1 == padded ? at(j) : std::min(suffix[j + 1], at(j));
    std::vector<double> windowMin(n);
    for (std::size_t i = 0; i < n; ++i) windowMin[i] = std::min(suffix[i], prefix[i + width - 1]);
    // Box average over the same window, edges padded with the edge values (which are themselves
    // minima over windows containing the samples near the edge), so it never exceeds the requirement.
    std::vector<double> sums(n + 1, 0.0);
    for (std::size_t i = 0; i < n; ++i) sums[i + 1] = sums[i] + windowMin[i];
    std::vector<double> gain(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t lo = i >= half ? i - half : 0;
        const std::size_t hi = std::min(n - 1, i + half);
        const double inside = sums[hi + 1] - sums[lo];
        const double edges = static_cast<double>(half - (i - lo)) * windowMin[0] +
                             static_cast<double>(half - (hi - i)) * windowMin[n - 1];
        gain[i] = (inside + edges) / width;
    }
    const double release = 1.0 - std::exp(-1.0 / (0.08 * kSampleRate));
    double g = 1.0;
    for (std::size_t i = 0; i < n; ++i) {
        g = std::min(gain[i], g + (1.0 - g) * release);
        double y = signal[i] * g;
        y = std::clamp(y, -ceiling, ceiling);
        signal[i] = static_cast<float>(y);
    }
}

}  // namespace

void Normalise(Signal& signal, double targetDb, double ceilingDb) {
    const double target = FromDb(targetDb);
    const double ceiling = FromDb(ceilingDb);
    for (int pass = 0; pass < 5; ++pass) {
        const double rms = GatedRms(signal);
        if (rms <= 0) return;
        if (pass > 0 && std::abs(ToDb(rms / target)) < 0.05) return;
        Amplify(signal, target / rms);
        if (Peak(signal) > ceiling) Limit(signal, ceiling);
    }
}

}  // namespace orvane::assets::audio
