// Sky images: the six faces of the first level's sky box, one sky image per later theme
// ("c2".."c11", shown on every face), the sun sprite and the four lens-flare sprites.
//
// Sky box faces in the game's left-handed world (x right, y up, z ahead), each seen from the
// centre of the box with the image's top-left corner first:
//   Back3.jpg  (shown on "Front")  looks along +z, image right towards +x, top up
//   Front3.jpg (shown on "Back")   looks along -z, image right towards -x, top up
//   Left3.jpg  (shown on "Right")  looks along +x, image right towards -z, top up
//   Right3.jpg (shown on "Left")   looks along -x, image right towards +z, top up
//   Down3.jpg  (shown on "Top")    looks up,   image top towards +z, image right towards +x
//   top3.jpg   (shown on "Down")   looks down, image top towards +z, image right towards +x
// The sun stands low towards -x, where the terrain's sun is placed.
#include "Generator.h"
#include "Noise.h"
#include "Raster.h"
#include "Themes.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace orvane::assets::visual {

namespace {

constexpr int kSkySize = 512;
constexpr float kPi = 3.14159265f;

struct Dir {
    float x, y, z;
};

Dir Normalize(Dir d) {
    const float l = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    return {d.x / l, d.y / l, d.z / l};
}

Color StarField(float u, float v, uint32_t seed, float density) {
    // One candidate star per cell of a fine grid; most cells stay empty.
    const int cx = static_cast<int>(std::floor(u)), cy = static_cast<int>(std::floor(v));
    Color c;
    for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) {
            const int gx = cx + i, gy = cy + j;
            if (HashUnit(gx, gy, seed) > density) continue;
            const float sx = gx + HashUnit(gx, gy, seed + 1), sy = gy + HashUnit(gx, gy, seed + 2);
            const float b = HashUnit(gx, gy, seed + 3);
            const float size = 0.06f + 0.12f * b * b;
            const float d = std::hypot(u - sx, v - sy);
            const float k = std::exp(-(d * d) / (size * size)) * (0.35f + 0.9f * b * b);
            const float tint = HashUnit(gx, gy, seed + 4);
            c = c + Mix(Rgb(190, 210, 255), Rgb(255, 236, 200), tint) * k;
        }
    return c;
}

// The first level's clear day sky in direction d.
Color DaySky(Dir d) {
    const Theme& t = ThemeFor(1);
    const Dir sun = Normalize({-1800, 500, 0});
    const float e = d.y;
    Color c;
    if (e >= 0) {
        c = Mix(t.horizon, t.zenith, std::pow(e, 0.55f));
        c = Mix(c, t.haze, std::exp(-e * 14.0f) * 0.8f);
    } else {
        c = Mix(t.haze, Rgb(120, 132, 120), SmoothStep(0.0f, 0.3f, -e));
    }
    const float cosSun = std::clamp(d.x * sun.x + d.y * sun.y + d.z * sun.z, -1.0f, 1.0f);
    const float angle = std::acos(cosSun);
    c = c + Rgb(255, 236, 190) * (0.9f * std::exp(-angle * angle / 0.004f));  // disc glow
    c = c + Rgb(255, 214, 160) * (0.35f * std::exp(-angle * angle / 0.08f));  // halo
    c = c + Rgb(255, 200, 150) * (0.18f * std::exp(-angle / 0.9f) * std::exp(-std::fabs(e) * 6.0f));

    if (e > 0.01f) {
        // Cloud layer: the ray meets a flat layer; density from fBm in layer coordinates.
        const float u = d.x / e * 0.9f, v = d.z / e * 0.9f;
        const Fbm fbm{6, 2.0f, 0.52f};
        const float n = fbm(u + 13.0f, v + 7.0f, 501u);
        const float density = SmoothStep(0.02f, 0.45f, n + (t.cloudCover - 0.5f) * 0.6f);
        const float fade = SmoothStep(0.02f, 0.2f, e);
        const float shade = 0.75f + 0.25f * fbm(u * 2.0f + 1.0f, v * 2.0f, 502u) + 0.25f * std::exp(-angle * 1.5f);
        const Color cloud = Mix(Rgb(176, 184, 200), t.cloud, std::clamp(shade, 0.0f, 1.0f)) *
                            (0.9f + 0.3f * std::exp(-angle * angle / 0.1f));
        c = Mix(c, cloud, density * fade * 0.92f);
    }
    return Clamp01(c);
}

// Skies are smooth: they are computed at half size and scaled up.
constexpr int kSkyWork = kSkySize / 2;

