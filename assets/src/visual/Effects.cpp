// Animated effect textures: "common.shader" names them and lists their frames; the frames are
// PNG images on black for additive blending.
//   Flame1:    a looping flame, 12 frames of 64 x 128 (the flame billboard is 20 wide, 40 high)
//   Explosion: a fireball that blooms and fades to smouldering embers, 16 frames of 128 x 128,
//              played once; the last frame stays, so the hazard remains visible.
#include "Generator.h"
#include "Noise.h"
#include "Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvane::assets::visual {

namespace {

constexpr int kFlameFrames = 12;
constexpr int kExplosionFrames = 16;

Color Heat(float h) {
    h = std::clamp(h, 0.0f, 1.0f);
    if (h < 0.35f) return Mix(Rgb(0, 0, 0), Rgb(150, 30, 4), h / 0.35f);
    if (h < 0.65f) return Mix(Rgb(150, 30, 4), Rgb(255, 140, 30), (h - 0.35f) / 0.3f);
    if (h < 0.88f) return Mix(Rgb(255, 140, 30), Rgb(255, 226, 120), (h - 0.65f) / 0.23f);
    return Mix(Rgb(255, 226, 120), Rgb(255, 255, 240), (h - 0.88f) / 0.12f);
}

Image FlameFrame(int frame) {
    const int w = 64, h = 128;
    const int period = 3;  // noise lattice cells over the frame height; the loop scrolls one period
    const float phase = static_cast<float>(frame) / kFlameFrames;
    const Fbm fbm{5, 2.0f, 0.5f};
    Image img(w, h);
    img.Fill([&](float x, float y) {
        const float u = (x / w) * 2.0f - 1.0f;   // across, -1..1
        const float v = 1.0f - y / h;            // up from the base, 0..1
        const float n = fbm(u * 1.5f + 4.0f, (v - phase) * period, 1301u, 0, period);
        const float n2 = fbm(u * 3.0f + 9.0f, (v - phase) * period * 2.0f, 1302u, 0, period * 2);
        const float sway = 0.2f * n * v;
        const float width = 0.8f * std::pow(std::max(0.0f, 1.0f - v), 0.6f) * SmoothStep(0.0f, 0.08f, v + 0.02f);
        const float d = std::fabs(u - sway) / std::max(width, 1e-3f);
        float heat = (1.0f - d) * 1.2f + 0.5f * n2 - 0.5f * v * v;
        heat *= SmoothStep(0.0f, 0.06f, v);
        return Heat(heat);
    });
    return img;
}

Image ExplosionFrame(int frame) {
    const int size = 128;
    const float t = static_cast<float>(frame) / (kExplosionFrames - 1);
    const float radius = 0.22f + 0.68f * (1.0f - (1.0f - t) * (1.0f - t));
    const float fade = 0.3f + 0.7f * std::pow(1.0f - t, 1.2f);   // ends as smouldering embers
    const float core = std::pow(1.0f - t, 3.0f);
    const Fbm fbm{5, 2.0f, 0.55f};
    Image img(size, size);
    img.Fill([&](float x, float y) {
        const float dx = x / size * 2.0f - 1.0f, dy = y / size * 2.0f - 1.0f;
        const float r = std::hypot(dx, dy);
        const float a = std::atan2(dy, dx);
        // Billows: the edge of the fireball wobbles with angle and roils inward over time.
        const float n = fbm(std::cos(a) * 1.5f + 3.0f + t * 0.8f, std::sin(a) * 1.5f + 5.0f + t * 1.3f, 1401u);
        const float inner = fbm(dx * 3.0f + t * 2.0f, dy * 3.0f - t * 1.5f, 1402u);
        const float edge = radius * (0.85f + 0.25f * n);
        const float body = 1.0f - SmoothStep(edge * 0.55f, edge, r);
        float heat = body * (0.55f + 0.35f * inner) * fade + core * std::exp(-r * r / 0.05f);
        heat *= 1.0f - SmoothStep(0.85f, 1.0f, r);
        Color c = Heat(heat);
        // Later frames cool towards dull red embers scattered through the cloud.
        if (t > 0.5f) c = c * (1.0f - 0.5f * (t - 0.5f)) + Rgb(90, 24, 6) * (body * SmoothStep(0.2f, 0.6f, inner) * t * 0.6f);
        return Clamp01(c);
    });
    // Sparks flung outwards in the first frames.
    Random rng(1403u);
    for (int i = 0; i < 24; ++i) {
        const float a = rng.Range(0.0f, 6.2831853f), speed = rng.Range(0.6f, 1.0f);
        const float d = (0.2f + 0.8f * t * speed) * 60.0f;
        const float bright = std::max(0.0f, 1.0f - t * 1.6f);
        if (bright <= 0) continue;
        const float sx = 64 + d * std::cos(a), sy = 64 + d * std::sin(a);
        img.Line(sx, sy, sx - 6 * std::cos(a), sy - 6 * std::sin(a), 1.4f, Rgb(255, 220, 140), bright);
    }
    return img;
}

std::string FrameName(const char* stem, int i) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s_%02d.png", stem, i);
    return buf;
}

void WriteEffects(const std::filesystem::path& dir) {
    std::string shader =
        "// Effect textures: animated billboards of the game.\n"
        "// blend add|alpha, rate in frames per second, loop 1 = repeat, 0 = play once and hold the last frame.\n\n"
        "Flame1\n{\n    blend add\n    rate 15\n    loop 1\n";
    for (int i = 0; i < kFlameFrames; ++i) {
        SavePng(dir / FrameName("flame1", i), FlameFrame(i), false);
        shader += "    frame " + FrameName("flame1", i) + "\n";
    }
    shader += "}\n\nExplosion\n{\n    blend add\n    rate 15\n    loop 0\n";
    for (int i = 0; i < kExplosionFrames; ++i) {
        SavePng(dir / FrameName("explosion", i), ExplosionFrame(i), false);
        shader += "    frame " + FrameName("explosion", i) + "\n";
    }
    shader += "}\n";
    std::ofstream out(dir / "common.shader", std::ios::binary);
    out << shader;
    if (!out) throw std::runtime_error("cannot write common.shader");
}

const Registrar kReg("effects", &WriteEffects);

}  // namespace

}  // namespace orvane::assets::visual
