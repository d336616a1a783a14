// The terrain's height field, shared by the height map image and the terrain textures so that
// their colours follow the hills. (u, v) in [0, 1] map to world x = 2048 u and z = 2048 v.
#pragma once

namespace orvane::assets::visual {

constexpr int kHeightMapSize = 256;  // 8 x 8 chunks of 32 cells

// Normalised height in [0, 1] at (u, v), bilinear over the height map grid.
float TerrainHeight(float u, float v);
// Height of grid point (i, j), i along x and j along z, both in [0, kHeightMapSize).
float TerrainHeightAt(int i, int j);

}  // namespace orvane::assets::visual
