// Pitched instrument voices for jingles and fanfares, built on the synthesis toolkit.
#pragma once

#include "audio/Synth.h"

namespace orvane::assets::audio {

double NoteFrequency(int midiNote);  // A4 = 69 = 440 Hz

// Two detuned saws through a low-pass whose cutoff opens with the attack: a synth-brass note.
// The note sounds for `seconds` and then releases over `release`.
Signal Brass(double frequency, double seconds, double release = 0.12);

// Inharmonic struck partials: a small bell or glockenspiel.
Signal Bell(double frequency, double seconds);

// A soft-edged square beep.
Signal Beep(double frequency, double seconds);

// A tuned drum: falling sine with a noise skin.
Signal Timpani(double frequency, double seconds, std::uint64_t seed);

}  // namespace orvane::assets::audio
