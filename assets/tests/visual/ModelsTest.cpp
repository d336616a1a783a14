// The tank and the bonus station load through assimp (as the engine loads them) with sane
// bounds, texture coordinates, outward-facing triangles and the textures the game uses.
#include "ImageFile.h"
#include "visual/Model3ds.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace orvane::assets::visual::test {
namespace {

struct Loaded {
    aiVector3D lo{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(), std::numeric_limits<float>::max()};
    aiVector3D hi{-std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(), -std::numeric_limits<float>::max()};
    std::vector<aiVector3D> points;
    double signedVolume = 0;
    size_t triangles = 0;
    bool uvsInRange = true;
    bool allHaveUvs = true;
    std::vector<std::string> textures;
};

Loaded Load(const std::filesystem::path& file) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(file.string(), aiProcess_Triangulate | aiProcess_PreTransformVertices);
    Loaded out;
    if (!scene) {
        ADD_FAILURE() << "assimp: " << importer.GetErrorString();
        return out;
    }
    EXPECT_GT(scene->mNumMeshes, 0u);
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        out.allHaveUvs = out.allHaveUvs && mesh->HasTextureCoords(0);
        for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
            const aiVector3D& v = mesh->mVertices[i];
            out.lo = {std::min(out.lo.x, v.x), std::min(out.lo.y, v.y), std::min(out.lo.z, v.z)};
            out.hi = {std::max(out.hi.x, v.x), std::max(out.hi.y, v.y), std::max(out.hi.z, v.z)};
            out.points.push_back(v);
            if (mesh->HasTextureCoords(0)) {
                const aiVector3D& t = mesh->mTextureCoords[0][i];
                out.uvsInRange = out.uvsInRange && t.x >= -0.001f && t.x <= 1.001f && t.y >= -0.001f && t.y <= 1.001f;
            }
        }
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3) continue;
            const aiVector3D a = mesh->mVertices[face.mIndices[0]], b = mesh->mVertices[face.mIndices[1]],
                             c = mesh->mVertices[face.mIndices[2]];
            out.signedVolume += (a * (b ^ c)) / 6.0;
            ++out.triangles;
        }
    }
    for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
        aiString path;
        if (scene->mMaterials[m]->GetTexture(aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS)
            out.textures.emplace_back(path.C_Str());
    }
    return out;
}

TEST(Models, TankIsThirtyByTwentyByThirtyWithItsGunForward) {
    const Loaded t = Load(kDataDir / "2.3ds");
    ASSERT_GT(t.triangles, 100u);
    EXPECT_NEAR(t.hi.x - t.lo.x, 30.0f, 1.0f);
    EXPECT_NEAR(t.hi.y - t.lo.y, 20.0f, 1.0f);
    EXPECT_NEAR(t.hi.z - t.lo.z, 30.0f, 2.0f);
    // Centred on its bounding box.
    EXPECT_NEAR(t.lo.x + t.hi.x, 0.0f, 1.0f);
    EXPECT_NEAR(t.lo.y + t.hi.y, 0.0f, 1.0f);
    // The front-most points are the gun: narrow, high, at +z.
    aiVector3D sum;
    int n = 0;
    for (const auto& p : t.points)
        if (p.z > t.hi.z - 1.2f) {
            sum += p;
            ++n;
        }
    ASSERT_GT(n, 0);
    sum /= static_cast<float>(n);
    EXPECT_LT(std::abs(sum.x), 2.0f);
    EXPECT_GT(sum.y, 0.0f);
    for (const auto& p : t.points) {
        if (p.z > t.hi.z - 1.2f) {
            EXPECT_LT(std::abs(p.x), 3.0f);
        }
    }
    EXPECT_TRUE(t.allHaveUvs);
    EXPECT_TRUE(t.uvsInRange);
    EXPECT_GT(t.signedVolume, 0.0) << "triangles face outwards";
    ASSERT_EQ(t.textures.size(), 1u);
    EXPECT_EQ(t.textures[0], "a1.jpg");
    EXPECT_TRUE(std::filesystem::exists(kDataDir / t.textures[0]));
}

