#include "HeightMap.h"

#include "Noise.h"
#include "Raster.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace orvane::assets::visual {

namespace {

float RawHeight(float u, float v) {
    const Fbm hills{5, 2.0f, 0.5f};
    const Fbm broad{3, 2.0f, 0.5f};
    const Fbm peaks{5, 2.0f, 0.5f};
    // Rolling hills about four to a side, long winding valleys, and mountain groups where a broad
    // mask rises.
    float h = 0.5f + 0.5f * hills(u * 4.5f, v * 4.5f, 11u);
    const float river = std::fabs(broad(u * 1.6f + 3.1f, v * 1.6f + 0.7f, 23u));
    h -= 0.28f * (1.0f - SmoothStep(0.0f, 0.16f, river));
    const float mountainMask = SmoothStep(-0.15f, 0.35f, broad(u * 1.3f + 7.0f, v * 1.3f + 2.0f, 37u));
    h += 0.4f * mountainMask * peaks.Ridged(u * 5.0f, v * 5.0f, 41u);
    // The start of play (x 1000, z 85) and the tank ground (x 250..1250, z 30..380) stay gentle.
    const float startArea = SmoothStep(0.35f, 0.12f, std::hypot((u - 0.45f) * 0.8f, v - 0.08f));
    h = h * (1.0f - 0.45f * startArea) + 0.35f * 0.45f * startArea;
    return h;
}

const std::vector<float>& Grid() {
    static const std::vector<float> grid = [] {
        std::vector<float> g(static_cast<size_t>(kHeightMapSize) * kHeightMapSize);
        for (int j = 0; j < kHeightMapSize; ++j)
            for (int i = 0; i < kHeightMapSize; ++i)
                g[static_cast<size_t>(j) * kHeightMapSize + i] =
                    RawHeight((i + 0.5f) / kHeightMapSize, (j + 0.5f) / kHeightMapSize);
        // Spread the heights over the full range; the highest half percent become flat-topped peaks.
        std::vector<float> sorted = g;
        std::sort(sorted.begin(), sorted.end());
        const float mn = sorted.front(), mx = sorted[sorted.size() * 995 / 1000];
        for (float& h : g) h = 0.02f + 0.98f * std::clamp((h - mn) / (mx - mn), 0.0f, 1.0f);
        return g;
    }();
    return grid;
}

}  // namespace

float TerrainHeightAt(int i, int j) {
    i = std::clamp(i, 0, kHeightMapSize - 1);
    j = std::clamp(j, 0, kHeightMapSize - 1);
    return Grid()[static_cast<size_t>(j) * kHeightMapSize + i];
}

float TerrainHeight(float u, float v) {
    const float x = u * kHeightMapSize - 0.5f, y = v * kHeightMapSize - 0.5f;
    const float fx = std::floor(x), fy = std::floor(y);
    const int i = static_cast<int>(fx), j = static_cast<int>(fy);
    const float tx = x - fx, ty = y - fy;
    const float a = TerrainHeightAt(i, j) + (TerrainHeightAt(i + 1, j) - TerrainHeightAt(i, j)) * tx;
    const float b = TerrainHeightAt(i, j + 1) + (TerrainHeightAt(i + 1, j + 1) - TerrainHeightAt(i, j + 1)) * tx;
    return a + (b - a) * ty;
}

}  // namespace orvane::assets::visual
