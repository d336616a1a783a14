// The colour and mood of each level theme (1 = the first level, 2..11 the numbered sets).
#pragma once

#include "Raster.h"

namespace orvane::assets::visual {

struct Theme {
    int index;
    const char* mood;
    // Sky: colour at the zenith, just above the horizon, and a haze band at the horizon.
    Color zenith, horizon, haze;
    Color cloud;
    float cloudCover;  // 0 = clear, 1 = overcast
    float stars;       // 0 = none, 1 = a full night sky
    // Terrain from valley floor to peaks, plus an accent used for streaks, lava or flowers.
    Color low, mid, high, peak, accent;
    float accentAmount;
    // Hull colours: tanks and fighters, starships, obstacles; lights.
    Color armour, hull, hulk, lights;
};

// Themes 1..11; any other index gives theme 1.
const Theme& ThemeFor(int index);
constexpr int kThemeCount = 11;

}  // namespace orvane::assets::visual