TEST(Models, BonusStationStandsOnTheGroundBelowItsOrigin) {
    const Loaded s = Load(kDataDir / "fermo00.3ds");
    ASSERT_GT(s.triangles, 50u);
    // The game places the station 40 units above the ground height.
    EXPECT_NEAR(s.lo.y, -40.0f, 0.5f);
    EXPECT_GT(s.hi.y, 5.0f);
    EXPECT_GT(s.hi.x - s.lo.x, 40.0f);
    EXPECT_LT(s.hi.x - s.lo.x, 80.0f);
    EXPECT_GT(s.hi.z - s.lo.z, 40.0f);
    EXPECT_TRUE(s.allHaveUvs);
    EXPECT_TRUE(s.uvsInRange);
    EXPECT_GT(s.signedVolume, 0.0);
    ASSERT_EQ(s.textures.size(), 1u);
    EXPECT_EQ(s.textures[0], "copertura.jpg");
}

TEST(Models, WriterFixesWindingAndRejectsOversizedMeshes) {
    Mesh3ds m{"t", "M", {}, {}, {}};
    // Given clockwise, the triangle is turned to face away from the inside point.
    m.Triangle({0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0}, {0, 1}, {1, 0}, {0, 0, -1});
    ASSERT_EQ(m.faces.size(), 1u);
    const V3 a = m.vertices[m.faces[0][0]], b = m.vertices[m.faces[0][1]], c = m.vertices[m.faces[0][2]];
    const V3 e1 = b - a, e2 = c - a;
    EXPECT_GT(e1.x * e2.y - e1.y * e2.x, 0.0f) << "normal points to +z, away from the inside";
    // Texture coordinates travel with their vertices.
    for (int i = 0; i < 3; ++i) {
        const V3 v = m.vertices[m.faces[0][i]];
        const Uv t = m.uvs[m.faces[0][i]];
        EXPECT_EQ(t.u, v.x);
        EXPECT_EQ(t.v, v.y);
    }
    Mesh3ds big{"big", "M", {}, {}, {}};
    EXPECT_THROW(
        {
            for (int i = 0; i < 22000; ++i) big.Triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {}, {}, {}, {0, 0, -1});
        },
        std::runtime_error);
}

TEST(Models, ChunkLengthsCoverTheirContents) {
    Mesh3ds m{"box", "M", {}, {}, {}};
    m.Box({-1, -1, -1}, {1, 1, 1}, {0, 0, 1, 1}, {0, 0, 1, 1}, {0, 0, 1, 1});
    const auto bytes = Encode3ds({{"M", "x.jpg", {1, 2, 3}}}, {m});
    ASSERT_GE(bytes.size(), 6u);
    EXPECT_EQ(bytes[0] | (bytes[1] << 8), 0x4D4D);
    const uint32_t len = bytes[2] | (bytes[3] << 8) | (bytes[4] << 16) | (static_cast<uint32_t>(bytes[5]) << 24);
    EXPECT_EQ(len, bytes.size());
    // Walk the editor chunk's children: each length lands exactly on the next header.
    size_t pos = 6;
    std::vector<int> ids;
    while (pos + 6 <= bytes.size()) {
        const int id = bytes[pos] | (bytes[pos + 1] << 8);
        const uint32_t l = bytes[pos + 2] | (bytes[pos + 3] << 8) | (bytes[pos + 4] << 16) |
                           (static_cast<uint32_t>(bytes[pos + 5]) << 24);
        ids.push_back(id);
        ASSERT_GE(l, 6u);
        pos += (id == 0x3D3D) ? 6 : l;  // descend into the editor chunk
    }
    EXPECT_EQ(pos, bytes.size());
    EXPECT_EQ(ids, (std::vector<int>{0x0002, 0x3D3D, 0x3D3E, 0xAFFF, 0x0100, 0x4000}));
    EXPECT_EQ(m.faces.size(), 12u);
}

}  // namespace
}  // namespace orvane::assets::visual::test
