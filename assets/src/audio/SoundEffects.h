// The game's sound effects: one recipe per file, each rendering an unnormalised mono signal.
#pragma once

#include <string>
#include <vector>

#include "audio/Synth.h"

namespace orvane::assets::audio {

// Every effect is written at this gated RMS loudness (dBFS) with peaks at or below the ceiling.
constexpr double kEffectLoudnessDb = -16.0;
constexpr double kEffectCeilingDb = -1.0;

struct SoundEffect {
    const char* fileName;
    Signal (*render)();
};

// The effects in the order the game loads them.
const std::vector<SoundEffect>& SoundEffects();

// Renders one effect, normalised and faded, ready to encode.
Signal RenderEffect(const SoundEffect& effect);

Signal Explosion();        // enemy destroyed: crack, noise body, low rumble, debris crackle
Signal Launch();           // the player fires: falling zap over a whoosh
Signal Crash();            // hard collision: thud and struck metal
Signal HazardContact();    // flying into fire: thump, crunch and sizzle; short, it may repeat every frame
Signal StartJingle();      // play starts: rising brass arpeggio to a major chord
Signal Alarm();            // alarm and boundary hit: rising klaxon whoops, loud from the first sample
Signal OutOfBounds();      // two-tone warning beeps
Signal BonusChime();       // repair bonus: bell arpeggio with shimmer
Signal LevelComplete();    // fanfare: three pick-ups to a held major chord with timpani
Signal GameOverSting();    // dark minor chord; steady so that restarting it every frame stays a drone

}  // namespace orvane::assets::audio
