// Meshes of the scene model: local triangles, placement, world-space picking. No GL here.
#pragma once

#include "Engine3D.h"

#include <glm/glm.hpp>

#include <array>
#include <string>
#include <vector>

namespace quarvex::detail {

struct Triangle {
    std::array<glm::vec3, 3> p;
    std::array<glm::vec2, 3> uv;
    std::array<glm::vec3, 3> n;  // vertex normals (a face normal for added triangles)
    int group = 0;
};

struct MeshData {
    std::string name;
    std::vector<Triangle> triangles;
    std::vector<TexturePtr> groupTextures;  // texture of each group

    bool shown = true;
    bool billboard = false;
    float billboardWidth = 0.0f;
    float billboardHeight = 0.0f;
    EffectTexturePtr effect;
    double effectStart = 0.0;  // engine clock seconds

    glm::vec3 scale{1.0f};
    glm::vec3 side{1, 0, 0}, up{0, 1, 0}, forward{0, 0, 1};  // rotation rows
    glm::vec3 position{0.0f};

    uint64_t geometryVersion = 1;  // changes with the triangles; the renderer rebuilds on it
    uint64_t drawnVersion = 0;     // geometry made drawable by FinishGeometry

    // World-space copy of the triangles for picking, rebuilt when placement or triangles change.
    struct WorldTriangle {
        glm::vec3 p0, e1, e2;  // corner and the two edges from it
        float edgeScale2;       // |e1|^2 |e2|^2, for a scale-free parallel test
    };
    mutable uint64_t worldKey = 0;
    mutable std::vector<WorldTriangle> world;
    mutable glm::vec3 worldMin{0.0f}, worldMax{0.0f};
    // Bounds of the local triangles, rebuilt when the triangles change. Placed, they give a box
    // that rules out most segments before the world copy is made.
    mutable uint64_t localKey = 0;
    mutable glm::vec3 localMin{0.0f}, localMax{0.0f};
    uint64_t placementVersion = 1;

    // The texture of a group; none for a group without one.
    TexturePtr GroupTexture(int group) const {
        return group >= 0 && group < static_cast<int>(groupTextures.size()) ? groupTextures[group] : nullptr;
    }
    glm::vec3 ToWorld(const glm::vec3& local) const {
        const glm::vec3 s = local * scale;
        return position + s.x * side + s.y * up + s.z * forward;
    }
    glm::mat4 WorldMatrix() const;  // column-vector form for the renderer
    void PlacementChanged() { ++placementVersion; }
    void GeometryChanged() { ++geometryVersion; }

    int GroupOf(const TexturePtr& texture);
    void AddTriangle(const TexturePtr& texture, const glm::vec3& a, const glm::vec3& b,
                     const glm::vec3& c, float tileU, float tileV);
    void RotateY(float angle);
    void MoveRelative(float forwardAmount, float upAmount, float sideAmount);
    void SetMatrix(const Matrix4& m);

    // Billboard corners (world) facing the eye about the vertical axis: a quad as two triangles.
    std::array<std::array<glm::vec3, 3>, 2> BillboardTriangles(const glm::vec3& eye) const;

    bool IntersectsSegment(const glm::vec3& a, const glm::vec3& b, const glm::vec3& eye) const;
};

// Segment a-b against triangle (p0, p1, p2), ends and edges included.
bool SegmentTouchesTriangle(const glm::vec3& a, const glm::vec3& b, const glm::vec3& p0,
                            const glm::vec3& p1, const glm::vec3& p2);

// Reads a model file with assimp and appends its triangles; material groups follow the file's
// materials, numbered after the mesh's existing groups. Throws EngineError naming the file.
void LoadModelFile(MeshData& mesh, const std::string& path, const std::string& shownName);

}  // namespace quarvex::detail
