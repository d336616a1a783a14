// Draws the terrain: vertices and index ranges per chunk and level of detail (the level chosen
// each frame from the eye's distance), base texture stretched over the terrain and a detail
// texture repeated per chunk, lit by the sun and fogged.
#pragma once

#include "../TerrainLod.h"
#include "../TerrainModel.h"
#include "GlResources.h"

#include <glm/glm.hpp>

#include <array>
#include <future>
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
        float pixelsPerUnit;  // picture pixels covered by one unit at distance 1
    };
    void Draw(const TerrainData& terrain, const View& view, TextureCache& textures);

private:
    struct Geometry;
    static Geometry Build(const TerrainData& terrain);
    void Apply(Geometry&& geometry);  // uploads it: drawn from now on
    // Builds the height grid's current version; after the first, on a thread of its own. A new
    // landscape factor only scales the heights: the geometry is drawn scaled (Scale).
    void UpdateGeometry(const TerrainData& terrain);
    // The factor from the geometry's heights to the terrain's.
    float Scale(const TerrainData& terrain) const;

    std::unique_ptr<Program> program_, farProgram_;
    GLuint vao_ = 0, vbo_ = 0, ibo_ = 0;
    uint64_t gridVersion_ = 0;
    float builtScale_ = 0.0f;  // HeightScale when the geometry was built
    int chunksX_ = 0, chunksZ_ = 0;
    int levels_ = 1;
    struct Chunk {
        // Per level of detail: the grid's indices, then the skirts of the four edges (z low,
        // z high, x low, x high), each edgeCount indices long.
        static constexpr int kLevels = TerrainLod::kMaxLevels;
        std::array<GLsizei, kLevels> first{}, gridCount{}, edgeCount{};
        std::array<GLuint, kLevels> firstVertex{}, lastVertex{};  // vertex range of each level
        TerrainLod::Errors errors{};
        glm::vec3 min, max;
    };
    std::vector<Chunk> chunks_;
    struct Vertex {
        glm::vec3 position;
        glm::vec3 normal;
        float coarseY, coarse2Y;
        float edge;
    };
    // Vertices, indices and chunks made from one version of the heights.
    struct Geometry {
        uint64_t gridVersion = 0;
        float heightScale = 0.0f;
        int chunksX = 0, chunksZ = 0, levels = 1;
        std::vector<Chunk> chunks;
        std::vector<Vertex> vertices;
        std::vector<GLuint> indices;
    };
    std::future<Geometry> nextGeometry_;
    int framesBehind_ = 0;  // frames drawn since nextGeometry_ was begun
    std::vector<TerrainLod::Drawn> drawn_;  // this frame's level of detail and morph per chunk
    struct ChunkDraw {
        size_t index;
        float distance;             // from the eye to the chunk's bounds
        bool near = false;          // with the detail texture, only where it still shows
        glm::vec4 edgeMorph{0.0f};  // per edge: z low, z high, x low, x high
        int skirts = 0;             // edges that hang a skirt, one bit each
    };
    std::vector<ChunkDraw> draws_;          // this frame's visible chunks, nearest first
    // The detail texture as drawn: its grain in one channel, made from the picture with id
    // detailId_ (0: none) tiled detailRepeat_ times over a chunk.
    struct Grain {
        int width = 1, height = 1;
        std::vector<uint8_t> pixels{128};
        bool nearest = true;
        uint64_t id = 0;  // made from this picture
        glm::vec2 repeat{0.0f};
    };
    static Grain MakeGrain(const TextureData& picture, glm::vec2 repeat, bool magnify);
    void UploadDetail(const Grain& grain);
    void UpdateDetail(const TexturePtr& detail, glm::vec2 repeat);
    std::future<Grain> magnifiedDetail_;  // made on a thread of its own
    std::shared_ptr<TextureData> toMagnify_;  // the detail picture whose magnified grain is wanted next
    GLuint detailTexture_ = 0;
    uint64_t detailId_ = 0;
    glm::vec2 detailRepeat_{0.0f};
};

}  // namespace quarvex::detail
