#include "TerrainLod.h"

#include <algorithm>
#include <cmath>

namespace quarvex::detail {

int TerrainLod::LevelCount(int cellsPerChunk) {
    int levels = 1;
    while (levels < kMaxLevels && Step(levels) <= cellsPerChunk) ++levels;
    return levels;
}

int TerrainLod::Lines(int cellsPerChunk, int level) {
    const int step = Step(level);
    return (cellsPerChunk + step - 1) / step + 1;
}

int TerrainLod::Line(int i, int cellsPerChunk, int level) { return std::min(i * Step(level), cellsPerChunk); }

float TerrainLod::LevelHeight(const TerrainData& t, int cx, int cz, int level, int i, int j) {
    const int n = t.cellsPerChunk, step = Step(level), last = Lines(n, level) - 2;
    // The level's cell holding the point, and its extent (the last one may be shorter).
    const int xc = std::min(i / step, last), zc = std::min(j / step, last);
    const int xa = Line(xc, n, level), xb = Line(xc + 1, n, level);
    const int za = Line(zc, n, level), zb = Line(zc + 1, n, level);
    const int x0 = cx * n, z0 = cz * n;
    const float h00 = t.GridHeight(x0 + xa, z0 + za), h10 = t.GridHeight(x0 + xb, z0 + za);
    const float h01 = t.GridHeight(x0 + xa, z0 + zb), h11 = t.GridHeight(x0 + xb, z0 + zb);
    if (i == xb && j == zb) return h11;
    // Points on a cell's edge are worked out from that edge's ends alone, the same way from
    // either side, so that neighbouring chunks meet exactly.
    const float fx = static_cast<float>(i - xa) / static_cast<float>(xb - xa);
    const float fz = static_cast<float>(j - za) / static_cast<float>(zb - za);
    if (fx >= fz) return (i == xb ? h10 : h00 + fx * (h10 - h00)) + fz * (h11 - h10);
    return (j == zb ? h01 : h00 + fz * (h01 - h00)) + fx * (h11 - h01);
}

TerrainLod::Errors TerrainLod::ChunkErrors(const TerrainData& t, int cx, int cz) {
    Errors errors{};
    const int n = t.cellsPerChunk;
    for (int level = 1; level < LevelCount(n); ++level) {
        float worst = errors[level - 1] * kMinErrorGrowth + kMinErrorStep;
        for (int j = 0; j <= n; ++j) {
            for (int i = 0; i <= n; ++i) {
                const float full = t.GridHeight(cx * n + i, cz * n + j);
                worst = std::max(worst, std::fabs(LevelHeight(t, cx, cz, level, i, j) - full));
            }
        }
        errors[level] = worst;
    }
    return errors;
}

int TerrainLod::Choose(const Errors& errors, int levels, float distance, float pixelsPerUnit,
                       float maxPixels) {
    const float allowed = maxPixels * std::max(distance, 1e-3f) / pixelsPerUnit;
    int level = 0;
    while (level + 1 < levels && errors[level + 1] <= allowed) ++level;
    return level;
}

float TerrainLod::Morph(const Errors& errors, int levels, int level, float distance, float pixelsPerUnit,
                        float maxPixels) {
    if (level + 1 >= levels) return 0.0f;
    // Distances at which this level and the next coarser one become good enough.
    const float from = errors[level] * pixelsPerUnit / maxPixels;
    const float takeover = errors[level + 1] * pixelsPerUnit / maxPixels;
    const float start = std::max(from, kMorphStart * takeover);
    if (!(takeover > start)) return distance >= takeover ? 1.0f : 0.0f;
    return std::clamp((distance - start) / (takeover - start), 0.0f, 1.0f);
}

float TerrainLod::EdgeMorph(const Drawn& self, const Drawn& neighbour) {
    return std::clamp(std::max(self.Position(), neighbour.Position()) - static_cast<float>(self.level), 0.0f,
                      kEdgeReach);
}

bool TerrainLod::EdgeMeets(const Drawn& a, const Drawn& b) {
    return std::max(a.Position(), b.Position()) <= static_cast<float>(std::min(a.level, b.level)) + kEdgeReach;
}

}  // namespace quarvex::detail
