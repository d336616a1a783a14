#include "Noise.h"

#include <cmath>

namespace orvane::assets::visual {

namespace {

inline uint32_t Mix32(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = seed * 0x27d4eb2du ^ static_cast<uint32_t>(x) * 0x85ebca6bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xc2b2ae35u;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

}  // namespace

uint32_t Hash(int32_t x, int32_t y, uint32_t seed) { return Mix32(x, y, seed); }

float HashUnit(int32_t x, int32_t y, uint32_t seed) { return (Hash(x, y, seed) >> 8) * (1.0f / 16777216.0f); }

uint32_t Random::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<uint32_t>(state_ >> 16);
}

float Random::Unit() { return (Next() >> 8) * (1.0f / 16777216.0f); }
float Random::Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
int Random::Int(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1)); }

namespace {

int Wrap(int v, int period) {
    if (period <= 0) return v;
    v %= period;
    return v < 0 ? v + period : v;
}

// Eight unit-ish gradient directions; the lattice point's hash picks one.
constexpr float kGx[8] = {1, -1, 0, 0, 0.7071f, -0.7071f, 0.7071f, -0.7071f};
constexpr float kGy[8] = {0, 0, 1, -1, 0.7071f, 0.7071f, -0.7071f, -0.7071f};

inline float Grad(int32_t ix, int32_t iy, uint32_t seed, float dx, float dy) {
    // A cheap hash is enough here: the lattice values only need to look random.
    uint32_t h = static_cast<uint32_t>(ix) * 0x8da6b343u ^ static_cast<uint32_t>(iy) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    const uint32_t k = (h >> 5) & 7u;
    return kGx[k] * dx + kGy[k] * dy;
}

float Fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

}  // namespace

float Perlin(float x, float y, uint32_t seed, int periodX, int periodY) {
    int ix = static_cast<int>(x), iy = static_cast<int>(y);
    ix -= x < static_cast<float>(ix);
    iy -= y < static_cast<float>(iy);
    const float dx = x - static_cast<float>(ix), dy = y - static_cast<float>(iy);
    const int x0 = Wrap(ix, periodX), y0 = Wrap(iy, periodY);
    const int x1 = (periodX > 0 && x0 + 1 == periodX) ? 0 : x0 + 1;
    const int y1 = (periodY > 0 && y0 + 1 == periodY) ? 0 : y0 + 1;
    const float n00 = Grad(x0, y0, seed, dx, dy);
    const float n10 = Grad(x1, y0, seed, dx - 1, dy);
    const float n01 = Grad(x0, y1, seed, dx, dy - 1);
    const float n11 = Grad(x1, y1, seed, dx - 1, dy - 1);
    const float u = Fade(dx), v = Fade(dy);
    const float a = n00 + (n10 - n00) * u;
    const float b = n01 + (n11 - n01) * u;
    return (a + (b - a) * v) * 1.41421356f;
}

float Fbm::operator()(float x, float y, uint32_t seed, int periodX, int periodY) const {
    float sum = 0, amp = 1, norm = 0, freq = 1;
    for (int o = 0; o < octaves; ++o) {
        const int px = periodX > 0 ? static_cast<int>(std::lround(periodX * freq)) : 0;
        const int py = periodY > 0 ? static_cast<int>(std::lround(periodY * freq)) : 0;
        sum += amp * Perlin(x * freq, y * freq, seed + 1013u * o, px, py);
        norm += amp;
        amp *= gain;
        freq *= lacunarity;
    }
    return sum / norm;
}

float Fbm::Ridged(float x, float y, uint32_t seed, int periodX, int periodY) const {
    float sum = 0, amp = 1, norm = 0, freq = 1;
    for (int o = 0; o < octaves; ++o) {
        const int px = periodX > 0 ? static_cast<int>(std::lround(periodX * freq)) : 0;
        const int py = periodY > 0 ? static_cast<int>(std::lround(periodY * freq)) : 0;
        const float n = 1.0f - std::fabs(Perlin(x * freq, y * freq, seed + 7919u * o, px, py));
        sum += amp * n * n;
        norm += amp;
        amp *= gain;
        freq *= lacunarity;
    }
    return sum / norm;
}

}  // namespace orvane::assets::visual
