// Meshes from 3DS files written by the test.
#include "Engine3D.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace quarvex;
using enginetest::ScratchDir;

namespace {

class ModelFileTest : public enginetest::EngineWithFiles {
protected:
    Scene3D scene;
};

TEST_F(ModelFileTest, A3dsModelGivesItsTrianglesAtScaleOne) {
    // Written z-up with the front along -y, as modellers do: a 20 x 10 floor at height 0 and a
    // wall 8 units behind (file y = 8). In the world: the floor at y = 0, the wall at z = -8.
    enginetest::Write3ds(dir.File("2.3ds"), {{{-10, -5, 0, 10, -5, 0, 10, 5, 0}},
                                              {{-10, 8, 0, 10, 8, 0, 0, 8, 10}}});
    auto tank = scene.CreateMesh("");
    tank->ClearGeometry();
    tank->Load3DS(dir.Path().string() + "\\2.3ds", true);  // the game's own path form
    tank->SetScale(1, 1, 1);
    tank->SetTexture(nullptr, -1);
    tank->FinishGeometry();
    EXPECT_EQ(tank->TriangleCount(), 2);
    EXPECT_TRUE(tank->IntersectsSegment({5, 1, 0}, {5, -1, 0}, 3));
    EXPECT_FALSE(tank->IntersectsSegment({-5, 1, 0}, {-5, -1, 0}, 3));  // the floor's missing half
    EXPECT_TRUE(tank->IntersectsSegment({0, 5, -7}, {0, 5, -9}, 3));
    EXPECT_FALSE(tank->IntersectsSegment({0, 5, 7}, {0, 5, 9}, 3));

    // Placed like an enemy: moved, it is hit where it stands.
    tank->SetPosition(800, 200, 500);
    EXPECT_TRUE(tank->IntersectsSegment({805, 201, 500}, {805, 199, 500}, 3));
}

TEST_F(ModelFileTest, BadModelFilesAreReportedByName) {
    auto mesh = scene.CreateMesh();
    try {
        mesh->Load3DS("fermo00.3ds", true);
        FAIL() << "no error for a missing model";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("fermo00.3ds"), std::string::npos) << e.what();
    }
    enginetest::WriteText(dir.File("broken.3ds"), std::string("MM\x10\0\0\0garbage", 14));
    try {
        mesh->Load3DS("broken.3ds", true);
        FAIL() << "no error for a corrupt model";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("broken.3ds"), std::string::npos) << e.what();
    }
    EXPECT_EQ(mesh->TriangleCount(), 0);
}

}  // namespace
