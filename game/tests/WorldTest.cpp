// The world from the generated data: named textures, scene, terrain, the level look swap and
// the restart reset.
#include "GameWorld.h"

#include "clsStarShips.h"
#include "modTextureFactory.h"
#include "routine_base.h"

#include <EngineState.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace orvane;
using gametest::GameWorld;
using quarvex::Globals3D;

// The file a registered texture's picture came from, without its folder.
std::string FileOf(const char* name) {
    const auto texture = Globals3D::GetTexture(name);
    return texture ? std::filesystem::path(texture->FileName()).filename().string() : "(none)";
}

// The file of the picture of a mesh's first triangle.
std::string FileOf(const quarvex::Mesh3D& mesh) {
    const auto& texture = mesh.Data()->GroupTexture(0);
    return texture ? std::filesystem::path(texture->FileName()).filename().string() : "(none)";
}

using WorldTest = GameWorld;

TEST_F(WorldTest, TheNamedTexturesAreLoadedWithTheSkyFacesCrossedOver) {
    EXPECT_EQ(FileOf("Front"), "Back3.jpg");
    EXPECT_EQ(FileOf("Back"), "Front3.jpg");
    EXPECT_EQ(FileOf("Right"), "Left3.jpg");
    EXPECT_EQ(FileOf("Left"), "Right3.jpg");
    EXPECT_EQ(FileOf("Down"), "top3.jpg");
    EXPECT_EQ(FileOf("Top"), "Down3.jpg");
    // Looked up without regard to case.
    EXPECT_EQ(FileOf("terrain"), "e1.jpg");
    EXPECT_EQ(FileOf("SPARO"), "f2.jpg");
    EXPECT_EQ(FileOf("0000"), "a1.jpg");
    EXPECT_EQ(FileOf("Wall"), "Wall.Bmp");
    // The cross-hair's white is keyed out, its coloured marks are not.
    const auto& cross = Globals3D::GetTexture("Cross")->Data()->image;
    int clear = 0, solid = 0;
    for (size_t i = 3; i < cross.rgba.size(); i += 4) (cross.rgba[i] == 0 ? clear : solid) += 1;
    EXPECT_GT(clear, 0);
    EXPECT_GT(solid, 0);
}

TEST_F(WorldTest, TheSceneShowsTheSkyBoxAndTheTerrainHasHills) {
    const auto& state = quarvex::detail::State();
    const char* faces[6] = {"Front", "Back", "Left", "Right", "Top", "Down"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(state.sky[i], Globals3D::GetTexture(faces[i])) << faces[i];
    EXPECT_FLOAT_EQ(state.skySize, 1500.0f);
    ASSERT_EQ(state.terrain.chunkTextures.size(), 64u);
    for (const auto& chunk : state.terrain.chunkTextures) EXPECT_EQ(chunk, Globals3D::GetTexture("terrain"));
    EXPECT_EQ(state.terrain.detail, Globals3D::GetTexture("detail"));
    EXPECT_FLOAT_EQ(Land->GetLandscapeFactor(), 0.4f);
    float lowest = 1e9f, highest = -1e9f;
    for (float x = 100; x < 2000; x += 100) {
        for (float z = 100; z < 2000; z += 100) {
            lowest = std::min(lowest, Ground(x, z));
            highest = std::max(highest, Ground(x, z));
        }
    }
    EXPECT_GT(highest - lowest, 10.0f);
    // Rendering the terrain puts the sun and four lens flares into the frame's 2D drawings.
    engine.Clear(false);
    RenderTerrain();
    engine.Present();
    EXPECT_EQ(quarvex::Engine3D::LastFrame2D().size(), 5u);
}

TEST_F(WorldTest, TheSecondLevelSwapsInItsLookAndReachesShipsBuiltBefore) {
    fleet->AddStarShips(1);
    fleet->AddFighters(1);
    const auto starship = *fleet->begin();
    const auto fighter = *std::next(fleet->begin());
    EXPECT_EQ(FileOf(*starship->GetMesh()), "iniziofuocook.jpg");

    themeIndex = 2;
    LoadLevelAssets();
    for (const char* face : {"Front", "Back", "Left", "Right", "Top", "Down"}) EXPECT_EQ(FileOf(face), "c2.jpg") << face;
    EXPECT_EQ(FileOf("terrain2"), "e2.jpg");
    EXPECT_EQ(FileOf("detail"), "f2.jpg");
    EXPECT_EQ(FileOf("starship"), "b2.jpg");
    EXPECT_EQ(FileOf("fighter"), "a2.jpg");
    EXPECT_EQ(FileOf("ostacolo"), "ab2.jpg");
    EXPECT_EQ(FileOf("0000"), "a2.jpg");
    EXPECT_FLOAT_EQ(Land->GetLandscapeFactor(), 3.0f);
    // The ships built in level 1 are drawn with the new level's textures.
    EXPECT_EQ(FileOf(*starship->GetMesh()), "b2.jpg");
    EXPECT_EQ(FileOf(*fighter->GetMesh()), "a2.jpg");
    // The sky box, the terrain's chunks and its detail show the new pictures.
    const auto& state = quarvex::detail::State();
    EXPECT_EQ(state.sky[4], Globals3D::GetTexture("Top"));
    for (const auto& chunk : state.terrain.chunkTextures) EXPECT_EQ(chunk, Globals3D::GetTexture("terrain2"));
    EXPECT_EQ(state.terrain.detail, Globals3D::GetTexture("detail"));
}

TEST_F(WorldTest, ARestartBringsBackTheFirstLevelsLook) {
    themeIndex = 5;
    LoadLevelAssets();
    EXPECT_EQ(FileOf("Top"), "c5.jpg");
    LoadTextures();
    CreateScene();
    ResetLandscape();
    EXPECT_EQ(FileOf("Front"), "Back3.jpg");
    EXPECT_EQ(FileOf("Top"), "Down3.jpg");
    EXPECT_EQ(FileOf("terrain"), "e1.jpg");
    EXPECT_EQ(FileOf("detail"), "f1.jpg");
    EXPECT_FLOAT_EQ(Land->GetLandscapeFactor(), 0.4f);
    for (const auto& chunk : quarvex::detail::State().terrain.chunkTextures) {
        EXPECT_EQ(chunk, Globals3D::GetTexture("terrain"));
    }
}

TEST_F(WorldTest, ANewPlayerStartsAtItsPlaceWithTheGamesProjectile) {
    Player->Move(0.95f);
    const auto eye = Player->GetCameraPosition();
    EXPECT_FLOAT_EQ(eye.x, 1000);
    EXPECT_FLOAT_EQ(eye.z, 85);
    EXPECT_NEAR(eye.y, Ground(1000, 85) + 45, 1e-3f);
    Player->Fire();
    EXPECT_NEAR(dynamora::VectorLength(Player->GetProjectileVelocity()), 140.0f, 1e-3f);
}

}  // namespace
