#include "audio/SoundEffects.h"

#include <algorithm>
#include <cmath>

#include "audio/Voices.h"

namespace orvane::assets::audio {

const std::vector<SoundEffect>& SoundEffects() {
    static const std::vector<SoundEffect> effects = {
        {"explosin.wav", &Explosion},       {"lancio3.wav", &Launch},         {"scontro.wav", &Crash},
        {"scontro1.wav", &HazardContact},   {"inizio.wav", &StartJingle},     {"sparatoria.wav", &Alarm},
        {"fuori2.wav", &OutOfBounds},       {"bonus2.wav", &BonusChime},      {"livellook.wav", &LevelComplete},
        {"gameover1.wav", &GameOverSting},
    };
    return effects;
}

Signal RenderEffect(const SoundEffect& effect) {
    Signal signal = effect.render();
    RemoveDc(signal);
    FadeEdges(signal, 0.002, 0.02);
    Normalise(signal, kEffectLoudnessDb, kEffectCeilingDb);
    FadeEdges(signal, 0.002, 0.02);  // the limiter may have lifted the very edges
    return signal;
}

Signal Explosion() {
    const double length = 2.4;
    Signal out = Silence(length);
    Noise noise(0xE1'0510);
    Noise rumbleNoise(0xE1'0511);
    Random debris(0xE1'0512);
    Biquad crackFilter, bodyFilter, rumbleFilter, debrisFilter;
    crackFilter.SetHighpass(1500, 0.7);
    rumbleFilter.SetLowpass(110, 0.9);
    debrisFilter.SetBandpass(2500, 2.0);
    Oscillator sub(Oscillator::Shape::Sine);
    double debrisEnergy = 0, debrisTarget = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        const float white = noise.White();
        const double crack = crackFilter.Process(white) * std::exp(-t / 0.012);
        if (i % kControlRate == 0) bodyFilter.SetLowpass(150 + 4500 * std::exp(-t / 0.22), 0.8);
        const double body = bodyFilter.Process(white) * AttackDecay(t, 0.004, 0.42);
        const double rumble = rumbleFilter.Process(rumbleNoise.Brown()) * AttackDecay(t, 0.015, 0.8);
        const double thump = sub.Next(28 + 45 * std::exp(-t / 0.35)) * AttackDecay(t, 0.006, 0.45);
        // Debris: sparse clicks that thin out over the first second.
        if (debris.Uniform() < 0.004 * std::exp(-t / 0.5)) debrisTarget = 0.3 + 0.7 * debris.Uniform();
        debrisEnergy += (debrisTarget - debrisEnergy) * 0.02;  // soft onset, no click
        debrisTarget *= 0.994;
        const double crackle = debrisFilter.Process(static_cast<float>(white * debrisEnergy));
        out[i] = static_cast<float>(0.9 * crack + 1.0 * body + 2.2 * rumble + 0.7 * thump + 0.8 * crackle);
    }
    FadeEdges(out, 0.001, 0.5);
    return out;
}

Signal Launch() {
    Signal out = Silence(0.42);
    Oscillator zap(Oscillator::Shape::Saw), low(Oscillator::Shape::Square, 0.25);
    Noise noise(0x1A'4C10);
    Biquad zapFilter, whoosh;
    OnePole airTone;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        const double f = 220 + 1500 * std::exp(-t / 0.055);
        if (i % kControlRate == 0) {
            zapFilter.SetLowpass(2500 + 5000 * std::exp(-t / 0.08), 1.2);
            }
        const double tone = zapFilter.Process(static_cast<float>(zap.Next(f) + 0.6 * low.Next(f * 0.501)));
        const double air = airTone.Process(whoosh.Process(noise.White()), 5000);
        out[i] = static_cast<float>(1.0 * tone * AttackDecay(t, 0.002, 0.1) + 0.6 * air * AttackDecay(t, 0.01, 0.12));
    }
    FadeEdges(out, 0.001, 0.08);
    return out;
}

Signal Crash() {
    Signal out = Modal({{312, 0.5, 0.45},
                        {527, 0.4, 0.35},
                        {801, 0.35, 0.3},
                        {1139, 0.3, 0.22},
                        {1593, 0.25, 0.16},
                        {2214, 0.2, 0.1},
                        {3011, 0.15, 0.07}},
                       1.1, 0.13);
    Oscillator thud(Oscillator::Shape::Sine);
    Noise noise(0x5C'0A70);
    Biquad impact;
    impact.SetLowpass(5000, 0.7);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        out[i] = static_cast<float>(0.6 * out[i] +
                                    0.9 * thud.Next(50 + 60 * std::exp(-t / 0.05)) * AttackDecay(t, 0.002, 0.09) +
                                    0.8 * impact.Process(noise.White()) * std::exp(-t / 0.04));
    }
    FadeEdges(out, 0.001, 0.3);
    return out;
}

Signal HazardContact() {
    Signal out = Silence(0.45);
    Oscillator thump(Oscillator::Shape::Sine);
    Noise noise(0x5C'0A71);
    Random grains(0x5C'0A72);
    Biquad crunch, sizzle;
    crunch.SetBandpass(900, 0.7);
    sizzle.SetHighpass(4500, 0.7);
    double grainGain = 1.0;
    const std::size_t grainLength = Samples(0.007);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        if (i % grainLength == 0) grainGain = 0.25 + 0.75 * grains.Uniform();
        const float white = noise.White();
        out[i] = static_cast<float>(1.0 * thump.Next(55 + 80 * std::exp(-t / 0.04)) * AttackDecay(t, 0.002, 0.06) +
                                    1.6 * crunch.Process(white) * grainGain * AttackDecay(t, 0.003, 0.12) +
                                    0.35 * sizzle.Process(white) * AttackDecay(t, 0.01, 0.18));
    }
    FadeEdges(out, 0.001, 0.08);
    return out;
}

Signal StartJingle() {
    Signal out = Silence(2.2);
    // Rising engine whoosh underneath.
    Noise noise(0x1A'12E0);
    Biquad sweep;
    for (std::size_t i = 0; i < Samples(1.0); ++i) {
        const double t = TimeOf(i);
        if (i % kControlRate == 0) sweep.SetBandpass(300 + 2500 * t, 2.0);
        out[i] += static_cast<float>(0.25 * sweep.Process(noise.White()) * std::sin(kPi * t));
    }
    const int notes[] = {60, 64, 67, 72};  // C E G C
    for (int k = 0; k < 4; ++k) MixInto(out, Brass(NoteFrequency(notes[k]), 0.11, 0.08), 0.09 * k, 0.8);
    for (int note : {60, 64, 67, 72}) MixInto(out, Brass(NoteFrequency(note), 0.9, 0.35), 0.42, 0.55);
    MixInto(out, Brass(NoteFrequency(48), 0.9, 0.35), 0.42, 0.5);
    MixInto(out, Bell(NoteFrequency(84), 1.2), 0.42, 0.5);
    AddEcho(out, 0.17, 0.3, 0.25);
    return out;
}

Signal Alarm() {
    // Three whoops, each a rising tone; the first starts at full level so a restarted alarm is heard at once.
    const double period = 0.38, whoop = 0.33;
    Signal out = Silence(3 * period);
    Oscillator a(Oscillator::Shape::Square), b(Oscillator::Shape::Saw);
    Biquad tone;
    tone.SetLowpass(3200, 0.8);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        const double local = std::fmod(t, period);
        const double f = 560 + 420 * std::min(1.0, local / whoop);
        const double attack = t < period ? 1e-6 : 0.01;
        const double gate = local < whoop ? std::min({1.0, local / attack, (whoop - local) / 0.01}) : 0.0;
        out[i] = static_cast<float>(gate * tone.Process(static_cast<float>(0.6 * a.Next(f) + 0.4 * b.Next(f * 1.5))));
    }
    return out;
}

Signal OutOfBounds() {
    Signal out;
    const double highLow[] = {1175, 880, 1175, 880};
    for (int k = 0; k < 4; ++k) MixInto(out, Beep(highLow[k], 0.1), 0.17 * k);
    MixInto(out, Silence(0.05), 0.17 * 4);
    return out;
}

Signal BonusChime() {
    Signal out = Silence(1.4);
    const int notes[] = {76, 80, 83, 88};  // E G# B E: a bright major arpeggio
    for (int k = 0; k < 4; ++k) MixInto(out, Bell(NoteFrequency(notes[k]), 1.4 - 0.07 * k), 0.07 * k, 0.8);
    // Shimmer: a fast tremolo of high partials fading in behind the arpeggio.
    Oscillator s1(Oscillator::Shape::Sine), s2(Oscillator::Shape::Sine);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        const double trem = 0.5 + 0.5 * std::sin(2 * kPi * 14 * t);
        out[i] += static_cast<float>(0.08 * trem * AttackDecay(t, 0.25, 0.35) *
                                     (s1.Next(NoteFrequency(100)) + s2.Next(NoteFrequency(95))));
    }
    AddEcho(out, 0.12, 0.35, 0.2);
    return out;
}

Signal LevelComplete() {
    Signal out = Silence(3.0);
    const double beat = 0.12;
    for (int k = 0; k < 3; ++k) {
        MixInto(out, Brass(NoteFrequency(67), 0.08, 0.05), beat * k, 0.7);  // G G G
        MixInto(out, Brass(NoteFrequency(64), 0.08, 0.05), beat * k, 0.4);
    }
    MixInto(out, Brass(NoteFrequency(72), 0.32, 0.06), beat * 3, 0.75);  // C
    MixInto(out, Brass(NoteFrequency(67), 0.32, 0.06), beat * 3, 0.45);
    const double chord = beat * 3 + 0.4;
    for (int note : {64, 67, 72, 76}) MixInto(out, Brass(NoteFrequency(note), 1.3, 0.5), chord, 0.5);
    MixInto(out, Brass(NoteFrequency(48), 1.3, 0.5), chord, 0.6);
    MixInto(out, Timpani(NoteFrequency(43), 1.0, 0x71'3F01), beat * 3, 0.8);
    MixInto(out, Timpani(NoteFrequency(36), 1.4, 0x71'3F02), chord, 1.0);
    MixInto(out, Bell(NoteFrequency(88), 1.5), chord, 0.3);
    AddEcho(out, 0.2, 0.3, 0.22);
    return out;
}

Signal GameOverSting() {
    const double length = 2.4;
    Signal out = Silence(length);
    const int chord[] = {36, 43, 48, 51, 55, 60, 63};  // C minor, low and dark, with a mid-range voice on top
    constexpr int kVoices = 7;
    std::vector<Oscillator> saws;
    for (int k = 0; k < 2 * kVoices; ++k) saws.emplace_back(Oscillator::Shape::Saw, 0.1 * k);
    Oscillator sub(Oscillator::Shape::Sine), wobble(Oscillator::Shape::Sine);
    Noise wind(0x6A'3E01);
    Biquad filter, windFilter;
    windFilter.SetLowpass(400, 0.7);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        double x = 0;
        for (int k = 0; k < 2 * kVoices; ++k) {
            const double detune = (k % 2 == 0) ? 1.004 : 0.996;
            x += saws[static_cast<std::size_t>(k)].Next(NoteFrequency(chord[k / 2]) * detune);
        }
        const double wobbleNow = wobble.Next(0.7);
        if (i % kControlRate == 0) filter.SetLowpass(950 + 350 * wobbleNow, 1.1);
        const double pad = filter.Process(static_cast<float>(0.12 * x));
        const double amp = std::min(1.0, t / 0.03) * std::min(1.0, (length - t) / 0.8);
        out[i] = static_cast<float>(amp * (pad + 0.3 * sub.Next(NoteFrequency(24)) + 0.4 * windFilter.Process(wind.Pink())));
    }
    return out;
}

}  // namespace orvane::assets::audio