Image CubeFace(Dir forward, Dir right, Dir up) {
    Image img(kSkyWork, kSkyWork);
    img.Fill([&](float x, float y) {
        const float a = 2.0f * x / kSkyWork - 1.0f, b = 1.0f - 2.0f * y / kSkyWork;
        return DaySky(Normalize({forward.x + a * right.x + b * up.x, forward.y + a * right.y + b * up.y,
                                 forward.z + a * right.z + b * up.z}));
    });
    return img.Resized(kSkySize, kSkySize);
}

// A theme's sky as one side face: the horizon across the middle, the left and right edges
// meeting seamlessly, so the same image can stand on every face.
Image ThemeSky(const Theme& t) {
    Image img(kSkyWork, kSkyWork);
    const Fbm fbm{6, 2.0f, 0.52f};
    const int period = 6;
    const uint32_t seed = 600u + 17u * static_cast<uint32_t>(t.index);
    img.Fill([&](float x, float y) {
        const float e = 1.0f - 2.0f * y / kSkyWork;  // tangent of the elevation
        const float u = x / kSkyWork;                  // around the horizon, in faces
        Color c;
        if (e >= 0) {
            c = Mix(t.horizon, t.zenith, std::pow(std::min(e * 1.1f, 1.0f), 0.6f));
            c = Mix(c, t.haze, std::exp(-e * 9.0f) * 0.85f);
        } else {
            c = Mix(t.haze, t.low * 0.6f + t.haze * 0.2f, SmoothStep(0.0f, 0.35f, -e));
        }
        switch (t.index) {
            case 4: {  // aurora curtains over the ice: a sharp wavy lower hem, rays fading upwards
                const float wave = 0.42f + 0.1f * fbm(u * period, 0.5f, seed + 7, period, 0);
                const float above = e - wave;
                const float band = SmoothStep(-0.015f, 0.02f, above) * std::exp(-std::max(above, 0.0f) / 0.16f);
                const float rays = 0.55f + 0.45f * fbm(u * period * 8.0f, e * 0.8f, seed + 8, period * 8, 0);
                c = c + Mix(Rgb(80, 255, 150), Rgb(120, 120, 255), SmoothStep(0.0f, 0.3f, above)) * (0.75f * band * rays);
                break;
            }
            case 11: {  // nebula clouds
                const float n = fbm(u * period, e * 2.0f, seed + 9, period, 0);
                const float m = fbm(u * period * 2.0f + 5.0f, e * 4.0f, seed + 10, period * 2, 0);
                c = c + Mix(Rgb(255, 70, 160), Rgb(90, 120, 255), 0.5f + 0.5f * m) *
                            (0.55f * SmoothStep(0.0f, 0.6f, n) * SmoothStep(-0.1f, 0.3f, e));
                break;
            }
            case 7:  // glow of fires below the horizon on the ash clouds
                c = c + Rgb(255, 90, 20) * (0.35f * std::exp(-std::fabs(e) * 5.0f));
                break;
            default:
                break;
        }
        if (e > 0.01f && t.cloudCover > 0.0f) {
            const float v = 3.5f / (e + 0.08f);
            const float n = fbm(u * period, v, seed + 1, period, 0);
            const float streak = t.index == 8 ? 2.5f : 1.0f;  // long sunset streaks
            const float n2 = fbm(u * period * streak, v, seed + 2, static_cast<int>(period * streak), 0);
            const float density = SmoothStep(0.05f, 0.5f, 0.6f * n + 0.4f * n2 + (t.cloudCover - 0.5f) * 0.9f);
            const float shade = 0.7f + 0.3f * fbm(u * period * 2.0f, v * 2.0f, seed + 3, period * 2, 0);
            Color cloud = t.cloud * std::clamp(shade, 0.3f, 1.1f);
            cloud = Mix(cloud, t.haze, std::exp(-e * 6.0f) * 0.5f);  // lit from the horizon below
            c = Mix(c, cloud, density * SmoothStep(0.01f, 0.12f, e) * 0.9f);
        }
        return Clamp01(c);
    });
    Image full = img.Resized(kSkySize, kSkySize);
    if (t.stars > 0) {
        // Stars at full size so they stay sharp; clouds hide them.
        for (int y = 0; y < kSkySize / 2; ++y)
            for (int x = 0; x < kSkySize; ++x) {
                const float e = 1.0f - 2.0f * (y + 0.5f) / kSkySize;
                const float visible = t.stars * SmoothStep(0.05f, 0.5f, e) * (1.0f - 0.8f * SmoothStep(0.4f, 0.8f, Luma(full.At(x, y))));
                if (visible <= 0) continue;
                full.At(x, y) = Clamp01(full.At(x, y) + StarField((x + 0.5f) / kSkySize * 90.0f, (y + 0.5f) / kSkySize * 90.0f, seed, 0.18f) * visible);
            }
    }
    return full;
}

