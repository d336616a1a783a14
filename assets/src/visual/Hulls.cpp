// Textures of the craft: starships and fighters ("iniziofuocook", "b2".."b11"), obstacle hulks
// ("copertura2", "ab2".."ab11"), tank armour ("a1".."a11", also fighters from theme 2 on, and the
// spare "tank.bmp"), the stern flame, the player's carrier, the particle sprite and the bonus
// station ("copertura").
//
// The tank and station textures are atlases for the models' UVs (v = 0 at the image's bottom row):
//   tank:    rows 0..223 armour (v 0.125..1), rows 224..255 track treads (v 0..0.125)
//   station: top-left quadrant the landing pad with the repair cross, top-right the tower wall,
//            rows 128..159 hazard stripes, rows 160..255 plain plating
#include "Generator.h"
#include "Noise.h"
#include "Raster.h"
#include "Text.h"
#include "Themes.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace orvane::assets::visual {

namespace {

constexpr int kHullSize = 256;

struct Rect {
    float x0, y0, x1, y1;
};

void SplitPanels(Random& rng, Rect r, int depth, std::vector<Rect>& out) {
    const float w = r.x1 - r.x0, h = r.y1 - r.y0;
    if (depth == 0 || (w < 28 && h < 28) || (depth < 3 && rng.Unit() < 0.25f)) {
        out.push_back(r);
        return;
    }
    const bool vertical = w > h * 1.3f ? true : (h > w * 1.3f ? false : rng.Unit() < 0.5f);
    const float t = rng.Range(0.3f, 0.7f);
    // Split on whole pixels so panel lines stay crisp.
    if (vertical) {
        const float x = std::round(r.x0 + w * t);
        SplitPanels(rng, {r.x0, r.y0, x, r.y1}, depth - 1, out);
        SplitPanels(rng, {x, r.y0, r.x1, r.y1}, depth - 1, out);
    } else {
        const float y = std::round(r.y0 + h * t);
        SplitPanels(rng, {r.x0, r.y0, r.x1, y}, depth - 1, out);
        SplitPanels(rng, {r.x0, y, r.x1, r.y1}, depth - 1, out);
    }
}

// Weathered metal base with a grid of bevelled panels.
void PaintPlating(Image& img, Rect area, Color base, uint32_t seed, int depth, float contrast = 1.0f) {
    const Fbm fbm{3, 2.0f, 0.5f};
    for (int y = static_cast<int>(area.y0); y < static_cast<int>(area.y1); ++y)
        for (int x = static_cast<int>(area.x0); x < static_cast<int>(area.x1); ++x) {
            const float n = fbm(x / 64.0f, y / 64.0f, seed);
            const float grime = SmoothStep(0.2f, 0.7f, fbm(x / 24.0f, y / 24.0f, seed + 1));
            img.At(x, y) = Clamp01(base * (1.0f + 0.12f * n * contrast) * (1.0f - 0.25f * grime * contrast));
        }
    Random rng(seed);
    std::vector<Rect> panels;
    SplitPanels(rng, area, depth, panels);
    for (const Rect& p : panels) {
        const float tone = rng.Range(-0.08f, 0.08f) * contrast;
        for (int y = static_cast<int>(p.y0); y < static_cast<int>(p.y1); ++y)
            for (int x = static_cast<int>(p.x0); x < static_cast<int>(p.x1); ++x) {
                Color& c = img.At(x, y);
                c = Clamp01(c * (1.0f + tone));
                const float dl = x - p.x0, dt = y - p.y0, dr = p.x1 - 1 - x, db = p.y1 - 1 - y;
                if (std::min(dl, dt) < 1.0f) c = c * 0.45f;                 // groove
                else if (std::min(dr, db) < 1.0f) c = c * 0.7f;
                else if (std::min(dl, dt) < 2.0f) c = Clamp01(c * 1.25f);   // lit bevel
            }
        // Rivets in the corners of larger panels.
        if (p.x1 - p.x0 > 30 && p.y1 - p.y0 > 30 && rng.Unit() < 0.6f) {
            for (const auto& [rx, ry] : {std::pair{p.x0 + 5, p.y0 + 5}, std::pair{p.x1 - 5, p.y0 + 5},
                                         std::pair{p.x0 + 5, p.y1 - 5}, std::pair{p.x1 - 5, p.y1 - 5}}) {
                img.FillCircle(rx, ry, 1.3f, base * 0.5f);
                img.FillCircle(rx - 0.4f, ry - 0.4f, 0.7f, Clamp01(base * 1.4f));
            }
        }
    }
}

void Light(Image& img, float x, float y, float r, Color c) {
    img.Glow(x, y, r * 2.5f, c, 0.5f);
    img.FillCircle(x, y, r, Clamp01(c * 0.6f + Color{0.45f, 0.45f, 0.45f}));
}

// Starship hull: plating, a coloured stripe along the ship, rows of lit windows.
Image ShipHull(Color hull, Color accent, Color lights, uint32_t seed) {
    Image img(kHullSize, kHullSize);
    PaintPlating(img, {0, 0, kHullSize, kHullSize}, hull, seed, 6);
    Random rng(seed + 50);
    img.FillRect(0, 112, kHullSize, 126, accent, 0.85f);
    img.FillRect(0, 130, kHullSize, 134, accent, 0.85f);
    img.FillRect(0, 111, kHullSize, 112, accent * 0.5f);
    for (int row = 0; row < 3; ++row) {
        const float y = 40.0f + row * 34.0f + (row == 2 ? 110.0f : 0.0f);
        for (float x = rng.Range(8, 20); x < kHullSize - 8; x += rng.Range(9, 14))
            if (rng.Unit() < 0.8f) img.FillRoundRect(x, y, x + 5, y + 3, 1.0f, Clamp01(lights * 0.9f), 0.95f);
    }
    for (int i = 0; i < 6; ++i) Light(img, rng.Range(20, 236), rng.Range(20, 236), 2.2f, lights);
    // Engine vents near the stern edge.
    for (int i = 0; i < 4; ++i) {
        const float x = 30.0f + i * 60.0f;
        img.FillRoundRect(x, 224, x + 40, 248, 4, hull * 0.3f);
        for (int k = 0; k < 4; ++k) img.FillRect(x + 4, 228 + k * 5.0f, x + 36, 230 + k * 5.0f, hull * 0.55f);
    }
    return img;
}

// Obstacle hulk: dark plating crowded with machinery, conduits and glowing vents.
Image HulkHull(Color hulk, Color lights, uint32_t seed) {
    Image img(kHullSize, kHullSize);
    PaintPlating(img, {0, 0, kHullSize, kHullSize}, hulk, seed, 7, 1.6f);
    Random rng(seed + 70);
    for (int i = 0; i < 70; ++i) {
        const float x = rng.Range(0, 250), y = rng.Range(0, 250);
        const float w = rng.Range(4, 22), h = rng.Range(3, 12);
        const Color c = Clamp01(hulk * rng.Range(0.5f, 1.5f));
        img.FillRect(x + 1, y + 1, x + w + 1, y + h + 1, Color{}, 0.5f);  // shadow
        img.FillRect(x, y, x + w, y + h, c);
        img.FillRect(x, y, x + w, y + 1, Clamp01(c * 1.4f));
    }
    for (int i = 0; i < 5; ++i) {
        const float y = rng.Range(10, 246);
        img.FillRect(0, y, kHullSize, y + 3, hulk * 0.4f);
        img.FillRect(0, y, kHullSize, y + 1, Clamp01(hulk * 1.3f));
    }
    for (int i = 0; i < 14; ++i) {
        const float x = rng.Range(10, 246), y = rng.Range(10, 246);
        img.Glow(x, y, 6.0f, lights, 0.8f);
        img.FillRect(x - 3, y - 1, x + 3, y + 1, Clamp01(lights + Color{0.3f, 0.3f, 0.3f}));
    }
    for (int y = 0; y < kHullSize; ++y)
        for (int x = 0; x < kHullSize; ++x) img.At(x, y) = Clamp01(img.At(x, y));
    return img;
}

// Tank armour: three-tone camouflage on plates, track treads along the bottom strip.
Image TankArmour(const Theme& t, uint32_t seed) {
    Image img(kHullSize, kHullSize);
    PaintPlating(img, {0, 0, kHullSize, 224}, t.armour, seed, 5);
    const Fbm fbm{4, 2.0f, 0.5f};
    const Color dark = t.armour * 0.6f, light = Clamp01(Mix(t.armour, t.mid, 0.5f) * 1.2f);
    for (int y = 0; y < 224; ++y)
        for (int x = 0; x < kHullSize; ++x) {
            const float n = fbm(x / 48.0f, y / 48.0f, seed + 3);
            Color& c = img.At(x, y);
            const float lum = Luma(c) / std::max(0.05f, Luma(t.armour));
            if (n > 0.18f) c = Clamp01(dark * lum);
            else if (n < -0.22f) c = Clamp01(light * lum);
        }
    // Number plate and a hatch.
    img.FillRoundRect(20, 20, 76, 52, 4, Rgb(30, 30, 30), 0.85f);
    DrawText(img, FontFace::SansBold, 26, 48, 46, std::to_string(t.index * 7 + 10), Rgb(230, 230, 210), Align::Center);
    img.StrokeCircle(180, 100, 26, 3, t.armour * 0.45f);
    img.FillCircle(180, 100, 22, Clamp01(t.armour * 0.9f));
    Light(img, 230, 30, 3, t.lights);
    Light(img, 140, 30, 3, t.lights);
    // Treads.
    for (int y = 224; y < kHullSize; ++y)
        for (int x = 0; x < kHullSize; ++x) {
            const float phase = std::fmod(static_cast<float>(x), 16.0f);
            const float cleat = (phase < 9.0f) ? 1.0f : 0.55f;
            const float edge = (y < 227 || y > 252) ? 0.6f : 1.0f;
            img.At(x, y) = Clamp01(Rgb(58, 56, 54) * (cleat * edge * (0.9f + 0.2f * fbm(x / 8.0f, y / 8.0f, seed + 4))));
        }
    return img;
}

Image FireTexture() {
    Image img(128, 128);
    const Fbm fbm{5, 2.0f, 0.5f};
    img.Fill([&](float x, float y) {
        const float dx = (x - 64) / 64.0f, dy = (y - 64) / 64.0f;
        const float r = std::hypot(dx, dy);
        const float n = fbm(x / 20.0f, y / 20.0f, 801u);
        const float heat = std::clamp(1.15f - r * 1.1f + 0.35f * n, 0.0f, 1.0f);
        const Color c = heat > 0.7f ? Mix(Rgb(255, 200, 90), Rgb(230, 245, 255), SmoothStep(0.7f, 1.0f, heat))
                                    : Mix(Rgb(60, 10, 0), Rgb(255, 150, 40), SmoothStep(0.0f, 0.7f, heat));
        return Clamp01(c);
    });
    return img;
}

Image HoloTexture() {
    Image img(128, 128);
    img.Fill([&](float x, float y) {
        const float gx = std::fmod(x, 16.0f), gy = std::fmod(y, 16.0f);
        const float line = std::max(1.0f - SmoothStep(0.0f, 1.5f, std::min(gx, 16 - gx)),
                                    1.0f - SmoothStep(0.0f, 1.5f, std::min(gy, 16 - gy)));
        const float scan = 0.85f + 0.15f * std::sin(y * 1.6f);
        return Clamp01((Rgb(10, 40, 70) + Rgb(80, 200, 255) * line) * scan);
    });
    return img;
}

Image ParticleSprite() {
    Image img(64, 64);
    img.Fill([&](float x, float y) {
        const float r = std::hypot(x - 32, y - 32) / 32.0f;
        const float k = std::exp(-r * r * 4.0f) * (1.0f - SmoothStep(0.8f, 1.0f, r));
        return Clamp01(Rgb(255, 250, 240) * k);
    });
    return img;
}

Image StationTexture() {
    Image img(kHullSize, kHullSize);
    const Color steel = Rgb(150, 156, 166);
    PaintPlating(img, {0, 0, kHullSize, kHullSize}, steel, 901u, 5, 0.7f);
    // Landing pad: dark disc, lit rim, the repair cross in the middle.
    img.FillRect(0, 0, 128, 128, Rgb(52, 56, 62));
    img.FillCircle(64, 64, 60, Rgb(70, 76, 84));
    img.StrokeCircle(64, 64, 56, 4, Rgb(240, 200, 40));
    for (int k = 0; k < 12; ++k) {
        const float a = k * 3.14159265f / 6.0f;
        Light(img, 64 + 50 * std::cos(a), 64 + 50 * std::sin(a), 2.0f, Rgb(120, 255, 140));
    }
    img.FillRoundRect(50, 24, 78, 104, 3, Rgb(40, 220, 90));
    img.FillRoundRect(24, 50, 104, 78, 3, Rgb(40, 220, 90));
    img.FillRoundRect(54, 28, 74, 100, 2, Rgb(170, 255, 190), 0.35f);
    // Tower wall: windows and the word REPAIR.
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 6; ++col) {
            const float x = 136 + col * 20.0f, y = 12 + row * 22.0f;
            img.FillRoundRect(x, y, x + 12, y + 14, 2, Rgb(30, 34, 40));
            img.FillRoundRect(x + 1, y + 1, x + 11, y + 13, 2, Rgb(130, 220, 255), (row + col) % 3 ? 0.85f : 0.35f);
        }
    img.FillRect(128, 82, 256, 118, Rgb(40, 200, 90));
    DrawText(img, FontFace::SansBold, 28, 192, 110, "REPAIR", Rgb(245, 255, 245), Align::Center);
    // Hazard stripes.
    for (int y = 128; y < 160; ++y)
        for (int x = 0; x < kHullSize; ++x)
            img.At(x, y) = (static_cast<int>((x + y) / 12.0f) % 2) ? Rgb(30, 30, 30) : Rgb(236, 190, 30);
    return img;
}

