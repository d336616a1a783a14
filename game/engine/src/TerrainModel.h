// The terrain of the scene model: a height grid over chunks of 256 units, its textures, the sun
// and the lens flares. GetHeight interpolates the full grid's triangles, which the renderer
// draws near the eye (further out, fewer triangles within a few pixels of them).
#pragma once

#include "Engine3D.h"
#include "Image.h"

#include <glm/glm.hpp>

#include <array>
#include <vector>

namespace quarvex::detail {

struct LensFlare {
    TexturePtr texture;
    float size = 0.0f;
    float distance = 0.0f;
    Color color1 = 0, color2 = 0;
};

struct TerrainData {
    static constexpr float kChunkSize = 256.0f;
    // The brightest height-map pixel stands at kHeightRange * f / (f + 1) units for landscape
    // factor f: 0.4 -> 63 (gentle first level), 3 -> 165, 12 -> 203. The rise saturates so that
    // the high factors of late levels keep slopes a craft at ground + 10 can follow.
    static constexpr float kHeightRange = 220.0f;

    bool built = false;
    int chunksX = 8, chunksZ = 8;
    int cellsPerChunk = 32;
    int cellsX = 0, cellsZ = 0;
    float cellSize = 8.0f;
    std::vector<float> level;  // 0..1 per grid point, (cellsX + 1) * (cellsZ + 1), row = z
    float factor = 1.0f;
    uint64_t version = 1;       // changes with the heights
    uint64_t gridVersion = 1;   // changes with `level` (not with the factor, which scales it)

    std::vector<TexturePtr> chunkTextures;  // chunksX * chunksZ, row = z
    TexturePtr detail;
    glm::vec2 baseRepeat{1.0f, 1.0f};
    glm::vec2 detailRepeat{4.0f, 4.0f};

    TexturePtr sunTexture;
    glm::vec3 sunPosition{-1800.0f, 500.0f, 0.0f};
    float sunSize = 1.0f;
    bool hasSun = false;
    std::array<LensFlare, 4> flares;

    float Width() const { return chunksX * kChunkSize; }
    float Depth() const { return chunksZ * kChunkSize; }
    float HeightScale() const { return factor > 0.0f ? kHeightRange * factor / (factor + 1.0f) : 0.0f; }
    float GridHeight(int ix, int iz) const {
        return level[static_cast<size_t>(iz) * (cellsX + 1) + ix] * HeightScale();
    }
    float GetHeight(float x, float z) const;
    // Unit vector from the terrain's centre towards the sun.
    glm::vec3 SunDirection() const;

    void Build(const Image& heightMap, int precision, int chunksX, int chunksZ, bool smooth);
};

}  // namespace quarvex::detail
