// The ground tank "2.3ds" (30 wide, 20 high, about 30 long, centred on its bounding box, gun
// along +z) and the bonus station "fermo00.3ds" (a landing pad with the repair cross on a tower;
// its origin stands 40 units above the ground it rests on, where the game places it).
#include "Generator.h"
#include "Model3ds.h"

#include <cmath>

namespace orvane::assets::visual {

namespace {

// Regions of the tank atlas (see the tank armour texture): armour above, treads in the bottom strip.
constexpr UvRect kTread{0.0f, 0.0f, 1.0f, 0.12f};
constexpr UvRect kArmour{0.05f, 0.2f, 0.95f, 0.95f};
constexpr UvRect kArmourSide{0.0f, 0.16f, 1.0f, 0.5f};
constexpr UvRect kHatch{0.6f, 0.5f, 0.82f, 0.72f};  // round hatch drawn on the atlas
constexpr UvRect kPlate{0.08f, 0.78f, 0.3f, 0.92f};  // number plate
constexpr UvRect kDark{0.02f, 0.13f, 0.2f, 0.15f};

Mesh3ds Tank() {
    Mesh3ds m{"tank", "TANK", {}, {}, {}};
    // Tracks, bevelled at both ends.
    for (float side : {-1.0f, 1.0f}) {
        const float xi = side * 9.0f, xo = side * 15.0f;
        const float xl = std::min(xi, xo), xh = std::max(xi, xo);
        m.Block({V3{xl, -10, -11.5f}, V3{xh, -10, -11.5f}, V3{xl, -3.5f, -14}, V3{xh, -3.5f, -14},
                 V3{xl, -10, 11.5f}, V3{xh, -10, 11.5f}, V3{xl, -3.5f, 14}, V3{xh, -3.5f, 14}},
                kTread, kTread, kTread);
        // Fender over the track.
        m.Box({xl - 0.3f, -3.5f, -13.5f}, {xh + 0.3f, -2.8f, 13.5f}, kArmourSide, kArmour, kDark);
    }
    // Lower hull between the tracks.
    m.Box({-9, -9, -12.5f}, {9, -3.5f, 12.5f}, kArmourSide, kArmour, kDark);
    // Upper hull with a sloped front plate (glacis) and a slanted rear.
    m.Block({V3{-13, -2.8f, -13}, V3{13, -2.8f, -13}, V3{-12.5f, 1.5f, -11.5f}, V3{12.5f, 1.5f, -11.5f},
             V3{-13, -2.8f, 13.5f}, V3{13, -2.8f, 13.5f}, V3{-12.5f, 1.5f, 7.5f}, V3{12.5f, 1.5f, 7.5f}},
            kArmourSide, kArmour, kDark);
    // Turret: a tapered octagon set back from the centre, with a commander's cupola.
    m.Prism(0, -2.0f, 1.5f, 6.5f, 8.0f, 6.5f, 8, kArmourSide, kHatch, kDark, 3.14159265f / 8);
    m.Prism(3.0f, -4.5f, 6.5f, 7.8f, 2.2f, 2.0f, 8, kArmourSide, kHatch, kDark);
    // Gun: mantlet, barrel along +z, muzzle brake.
    m.Box({-2.5f, 2.2f, 4.5f}, {2.5f, 5.8f, 7.5f}, kArmourSide, kArmour, kDark);
    m.TubeZ(0, 4.0f, 7.5f, 14.5f, 1.0f, 8, kArmourSide, kDark);
    m.Box({-1.5f, 2.6f, 14.5f}, {1.5f, 5.4f, 16.0f}, kDark, kDark, kDark);
    // Number plate on the rear of the turret and a radio antenna to the full height.
    m.Quad({-3, 3, -9.1f}, {3, 3, -9.1f}, {3, 5.5f, -9.1f}, {-3, 5.5f, -9.1f}, kPlate, {0, 4, 0});
    m.Box({-4.3f, 6.5f, -7.3f}, {-3.9f, 10.0f, -6.9f}, kDark, kDark, kDark);
    return m;
}

// Station atlas regions (see the station texture).
constexpr UvRect kPad{0.0f, 0.5f, 0.5f, 1.0f};
constexpr UvRect kWall{0.5f, 0.54f, 1.0f, 1.0f};
constexpr UvRect kHazard{0.0f, 0.38f, 1.0f, 0.5f};
constexpr UvRect kSteel{0.05f, 0.02f, 0.95f, 0.36f};

Mesh3ds Station() {
    Mesh3ds m{"station", "STATION", {}, {}, {}};
    // Four legs braced on the ground at y = -40.
    for (float sx : {-1.0f, 1.0f})
        for (float sz : {-1.0f, 1.0f}) {
            const float x = sx * 17.0f, z = sz * 17.0f;
            m.Block({V3{x - 2.5f, -40, z - 2.5f}, V3{x + 2.5f, -40, z - 2.5f}, V3{x * 0.6f - 1.5f, 8, z * 0.6f - 1.5f},
                     V3{x * 0.6f + 1.5f, 8, z * 0.6f - 1.5f}, V3{x - 2.5f, -40, z + 2.5f}, V3{x + 2.5f, -40, z + 2.5f},
                     V3{x * 0.6f - 1.5f, 8, z * 0.6f + 1.5f}, V3{x * 0.6f + 1.5f, 8, z * 0.6f + 1.5f}},
                    kHazard, kSteel, kSteel);
        }
    // Tower with windows and the REPAIR sign all round, on a wider base.
    m.Prism(0, 0, -40, -34, 12, 11, 8, kSteel, kSteel, kSteel);
    m.Prism(0, 0, -34, 8, 9, 8, 8, kWall, kSteel, kSteel, 3.14159265f / 8, 2);
    // The pad: a sixteen-sided deck with the repair cross on top and hazard stripes round its rim.
    m.Prism(0, 0, 8, 12, 24, 27, 16, kHazard, kPad, kSteel);
    // Beacon posts on the rim.
    for (int k = 0; k < 4; ++k) {
        const float a = 0.785398f + k * 1.570796f;
        const float x = 23.0f * std::cos(a), z = 23.0f * std::sin(a);
        m.Box({x - 1, 12, z - 1}, {x + 1, 16, z + 1}, kHazard, kPad, kSteel);
    }
    return m;
}

void WriteModels(const std::filesystem::path& dir) {
    Write3ds(dir / "2.3ds", {{"TANK", "a1.jpg", {110, 120, 80}}}, {Tank()});
    Write3ds(dir / "fermo00.3ds", {{"STATION", "copertura.jpg", {170, 176, 186}}}, {Station()});
}

const Registrar kReg("models", &WriteModels);

}  // namespace

}  // namespace orvane::assets::visual
