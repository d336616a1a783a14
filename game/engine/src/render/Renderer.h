// Draws the scene model into the 800 x 600 picture (an off-screen framebuffer): sky box, terrain,
// meshes, billboards, particles, then the 2D queue and the fade.
#pragma once

#include "../EngineState.h"
#include "../PictureBox.h"
#include "GlResources.h"
#include "TextRenderer.h"

#include <array>
#include <memory>
#include <string>
#include <unordered_map>

namespace quarvex::detail {

class TerrainRenderer;

struct MeshVertex {
    glm::vec3 position;
    glm::vec3 normal;
    glm::vec2 uv;
};

class Renderer {
public:
    Renderer(int width, int height);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Draws the frame into the picture framebuffer.
    void DrawFrame(EngineState& state);
    // The picture's place in a window of the given size in pixels: scaled to fit, letter-boxed;
    // on a software renderer, where scaling a large window costs more than a frame's time,
    // pixel for pixel in the middle.
    PictureBox Placement(int windowWidth, int windowHeight) const;
    // Copies the picture into the window's framebuffer at its place, with a black border unless
    // the border is already there.
    void Blit(int windowWidth, int windowHeight, bool border = true);
    bool Software() const { return software_; }
    Image ReadPicture();
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    struct GpuMesh {
        std::weak_ptr<const MeshData> owner;  // the buffers go when the mesh is released
        GLuint vao = 0, vbo = 0;
        uint64_t version = 0;
        std::vector<std::pair<int, std::pair<GLint, GLsizei>>> groups;  // group, first, count
        glm::vec3 centre{0.0f};
        float radius = 0.0f;
    };
    struct FrameView {
        glm::mat4 view, projection, viewProjection;
        std::array<glm::vec4, 6> planes;
        glm::vec3 eye;
        glm::vec3 fogColor;
        glm::vec2 fog;
        glm::vec3 light;
    };

    FrameView MakeView(const EngineState& state) const;
    bool SphereVisible(const FrameView& v, const glm::vec3& centre, float radius) const;
    // whole: all six faces; otherwise only what lies above the horizon.
    void DrawSky(const EngineState& state, const FrameView& v, bool whole);
    void DrawMeshes(const EngineState& state, const FrameView& v);
    void DrawBillboards(EngineState& state, const FrameView& v);
    void DrawParticles(const EngineState& state, const FrameView& v);
    void DrawOverlay(const EngineState& state, const FrameView& v);
    void PlaceSun(const EngineState& state, const FrameView& v);
    void DrawSunAndFlares(const EngineState& state, const Draw2D& item, std::vector<QuadVertex>& out);
    GpuMesh& MeshFor(const std::shared_ptr<const MeshData>& mesh);
    void ReleaseGoneMeshes();
    // Alpha: ordinary transparency. Additive: light added. Glow: premultiplied colour added over
    // what is behind, dimmed by alpha (fire that turns to smoke).
    enum class Blend { Alpha = 0, Additive = 1, Glow = 2 };
    void UseSprite(const glm::mat4& matrix, GLuint texture, bool fog, const FrameView* v,
                   Blend blend, float alphaTest);

    int width_, height_;
    bool software_;  // OpenGL drawn by the CPU
    GLuint framebuffer_ = 0, colorTexture_ = 0, depthBuffer_ = 0;
    std::unique_ptr<Program> meshProgram_, opaqueMeshProgram_, skyProgram_;
    std::unique_ptr<Program> spritePrograms_[3][2];  // by blend, without / with the alpha test
    std::unique_ptr<Program> pictureProgram_;         // the finished picture, shown scaled
    std::unique_ptr<TerrainRenderer> terrain_;
    TextureCache textures_;
    QuadStream quads_;
    TextRenderer text_;
    GLuint skyVao_ = 0, skyVbo_ = 0;
    GLint skyFirst_[6] = {};  // vertex range of each sky face
    GLsizei skyCount_[6] = {};
    GLsizei skyUpperCount_[6] = {};  // the part above the horizon (sides' upper rows, the top)
    int flareCounter_ = 0;
    float sunX_ = 0, sunY_ = 0, sunVisible_ = 0;
    std::unordered_map<const MeshData*, GpuMesh> meshes_;
    std::vector<QuadVertex> scratch_;
    std::unordered_map<GLuint, std::vector<MeshVertex>> batches_;  // by GL texture
    std::vector<std::vector<MeshVertex>*> groupBatches_;            // a mesh's groups' batches
    std::vector<std::pair<std::shared_ptr<const MeshData>, float>> nearFirst_;  // meshes by distance
    GLuint batchVao_ = 0, batchVbo_ = 0;
    size_t batchCapacity_ = 0;
    uint64_t frames_ = 0;
};

}  // namespace quarvex::detail
