#include "TerrainModel.h"

#include <algorithm>
#include <cmath>

namespace quarvex::detail {

void TerrainData::Build(const Image& map, int precision, int chunksXIn, int chunksZIn, bool smooth) {
    chunksX = std::clamp(chunksXIn, 1, 64);
    chunksZ = std::clamp(chunksZIn, 1, 64);
    cellsPerChunk = std::clamp(precision, 1, 64);
    cellsX = chunksX * cellsPerChunk;
    cellsZ = chunksZ * cellsPerChunk;
    cellSize = kChunkSize / cellsPerChunk;
    level.assign(static_cast<size_t>(cellsX + 1) * (cellsZ + 1), 0.0f);
    // Grid point (ix, iz) samples the image bilinearly: column from x, row from z (top row = z 0).
    auto brightness = [&](int px, int py) {
        const uint8_t* p = map.Pixel(px, py);
        return (0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2]) / 255.0f;
    };
    for (int iz = 0; iz <= cellsZ; ++iz) {
        const float fy = static_cast<float>(iz) / cellsZ * (map.height - 1);
        const int y0 = static_cast<int>(fy), y1 = std::min(y0 + 1, map.height - 1);
        const float ty = fy - y0;
        for (int ix = 0; ix <= cellsX; ++ix) {
            const float fx = static_cast<float>(ix) / cellsX * (map.width - 1);
            const int x0 = static_cast<int>(fx), x1 = std::min(x0 + 1, map.width - 1);
            const float tx = fx - x0;
            const float top = brightness(x0, y0) * (1 - tx) + brightness(x1, y0) * tx;
            const float bottom = brightness(x0, y1) * (1 - tx) + brightness(x1, y1) * tx;
            level[static_cast<size_t>(iz) * (cellsX + 1) + ix] = top * (1 - ty) + bottom * ty;
        }
    }
    if (smooth) {
        // One 3 x 3 box pass takes out the blockiness of 8-bit and JPEG height maps.
        std::vector<float> out(level.size());
        for (int iz = 0; iz <= cellsZ; ++iz) {
            for (int ix = 0; ix <= cellsX; ++ix) {
                float sum = 0.0f;
                int count = 0;
                for (int dz = -1; dz <= 1; ++dz) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int x = ix + dx, z = iz + dz;
                        if (x < 0 || z < 0 || x > cellsX || z > cellsZ) continue;
                        sum += level[static_cast<size_t>(z) * (cellsX + 1) + x];
                        ++count;
                    }
                }
                out[static_cast<size_t>(iz) * (cellsX + 1) + ix] = sum / count;
            }
        }
        level.swap(out);
    }
    chunkTextures.resize(static_cast<size_t>(chunksX) * chunksZ);
    built = true;
    ++version;
    ++gridVersion;
}

float TerrainData::GetHeight(float x, float z) const {
    if (!built || !std::isfinite(x) || !std::isfinite(z)) return 0.0f;
    const float gx = std::clamp(x / cellSize, 0.0f, static_cast<float>(cellsX));
    const float gz = std::clamp(z / cellSize, 0.0f, static_cast<float>(cellsZ));
    const int ix = std::min(static_cast<int>(gx), cellsX - 1);
    const int iz = std::min(static_cast<int>(gz), cellsZ - 1);
    const float fx = gx - ix, fz = gz - iz;
    const float h00 = GridHeight(ix, iz), h10 = GridHeight(ix + 1, iz);
    const float h01 = GridHeight(ix, iz + 1), h11 = GridHeight(ix + 1, iz + 1);
    // Each cell is drawn as the triangles (00, 10, 11) and (00, 11, 01).
    if (fx >= fz) return h00 + fx * (h10 - h00) + fz * (h11 - h10);
    return h00 + fz * (h01 - h00) + fx * (h11 - h01);
}

glm::vec3 TerrainData::SunDirection() const {
    const glm::vec3 centre(Width() * 0.5f, 0.0f, Depth() * 0.5f);
    glm::vec3 d = sunPosition - centre;
    if (glm::length(d) < 1e-3f) d = glm::vec3(-1, 0.3f, 0);
    return glm::normalize(d);
}

}  // namespace quarvex::detail