Image SunSprite() {
    Image img(256, 256, {});
    const float cx = 128, cy = 128;
    img.Fill([&](float x, float y) {
        const float dx = (x - cx) / 128.0f, dy = (y - cy) / 128.0f;
        const float r = std::hypot(dx, dy);
        const float a = std::atan2(dy, dx);
        const float core = 1.0f - SmoothStep(0.14f, 0.2f, r);
        const float glow = std::exp(-r * r / 0.05f) * 0.8f + std::exp(-r / 0.25f) * 0.35f;
        const float rays = std::pow(std::fabs(std::cos(a * 6.0f)), 24.0f) * std::exp(-r / 0.35f) * 0.35f +
                           std::pow(std::fabs(std::cos(a * 6.0f + 0.26f)), 40.0f) * std::exp(-r / 0.5f) * 0.2f;
        const float edge = 1.0f - SmoothStep(0.8f, 1.0f, r);
        return Clamp01((Rgb(255, 250, 236) * core + Rgb(255, 214, 150) * glow + Rgb(255, 230, 180) * rays) * edge);
    });
    return img;
}

Image FlareSprite(int kind) {
    Image img(128, 128, {});
    img.Fill([&](float x, float y) {
        const float dx = (x - 64) / 64.0f, dy = (y - 64) / 64.0f;
        const float r = std::hypot(dx, dy);
        const float edge = 1.0f - SmoothStep(0.85f, 1.0f, r);
        float k = 0;
        Color c{1, 1, 1};
        switch (kind) {
            case 1:  // wide soft halo with a faint rainbow rim
                k = 0.35f * std::exp(-r * r / 0.18f) + 0.5f * std::exp(-std::pow((r - 0.72f) / 0.06f, 2.0f));
                c = Mix(Rgb(140, 170, 255), Rgb(255, 190, 140), SmoothStep(0.6f, 0.85f, r));
                break;
            case 2: {  // hexagonal iris
                const float a = std::atan2(dy, dx);
                const float sector = std::fmod(a + kPi * 7.0f, kPi / 3.0f) - kPi / 6.0f;
                const float hex = r * std::cos(sector) / std::cos(kPi / 6.0f);
                k = 0.8f * (1.0f - SmoothStep(0.62f, 0.68f, hex)) * (0.55f + 0.45f * hex);
                c = Rgb(190, 230, 255);
                break;
            }
            case 3:  // thin ring
                k = 0.9f * std::exp(-std::pow((r - 0.6f) / 0.07f, 2.0f)) + 0.15f * std::exp(-r * r / 0.2f);
                c = Rgb(200, 255, 240);
                break;
            default:  // small bright dot
                k = std::exp(-r * r / 0.06f) + 0.3f * std::exp(-r * r / 0.3f);
                c = Rgb(255, 220, 200);
                break;
        }
        return Clamp01(c * (k * edge));
    });
    return img;
}

void WriteSky(const std::filesystem::path& dir) {
    const Dir px{1, 0, 0}, nx{-1, 0, 0}, py{0, 1, 0}, ny{0, -1, 0}, pz{0, 0, 1}, nz{0, 0, -1};
    SaveJpg(dir / "Back3.jpg", CubeFace(pz, px, py));
    SaveJpg(dir / "Front3.jpg", CubeFace(nz, nx, py));
    SaveJpg(dir / "Left3.jpg", CubeFace(px, nz, py));
    SaveJpg(dir / "Right3.jpg", CubeFace(nx, pz, py));
    SaveJpg(dir / "Down3.jpg", CubeFace(py, px, pz));
    SaveJpg(dir / "top3.jpg", CubeFace(ny, px, pz));
    for (int n = 2; n <= kThemeCount; ++n) SaveJpg(dir / ("c" + std::to_string(n) + ".jpg"), ThemeSky(ThemeFor(n)));
    SaveJpg(dir / "sun.jpg", SunSprite());
    for (int k = 1; k <= 4; ++k) SaveJpg(dir / ("flare" + std::to_string(k) + ".jpg"), FlareSprite(k));
}

const Registrar kReg("sky", &WriteSky);

}  // namespace

}  // namespace orvane::assets::visual
