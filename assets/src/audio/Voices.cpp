#include "audio/Voices.h"

#include <cmath>

namespace orvane::assets::audio {

double NoteFrequency(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

Signal Brass(double frequency, double seconds, double release) {
    Signal out = Silence(seconds + release);
    Oscillator a(Oscillator::Shape::Saw, 0.0), b(Oscillator::Shape::Saw, 0.37), sub(Oscillator::Shape::Square, 0.1);
    Biquad filter;
    const Envelope shape{{0, 0}, {0.02, 1.0}, {0.12, 0.8}};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        const double vibrato = 1.0 + 0.004 * std::sin(2 * kPi * 5.5 * t) * std::min(1.0, t / 0.25);
        const double x = a.Next(frequency * 1.003 * vibrato) + b.Next(frequency * 0.997 * vibrato) +
                         0.3 * sub.Next(frequency * 0.5);
        const double brightness = 1.5 + 5.0 * AttackDecay(t, 0.04, 0.3) + 1.5 * std::min(1.0, t / 0.05);
        if (i % kControlRate == 0) filter.SetLowpass(frequency * brightness, 0.9);
        double amp = shape.At(t);
        if (t > seconds) amp *= std::max(0.0, 1.0 - (t - seconds) / release);
        out[i] = static_cast<float>(0.3 * amp * filter.Process(static_cast<float>(x)));
    }
    return out;
}

Signal Bell(double frequency, double seconds) {
    Signal out = Modal({{frequency, 1.0, 0.9},
                        {frequency * 2.0, 0.45, 0.6},
                        {frequency * 2.76, 0.35, 0.35},
                        {frequency * 5.40, 0.2, 0.18},
                        {frequency * 8.93, 0.12, 0.09}},
                       seconds);
    FadeEdges(out, 0.001, 0.05);
    Amplify(out, 0.4);
    return out;
}

Signal Beep(double frequency, double seconds) {
    Signal out = Silence(seconds);
    Oscillator osc(Oscillator::Shape::Square);
    OnePole tone;
    for (auto& s : out) s = 0.5f * tone.Process(osc.Next(frequency), 4000);
    FadeEdges(out, 0.004, 0.008);
    return out;
}

Signal Timpani(double frequency, double seconds, std::uint64_t seed) {
    Signal out = Silence(seconds);
    Oscillator body(Oscillator::Shape::Sine);
    Noise skin(seed);
    Biquad skinFilter;
    skinFilter.SetBandpass(frequency * 4, 1.2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        const double f = frequency * (1.0 + 0.15 * std::exp(-t / 0.03));
        out[i] = static_cast<float>(0.8 * body.Next(f) * AttackDecay(t, 0.002, 0.45) +
                                    0.4 * skinFilter.Process(skin.White()) * AttackDecay(t, 0.001, 0.05));
    }
    FadeEdges(out, 0.0, 0.05);
    return out;
}

}  // namespace orvane::assets::audio
