// Building triangle meshes with texture coordinates and writing them as 3D Studio (.3ds) files.
// Meshes are built in the game's axes (y up, a model's front along +z) and stored in the file's
// own axes (z up, front along -y), so a loader that turns 3DS files y-up (as assimp does through
// its root node) gets the game's axes back.
// Texture coordinates have v = 0 at the bottom row of the image.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orvane::assets::visual {

struct V3 {
    float x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }

struct Uv {
    float u = 0, v = 0;
};

// A rectangle of the texture, in texture coordinates.
struct UvRect {
    float u0, v0, u1, v1;
};

struct Material3ds {
    std::string name;
    std::string textureFile;
    std::array<uint8_t, 3> diffuse{200, 200, 200};
};

struct Mesh3ds {
    std::string name;
    std::string material;
    std::vector<V3> vertices;
    std::vector<Uv> uvs;  // one per vertex
    std::vector<std::array<uint16_t, 3>> faces;

    // Adds a triangle facing away from `inside` (its winding is fixed so the front points
    // outwards, counter-clockwise seen from the front).
    void Triangle(V3 a, V3 b, V3 c, Uv ta, Uv tb, Uv tc, V3 inside);
    // Quad a-b-c-d (in order around its edge); uv rect corners follow a, b, c, d.
    void Quad(V3 a, V3 b, V3 c, V3 d, UvRect uv, V3 inside);
    // Six-sided block from its eight corners, indexed by bits (x: 1, y: 2, z: 4; 0 = low side).
    void Block(const std::array<V3, 8>& corners, const UvRect& sides, const UvRect& top, const UvRect& bottom);
    void Box(V3 lo, V3 hi, const UvRect& sides, const UvRect& top, const UvRect& bottom);
    // Upright prism with `n` sides between heights y0 and y1 around (cx, cz); radii may differ to
    // taper it. Caps are closed with a fan; the top cap maps its circle into `top`. The sides
    // repeat the `sides` image `wraps` times round the prism (wraps divides n).
    void Prism(float cx, float cz, float y0, float y1, float r0, float r1, int n, const UvRect& sides,
               const UvRect& top, const UvRect& bottom, float phase = 0.0f, int wraps = 1);
    // Cylinder along +z from z0 to z1 at (cx, cy).
    void TubeZ(float cx, float cy, float z0, float z1, float r, int n, const UvRect& sides, const UvRect& caps);
};

std::vector<uint8_t> Encode3ds(const std::vector<Material3ds>& materials, const std::vector<Mesh3ds>& meshes);
void Write3ds(const std::filesystem::path& path, const std::vector<Material3ds>& materials,
              const std::vector<Mesh3ds>& meshes);

}  // namespace orvane::assets::visual