void WriteHulls(const std::filesystem::path& dir) {
    const Theme& t1 = ThemeFor(1);
    SaveJpg(dir / "iniziofuocook.jpg", ShipHull(t1.hull, Rgb(40, 110, 200), t1.lights, 1001u));
    SaveJpg(dir / "copertura2.jpg", HulkHull(t1.hulk, Rgb(90, 255, 120), 1002u));
    SaveJpg(dir / "a1.jpg", TankArmour(t1, 1003u));
    SaveBmp(dir / "tank.bmp", TankArmour(t1, 1004u));
    for (int n = 2; n <= kThemeCount; ++n) {
        const Theme& t = ThemeFor(n);
        const std::string num = std::to_string(n);
        const uint32_t seed = 1100u + 10u * static_cast<uint32_t>(n);
        SaveJpg(dir / ("a" + num + ".jpg"), TankArmour(t, seed));
        // Starships fly against the sky: hulls a shade darker than the theme's light tones.
        SaveJpg(dir / ("b" + num + ".jpg"), ShipHull(t.hull * 0.78f, t.accent, t.lights, seed + 1));
        SaveJpg(dir / ("ab" + num + ".jpg"), HulkHull(t.hulk, t.lights, seed + 2));
    }
    SaveJpg(dir / "fire.jpg", FireTexture());
    SaveJpg(dir / "holo.jpg", HoloTexture());
    SaveBmp(dir / "snow.bmp", ParticleSprite());
    SaveJpg(dir / "copertura.jpg", StationTexture());
}

const Registrar kReg("hulls", &WriteHulls);

}  // namespace

}  // namespace orvane::assets::visual
