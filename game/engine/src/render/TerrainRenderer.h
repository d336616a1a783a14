// Draws the terrain: one vertex grid, an index range per chunk, base texture stretched over the
// terrain and a detail texture repeated per chunk, lit by the sun and fogged.
#pragma once

#include "../TerrainModel.h"
#include "GlResources.h"

#include <glm/glm.hpp>

#include <memory>
#include <vector>

namespace quarvex::detail {

class TerrainRenderer {
public:
    TerrainRenderer();
    ~TerrainRenderer();
    TerrainRenderer(const TerrainRenderer&) = delete;
    TerrainRenderer& operator=(const TerrainRenderer&) = delete;

    struct View {
        glm::mat4 viewProjection;
        const std::array<glm::vec4, 6>* planes;
        glm::vec3 eye, light, fogColor;
        glm::vec2 fog;
    };
    void Draw(const TerrainData& terrain, const View& view, TextureCache& textures);

private:
    void Rebuild(const TerrainData& terrain);

    std::unique_ptr<Program> program_, farProgram_;
    GLuint vao_ = 0, vbo_ = 0, ibo_ = 0;
    uint64_t version_ = 0;
    int chunksX_ = 0, chunksZ_ = 0;
    struct Chunk {
        // Per level of detail (full, 1/2, 1/4): the grid's indices, then the skirts of the four
        // edges (z low, z high, x low, x high), each edgeCount indices long.
        GLsizei first[3] = {0, 0, 0};
        GLsizei gridCount[3] = {0, 0, 0};
        GLsizei edgeCount[3] = {0, 0, 0};
        GLuint firstVertex[3] = {0, 0, 0};  // vertex range of each level
        GLuint lastVertex[3] = {0, 0, 0};
        glm::vec3 min, max;
    };
    std::vector<Chunk> chunks_;
    std::vector<int> lods_;  // this frame's level of detail per chunk
    std::weak_ptr<TextureData> detailData_;
    glm::vec3 detailMean_{0.5f};
};

}  // namespace quarvex::detail
