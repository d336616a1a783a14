// A small synthesis toolkit for the sound effects: oscillators, noise, envelopes, filters, mixing
// and loudness normalisation. Signals are mono float buffers at kSampleRate, nominally in [-1, 1].
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvane::assets::audio {

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;
// Swept filters recompute their coefficients once per this many samples.
constexpr std::size_t kControlRate = 16;

using Signal = std::vector<float>;

// Number of samples in a duration (rounded down).
std::size_t Samples(double seconds);
inline double TimeOf(std::size_t index) { return static_cast<double>(index) / kSampleRate; }

// Deterministic generator (xorshift64*): the same seed gives the same sequence everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}
    std::uint64_t Next();
    double Uniform();  // [0, 1)
    double Bipolar();  // [-1, 1)

private:
    std::uint64_t state_;
};

// A phase-accumulating oscillator; saw and square are band-limited with polyBLEP.
class Oscillator {
public:
    enum class Shape { Sine, Saw, Square, Triangle };
    explicit Oscillator(Shape shape, double phase = 0.0) : shape_(shape), phase_(phase) {}
    // One sample at the given frequency; the frequency may change from sample to sample.
    float Next(double frequency);

private:
    Shape shape_;
    double phase_;
};

// Noise colours.
class Noise {
public:
    explicit Noise(std::uint64_t seed) : random_(seed) {}
    float White() { return static_cast<float>(random_.Bipolar()); }
    float Pink();   // about -3 dB per octave (Paul Kellet's economy filter)
    float Brown();  // about -6 dB per octave, leaky integrator

private:
    Random random_;
    double b0_ = 0, b1_ = 0, b2_ = 0, brown_ = 0;
};

// Piecewise-linear envelope through (time, level) points; before the first point the first level holds,
// after the last point the last level holds.
class Envelope {
public:
    Envelope(std::initializer_list<std::pair<double, double>> points) : points_(points) {}
    double At(double t) const;

private:
    std::vector<std::pair<double, double>> points_;
};

// exp(-t / tau) for t >= 0, with a linear attack of the given length before it.
double AttackDecay(double t, double attack, double tau);

// Second-order filter (RBJ cookbook). Coefficients may be set anew every sample for sweeps.
class Biquad {
public:
    void SetLowpass(double frequency, double q);
    void SetHighpass(double frequency, double q);
    void SetBandpass(double frequency, double q);  // unity gain at the centre
    float Process(float x);

private:
    void Set(double b0, double b1, double b2, double a0, double a1, double a2);
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// One-pole low-pass, cheap smoothing and darkening.
class OnePole {
public:
    float Process(float x, double cutoff);

private:
    double y_ = 0;
};

// A bank of exponentially decaying sine partials (struck metal, bells, modal bodies).
struct Partial {
    double frequency;
    double amplitude;
    double decay;  // time constant in seconds
};
Signal Modal(const std::vector<Partial>& partials, double seconds, double startPhase = 0.0);

// Buffer helpers.
Signal Silence(double seconds);
void MixInto(Signal& target, const Signal& source, double atSeconds, double gain = 1.0);
void Amplify(Signal& signal, double gain);
void FadeEdges(Signal& signal, double fadeIn, double fadeOut);  // raised-cosine ramps
void RemoveDc(Signal& signal);
// A short feedback-delay echo network for a sense of space.
void AddEcho(Signal& signal, double delay, double feedback, double mix);

// Loudness: RMS over 50 ms blocks, gated to the blocks within 20 dB of the loudest one
// (so a long quiet tail does not lower the figure). Returned as a linear amplitude.
double GatedRms(const Signal& signal);
double Peak(const Signal& signal);
double ToDb(double amplitude);
double FromDb(double db);

// Brings the gated RMS to targetDb (dBFS) with a look-ahead peak limiter holding every sample at or
// below ceilingDb. Silent input stays silent.
void Normalise(Signal& signal, double targetDb, double ceilingDb);

}  // namespace orvane::assets::audio
