// Landscape3D: a handle onto the engine-wide terrain.
#include "EngineState.h"
#include "Paths.h"

#include <algorithm>

namespace quarvex {

using detail::State;

void Landscape3D::GenerateFromHeightMap(std::string_view file, int32_t precision, int32_t chunksX,
                                        int32_t chunksZ, int32_t, int32_t, bool smooth) {
    auto& state = State();
    const std::string path = detail::ResolvePath(file, state.searchDir);
    const detail::Image map = detail::LoadImageFile(path, std::string(file));
    state.terrain.Build(map, precision, chunksX, chunksZ, smooth);
}

void Landscape3D::SetLandscapeFactor(float factor) {
    auto& terrain = State().terrain;
    terrain.factor = std::max(0.0f, factor);
    ++terrain.version;
}

float Landscape3D::GetLandscapeFactor() const { return State().terrain.factor; }

void Landscape3D::SetBaseTexture(const TexturePtr& texture) {
    auto& terrain = State().terrain;
    terrain.chunkTextures.assign(std::max<size_t>(terrain.chunkTextures.size(), 1), texture);
}

void Landscape3D::SetTerrainTexture(const TexturePtr& texture, bool) { SetBaseTexture(texture); }

void Landscape3D::SetTerrainTextureScale(float u, float v, bool) {
    State().terrain.baseRepeat = {u, v};
}

void Landscape3D::SetChunkTexture(const TexturePtr& texture, int32_t x, int32_t z, int32_t w,
                                  int32_t h) {
    auto& terrain = State().terrain;
    terrain.chunkTextures.resize(static_cast<size_t>(terrain.chunksX) * terrain.chunksZ);
    for (int cz = std::max(0, z); cz < std::min(terrain.chunksZ, z + h); ++cz) {
        for (int cx = std::max(0, x); cx < std::min(terrain.chunksX, x + w); ++cx) {
            terrain.chunkTextures[static_cast<size_t>(cz) * terrain.chunksX + cx] = texture;
        }
    }
}

void Landscape3D::SetDetailTexture(const TexturePtr& texture) { State().terrain.detail = texture; }

void Landscape3D::SetDetailTextureScale(float u, float v, bool) {
    State().terrain.detailRepeat = {u, v};
}

void Landscape3D::SetDetailMode(int32_t) {}
void Landscape3D::SetSurfaceOptions(bool, float, float, float, float, float, float) {}
void Landscape3D::RefreshSurface() {}
void Landscape3D::SetScaleFactor(float) {}
void Landscape3D::SetDistanceFactor(float) {}
void Landscape3D::EnableSurfaceFeature(bool) {}

void Landscape3D::SetSun(const TexturePtr& texture, const Vector3& position, float size) {
    auto& terrain = State().terrain;
    terrain.sunTexture = texture;
    terrain.sunPosition = {position.x, position.y, position.z};
    terrain.sunSize = size;
    terrain.hasSun = true;
}

void Landscape3D::SetLensFlare(int32_t index, float size, const TexturePtr& texture, float distance,
                               Color color1, Color color2) {
    if (index < 1 || index > 4) return;
    State().terrain.flares[index - 1] = {texture, size, distance, color1, color2};
}

void Landscape3D::Update() {}

void Landscape3D::Render(bool, bool) {
    auto& state = State();
    state.frame.terrain = true;
    // The sun and its flares take their place in the 2D queue now; their screen positions are
    // worked out when the frame is presented, with the camera of that moment.
    if (state.terrain.hasSun) {
        Draw2D sun;
        sun.kind = Draw2D::Kind::Sun;
        sun.texture = state.terrain.sunTexture;
        state.queue.push_back(sun);
        for (const auto& flare : state.terrain.flares) {
            if (flare.size <= 0.0f) continue;
            Draw2D item;
            item.kind = Draw2D::Kind::LensFlare;
            item.texture = flare.texture;
            item.color = flare.color1;
            item.color2 = flare.color2;
            state.queue.push_back(item);
        }
    }
}

float Landscape3D::GetHeight(float x, float z) const { return State().terrain.GetHeight(x, z); }

}  // namespace quarvex
