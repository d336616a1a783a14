// Height map, terrain colour textures ("e1".."e11"), tiled detail textures ("f1".."f11"),
// water and wall textures.
#include "Generator.h"
#include "HeightMap.h"
#include "Noise.h"
#include "Raster.h"
#include "Themes.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace orvane::assets::visual {

namespace {

constexpr int kTerrainTextureSize = 512;
constexpr int kDetailSize = 256;

Color Bands(const Theme& t, float h) {
    if (h < 0.45f) return Mix(t.low, t.mid, SmoothStep(0.15f, 0.45f, h));
    if (h < 0.75f) return Mix(t.mid, t.high, SmoothStep(0.5f, 0.75f, h));
    return Mix(t.high, t.peak, SmoothStep(0.8f, 0.9f, h));
}

// What the themes colour: height, slope, sunlight and a few noise fields, sampled once on the
// height map's grid and shared by every theme.
struct Ground {
    float h, slope, light, p, a, g, crack;
};

constexpr int kGroundSize = kTerrainTextureSize / 2;

Ground GroundAt(float u, float v) {
    const Fbm patches{4, 2.0f, 0.5f};
    Ground s{};
    s.h = TerrainHeight(u, v);
    const float e = 1.0f / kTerrainTextureSize;
    // Surface normal with the heights exaggerated as a mid-level factor would show them.
    const float dx = (TerrainHeight(u + e, v) - TerrainHeight(u - e, v)) / (2 * e);
    const float dz = (TerrainHeight(u, v + e) - TerrainHeight(u, v - e)) / (2 * e);
    const float k = 0.09f;
    float nx = -dx * k, ny = 1.0f, nz = -dz * k;
    const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    nx /= len, ny /= len, nz /= len;
    s.slope = 1.0f - ny;
    // Light from the sun, low in the west (towards -x).
    const float lx = -0.85f, ly = 0.5f, lz = 0.15f;
    s.light = std::clamp(0.55f + 0.6f * (nx * lx + ny * ly + nz * lz), 0.35f, 1.2f);
    s.p = patches(u * 24.0f, v * 24.0f, 101u);
    s.a = patches(u * 9.0f + 4.0f, v * 9.0f, 109u);
    s.g = Perlin(u * 96.0f, v * 96.0f, 105u);
    s.crack = Fbm{3, 2.0f, 0.45f}.Ridged(u * 6.0f, v * 6.0f, 103u);
    return s;
}

const std::vector<Ground>& GroundGrid() {
    static const std::vector<Ground> grid = [] {
        std::vector<Ground> g;
        g.reserve(static_cast<size_t>(kGroundSize) * kGroundSize);
        for (int y = 0; y < kGroundSize; ++y)
            for (int x = 0; x < kGroundSize; ++x) g.push_back(GroundAt((x + 0.5f) / kGroundSize, (y + 0.5f) / kGroundSize));
        return g;
    }();
    return grid;
}

Color TerrainColour(const Theme& t, const Ground& s, float u, float v) {
    const float h = s.h, slope = s.slope, light = s.light, p = s.p, a = s.a, g = s.g;
    Color c = Bands(t, h + 0.07f * p);
    c = Mix(c, t.high, SmoothStep(0.05f, 0.2f, slope) * 0.8f);  // bare rock on steep ground
    if (h > 0.8f) c = Mix(c, t.peak, SmoothStep(0.8f, 0.9f, h + 0.05f * p) * (1.0f - SmoothStep(0.15f, 0.35f, slope)));

    // Theme accents.
    switch (t.index) {
        case 3: {  // dunes: wind ripples across the sand
            const float ripple = 0.5f + 0.5f * std::sin((u * 0.8f + v) * 420.0f + p * 9.0f);
            c = c * (0.9f + 0.12f * ripple);
            c = Mix(c, t.accent, SmoothStep(0.3f, 0.6f, a) * t.accentAmount);
            break;
        }
        case 4: {  // ice: dark blue cracks
            c = Mix(c, t.accent, SmoothStep(0.82f, 0.95f, s.crack) * 0.6f);
            break;
        }
        case 7: {  // volcanic: glowing lava in the valleys and cracks
            const float lava = std::max(1.0f - SmoothStep(0.2f, 0.3f, h + 0.04f * p), SmoothStep(0.84f, 0.95f, s.crack) * 0.9f);
            c = Mix(c, t.accent * (1.0f + 0.3f * g), lava);
            return Clamp01(Mix(c * light, c, lava));
        }
        case 8: {  // ocean sunset: sea in the valleys, beaches above it
            const float sea = 1.0f - SmoothStep(0.17f, 0.2f, h + 0.02f * p);
            const float beach = 1.0f - SmoothStep(0.2f, 0.26f, h + 0.02f * p);
            c = Mix(c, t.mid, beach);
            c = Mix(c, Mix(t.low, t.accent, 0.3f + 0.3f * g), sea);
            break;
        }
        case 9: {  // swamp: murky pools
            const float pool = 1.0f - SmoothStep(0.2f, 0.26f, h + 0.05f * p);
            c = Mix(c, t.accent * 0.55f, pool * 0.8f);
            break;
        }
        default:
            c = Mix(c, t.accent, SmoothStep(0.35f, 0.6f, a) * t.accentAmount * (1.0f - SmoothStep(0.5f, 0.7f, h)));
            break;
    }
    c = c * (light * (0.95f + 0.06f * g));
    return Clamp01(c);
}

// Colours follow the height map's own resolution; the full-size texture adds fine grain on top.
Image TerrainTexture(const Theme& t) {
    const auto& ground = GroundGrid();
    Image base(kGroundSize, kGroundSize);
    for (int y = 0; y < kGroundSize; ++y)
        for (int x = 0; x < kGroundSize; ++x)
            base.At(x, y) = TerrainColour(t, ground[static_cast<size_t>(y) * kGroundSize + x], (x + 0.5f) / kGroundSize,
                                          (y + 0.5f) / kGroundSize);
    Image img = base.Resized(kTerrainTextureSize, kTerrainTextureSize);
    const uint32_t seed = 200u + static_cast<uint32_t>(t.index);
    for (int y = 0; y < kTerrainTextureSize; ++y)
        for (int x = 0; x < kTerrainTextureSize; ++x) {
            const float g = Perlin(x * 0.35f, y * 0.35f, seed) + 0.5f * (HashUnit(x, y, seed) - 0.5f);
            img.At(x, y) = Clamp01(img.At(x, y) * (1.0f + 0.08f * g));
        }
    return img;
}

// Detail textures modulate the terrain: mid grey with fine structure, tiling seamlessly.
Image DetailTexture(const Theme& t) {
    Image img(kDetailSize, kDetailSize);
    const int period = 8;
    const Fbm fbm{5, 2.0f, 0.55f};
    const Fbm ridged{4, 2.0f, 0.5f};
    const uint32_t seed = 300u + static_cast<uint32_t>(t.index);
    const Color tint = Mix(Color{0.5f, 0.5f, 0.5f}, t.mid * (0.5f / std::max(0.05f, Luma(t.mid))), 0.25f);
    img.Fill([&](float x, float y) {
        const float u = x / kDetailSize * period, v = y / kDetailSize * period;
        float n = fbm(u, v, seed, period, period);
        switch (t.index) {
            case 3: n = 0.5f * n + 0.35f * std::sin((v + 0.35f * fbm(u, v, seed + 1, period, period)) * 6.2831853f * 2.0f);
                break;
            case 4:
            case 7: n = 0.7f * n - 0.6f * SmoothStep(0.85f, 0.97f, ridged.Ridged(u * 0.5f, v * 0.5f, seed + 2, period / 2, period / 2));
                break;
            default: {
                // Pebbles: small bright and dark specks.
                const float s = Fbm{3, 2.0f, 0.5f}(u * 4.0f, v * 4.0f, seed + 3, period * 4, period * 4);
                n += 0.5f * SmoothStep(0.45f, 0.6f, s) - 0.3f * SmoothStep(0.5f, 0.65f, -s);
                break;
            }
        }
        return Clamp01(tint * (1.0f + 0.45f * n));
    });
    return img;
}

Image WaterTexture() {
    Image img(256, 256);
    const Fbm fbm{4, 2.0f, 0.5f};
    const int period = 4;
    img.Fill([&](float x, float y) {
        const float u = x / 256 * period, v = y / 256 * period;
        const float w = fbm(u + 0.6f * fbm(u, v, 71, period, period), v, 72, period, period);
        const float caustic = SmoothStep(0.6f, 0.95f, Fbm{3, 2.0f, 0.5f}.Ridged(u * 2, v * 2, 73, period * 2, period * 2));
        return Clamp01(Mix(Rgb(16, 70, 110), Rgb(40, 130, 170), 0.5f + 0.5f * w) + Rgb(140, 210, 230) * (0.35f * caustic));
    });
    return img;
}

// Stone blocks with mortar, in courses of staggered bricks.
Image WallTexture() {
    Image img(256, 256);
    const Fbm fbm{4, 2.0f, 0.5f};
    img.Fill([&](float x, float y) {
        const int row = static_cast<int>(y / 32);
        const float bx = x + (row % 2) * 32.0f;
        const int col = static_cast<int>(bx / 64);
        const float fx = std::fmod(bx, 64.0f), fy = std::fmod(y, 32.0f);
        const float edge = std::min(std::min(fx, 64 - fx), std::min(fy, 32 - fy));
        const float tone = 0.85f + 0.3f * HashUnit(col % 4, row, 91);
        const float n = fbm(x / 32.0f, y / 32.0f, 92, 8, 8);
        Color stone = Rgb(128, 120, 108) * (tone * (1.0f + 0.25f * n));
        const float bevel = SmoothStep(1.5f, 4.0f, edge);
        return Clamp01(Mix(Rgb(60, 56, 52), stone * (0.8f + 0.2f * bevel), SmoothStep(0.5f, 1.5f, edge)));
    });
    return img;
}

void WriteTerrain(const std::filesystem::path& dir) {
    Image map(kHeightMapSize, kHeightMapSize);
    for (int j = 0; j < kHeightMapSize; ++j)
        for (int i = 0; i < kHeightMapSize; ++i) {
            const float h = TerrainHeightAt(i, j);
            map.At(i, j) = {h, h, h};
        }
    SaveJpg(dir / "land_map.jpg", map, 98);

    for (int n = 1; n <= kThemeCount; ++n) {
        const Theme& t = ThemeFor(n);
        SaveJpg(dir / ("e" + std::to_string(n) + ".jpg"), TerrainTexture(t));
        SaveJpg(dir / ("f" + std::to_string(n) + ".jpg"), DetailTexture(t));
    }
    SaveJpg(dir / "water.jpg", WaterTexture());
    SaveBmp(dir / "Wall.Bmp", WallTexture());
}

const Registrar kReg("terrain", &WriteTerrain);

}  // namespace

}  // namespace orvane::assets::visual
