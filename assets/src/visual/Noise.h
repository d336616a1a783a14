// Deterministic hashing, a seeded random source and 2D gradient noise with optional tiling.
#pragma once

#include <cstdint>

namespace orvane::assets::visual {

uint32_t Hash(int32_t x, int32_t y, uint32_t seed);
// Uniform in [0, 1).
float HashUnit(int32_t x, int32_t y, uint32_t seed);

// Small deterministic generator (xorshift-style, fixed seed) for placing features.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed * 2654435761u + 0x9E3779B9u) { Next(); }
    uint32_t Next();
    float Unit();                        // [0, 1)
    float Range(float lo, float hi);     // [lo, hi)
    int Int(int lo, int hi);             // [lo, hi]

private:
    uint64_t state_;
};

// Gradient (Perlin-style) noise in about [-1, 1]. A period > 0 makes the lattice repeat every
// `period` units on both axes, so images built from it tile seamlessly.
float Perlin(float x, float y, uint32_t seed, int periodX = 0, int periodY = 0);

struct Fbm {
    int octaves = 5;
    float lacunarity = 2.0f;
    float gain = 0.5f;
    // Returns roughly [-1, 1]. With a period the base lattice tiles every period units;
    // octave k tiles every period * 2^k, so the whole sum tiles with the base period.
    float operator()(float x, float y, uint32_t seed, int periodX = 0, int periodY = 0) const;
    // 1 - |noise| per octave: sharp ridges for mountains, cracks and veins.
    float Ridged(float x, float y, uint32_t seed, int periodX = 0, int periodY = 0) const;
};

}  // namespace orvane::assets::visual
