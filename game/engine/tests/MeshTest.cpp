// Meshes of the scene model: placement in the mesh's own frame and segment tests in world space.
#include "Engine3D.h"
#include "MeshModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

using namespace quarvex;

namespace {

constexpr float kTol = 1e-4f;

class MeshTest : public ::testing::Test {
protected:
    void SetUp() override { Engine3D::Reset(); }
    void TearDown() override { Engine3D::Reset(); }

    // A 10 x 10 square in the plane z = 0, centred on the origin.
    MeshPtr Square() {
        auto mesh = scene.CreateMesh("square");
        mesh->AddTriangle(nullptr, -5, -5, 0, 5, -5, 0, 5, 5, 0, 1, 1, -1, 0);
        mesh->AddTriangle(nullptr, -5, -5, 0, 5, 5, 0, -5, 5, 0, 1, 1, -1, 0);
        mesh->FinishGeometry();
        return mesh;
    }

    Scene3D scene;
};

void ExpectVector(const Vector3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, kTol);
    EXPECT_NEAR(v.y, y, kTol);
    EXPECT_NEAR(v.z, z, kTol);
}

TEST_F(MeshTest, PlacementInTheMeshsOwnFrame) {
    auto mesh = scene.CreateMesh("carrier");
    mesh->SetPosition(10, 20, 30);
    ExpectVector(mesh->TransformPoint({1, 2, 3}), 11, 22, 33);

    // A quarter turn to the right: forward becomes +x, the right side becomes -z.
    mesh->RotateY(std::numbers::pi_v<float> / 2);
    ExpectVector(mesh->TransformPoint({0, 0, 400}), 410, 20, 30);
    ExpectVector(mesh->TransformPoint({1, 0, 0}), 10, 20, 29);
    mesh->MoveRelative(10, 2, 3);
    ExpectVector(mesh->GetPosition(), 20, 22, 27);

    // A further -30 degrees: forward = (sin 60, 0, cos 60).
    mesh->RotateY(-std::numbers::pi_v<float> / 6);
    mesh->SetPosition(0, 0, 0);
    mesh->MoveRelative(2, 0, 0);
    ExpectVector(mesh->GetPosition(), 2 * std::sqrt(3.0f) / 2, 0, 1);

    mesh->SetScale(2, 3, 4);
    mesh->SetPosition(0, 0, 0);
    // local (0, 1, 1) scaled to (0, 3, 4); up stays up, forward is (sin 60, 0, cos 60).
    ExpectVector(mesh->TransformPoint({0, 1, 1}), 4 * std::sqrt(3.0f) / 2, 3, 2);
}

TEST_F(MeshTest, TurnsAreInRadiansAsTheCraftGivesThem) {
    // The craft turns its carrier by a hundredth of what it is given: its boundary turn of -45
    // is -0.45 rad (to the left), 100 pixels of mouse motion to the right 1 rad to the right.
    auto carrier = scene.CreateMesh("Camera");
    carrier->SetPosition(1000, 30, 1961);
    const Vector3 ahead{0, 2, 400};  // the craft's look-at point in the carrier's frame
    carrier->RotateY(-45 / 100.0f);
    ExpectVector(carrier->TransformPoint(ahead), 1000 - 400 * std::sin(0.45f), 32, 1961 + 400 * std::cos(0.45f));

    // Motion read a pixel at a time adds up to the same turn.
    auto turned = scene.CreateMesh("Camera");
    for (int pixel = 0; pixel < 100; ++pixel) turned->RotateY(1 / 100.0f);
    ExpectVector(turned->TransformPoint({0, 0, 1}), std::sin(1.0f), 0, std::cos(1.0f));
}

TEST_F(MeshTest, SetMatrixTakesRowVectorMatrices) {
    auto mesh = scene.CreateMesh();
    const float a = 0.3f, c = std::cos(a), s = std::sin(a);
    Matrix4 m;  // rotation about y by a (rows side, up, forward), position (5, 6, 7)
    m.m11 = c; m.m13 = -s;
    m.m22 = 1;
    m.m31 = s; m.m33 = c;
    m.m41 = 5; m.m42 = 6; m.m43 = 7; m.m44 = 1;
    mesh->SetMatrix(m);
    // v x M = 1 * row1 + 2 * row2 + 3 * row3 + row4
    ExpectVector(mesh->TransformPoint({1, 2, 3}), c + 3 * s + 5, 2 + 6, -s + 3 * c + 7);
    ExpectVector(mesh->GetPosition(), 5, 6, 7);
    EXPECT_EQ(mesh->GetMatrix(), m);

    // The same rotation as RotateY(a): both turn forward towards +x.
    auto turned = scene.CreateMesh();
    turned->RotateY(a);
    turned->SetPosition(5, 6, 7);
    const Vector3 p = turned->TransformPoint({1, 2, 3});
    ExpectVector(mesh->TransformPoint({1, 2, 3}), p.x, p.y, p.z);

    // Scale is kept across SetMatrix.
    mesh->SetScale(2, 2, 2);
    mesh->SetMatrix(m);
    ExpectVector(mesh->TransformPoint({0, 1, 0}), 5, 8, 7);
}

TEST_F(MeshTest, SegmentTouchesTrianglesWhereTheyAreNow) {
    auto mesh = Square();
    EXPECT_TRUE(mesh->IntersectsSegment({0, 0, -1}, {0, 0, 1}, 3));
    EXPECT_TRUE(mesh->IntersectsSegment({0, 0, 1}, {0, 0, -1}, 3));  // either direction
    EXPECT_FALSE(mesh->IntersectsSegment({0, 0, 1}, {0, 0, 2}, 3));  // stops short
    EXPECT_TRUE(mesh->IntersectsSegment({0, 0, 0}, {0, 0, 1}, 3));   // end on the surface
    EXPECT_TRUE(mesh->IntersectsSegment({5, 0, -1}, {5, 0, 1}, 3));  // on an edge
    EXPECT_FALSE(mesh->IntersectsSegment({5.01f, 0, -1}, {5.01f, 0, 1}, 3));
    EXPECT_TRUE(mesh->IntersectsSegment({-5, 5, -1}, {-5, 5, 1}, 3));  // on a corner

    // Moved in the same frame: the test follows at once, with no frame drawn in between.
    mesh->SetPosition(100, 0, 50);
    EXPECT_FALSE(mesh->IntersectsSegment({0, 0, -1}, {0, 0, 1}, 3));
    EXPECT_TRUE(mesh->IntersectsSegment({100, 0, 49}, {100, 0, 51}, 3));

    // A moving target: a mesh advanced by SetMatrix every frame is hit only where it is.
    Matrix4 m;
    m.m11 = m.m22 = m.m33 = m.m44 = 1;
    for (int frame = 0; frame < 5; ++frame) {
        m.m43 = 10.0f * frame;
        mesh->SetMatrix(m);
        EXPECT_TRUE(mesh->IntersectsSegment({0, 0, m.m43 - 0.5f}, {0, 0, m.m43 + 0.5f}, 3)) << frame;
        EXPECT_FALSE(mesh->IntersectsSegment({0, 0, m.m43 + 1}, {0, 0, m.m43 + 9}, 3)) << frame;
    }

    // Turned a quarter: the square now stands in a plane x = const.
    mesh->SetPosition(0, 0, 0);
    mesh->RotateY(std::numbers::pi_v<float> / 2);
    EXPECT_TRUE(mesh->IntersectsSegment({-1, 0, 0}, {1, 0, 0}, 3));
    EXPECT_FALSE(mesh->IntersectsSegment({2, 0, 0}, {3, 0, 0}, 3));
    // A segment lying in the square's plane touches it too.
    EXPECT_TRUE(mesh->IntersectsSegment({0, 0, 0.5f}, {0, 0, 1}, 3));
    EXPECT_TRUE(mesh->IntersectsSegment({0, 0, -20}, {0, 0, 20}, 3));
    EXPECT_FALSE(mesh->IntersectsSegment({0, 0, 6}, {0, 0, 20}, 3));

    // Scaled up, the same segment beyond the old edge now hits.
    mesh->SetScale(3, 3, 3);
    EXPECT_TRUE(mesh->IntersectsSegment({-1, 12, 0}, {1, 12, 0}, 3));

    // Turned by 45 degrees and moved: the square's side reaches x = 130 + 5 cos 45 = 133.54.
    auto turned = Square();
    turned->RotateY(std::numbers::pi_v<float> / 4);
    turned->SetPosition(130, 0, 0);
    EXPECT_TRUE(turned->IntersectsSegment({133.5f, 4.9f, -10}, {133.5f, 4.9f, 10}, 3));
    EXPECT_FALSE(turned->IntersectsSegment({133.6f, 4.9f, -10}, {133.6f, 4.9f, 10}, 3));
    EXPECT_TRUE(turned->IntersectsSegment({126.5f, -4.9f, 10}, {126.5f, -4.9f, -10}, 3));
}

TEST_F(MeshTest, DegenerateSegmentsAndMeshes) {
    auto mesh = Square();
    EXPECT_TRUE(mesh->IntersectsSegment({1, 1, 0}, {1, 1, 0}, 3));     // a point on it
    EXPECT_FALSE(mesh->IntersectsSegment({1, 1, 0.1f}, {1, 1, 0.1f}, 3));
    EXPECT_TRUE(mesh->IntersectsSegment({-10, 0, 0}, {10, 0, 0}, 3));   // through it, in its plane
    EXPECT_FALSE(mesh->IntersectsSegment({-10, 6, 0}, {10, 6, 0}, 3));  // beside it, in its plane
    const float nan = std::nanf("");
    EXPECT_FALSE(mesh->IntersectsSegment({nan, nan, nan}, {0, 0, 1}, 3));

    auto empty = scene.CreateMesh();
    EXPECT_FALSE(empty->IntersectsSegment({0, 0, -1}, {0, 0, 1}, 3));

    // The camera carrier: one triangle with every corner at 0 is never hit off its point.
    auto carrier = scene.CreateMesh("Camera");
    carrier->AddTriangle(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, -1, 0);
    carrier->SetPosition(50, 50, 50);
    EXPECT_FALSE(carrier->IntersectsSegment({49, 49, 49}, {49, 60, 49}, 3));

    // An all-zero matrix (a body not yet initialised) collapses the mesh onto its position.
    Matrix4 zero;
    zero.m41 = 3;
    mesh->SetMatrix(zero);
    EXPECT_FALSE(mesh->IntersectsSegment({0, 0, -1}, {0, 0, 1}, 3));
}

TEST_F(MeshTest, ClearGeometryEmptiesTheMesh) {
    auto mesh = Square();
    EXPECT_EQ(mesh->TriangleCount(), 2);
    mesh->ClearGeometry();
    EXPECT_EQ(mesh->TriangleCount(), 0);
    EXPECT_FALSE(mesh->IntersectsSegment({0, 0, -1}, {0, 0, 1}, 3));
}

TEST_F(MeshTest, BillboardFacesTheCamera) {
    auto flame = scene.CreateBillboard(nullptr, 1000, 15, 20, 20, 40, "", 0, 0, 0, true);
    scene.SetCamera(1000, 15, -100, 1000, 15, 20);  // looking along +z at it
    EXPECT_TRUE(flame->IntersectsSegment({1000, 15, 19}, {1000, 15, 21}, 3));
    EXPECT_TRUE(flame->IntersectsSegment({1009, 34, 19}, {1009, 34, 21}, 3));
    EXPECT_FALSE(flame->IntersectsSegment({1011, 15, 19}, {1011, 15, 21}, 3));  // half width 10
    EXPECT_FALSE(flame->IntersectsSegment({1000, 36, 19}, {1000, 36, 21}, 3));  // half height 20
    // Seen from the side it turns to face the eye, so a segment along x hits it.
    scene.SetCamera(0, 15, 20, 1000, 15, 20);
    EXPECT_TRUE(flame->IntersectsSegment({999, 15, 20}, {1001, 15, 20}, 3));
    EXPECT_FALSE(flame->IntersectsSegment({999, 15, 31}, {1001, 15, 31}, 3));
    flame->SetPosition(500, 15, 20);
    EXPECT_TRUE(flame->IntersectsSegment({499, 15, 20}, {501, 15, 20}, 3));
}

TEST_F(MeshTest, MeshesReleasedOnARestartLeaveTheScene) {
    // Held for the whole game: the two effect billboards and the bonus station.
    auto flame = scene.CreateBillboard(nullptr, 1000, 15, 20, 20, 40);
    auto explosion = scene.CreateBillboard(nullptr, 1150, 50, 0, 40, 40);
    auto station = Square();
    const int32_t held = scene.MeshCount();
    EXPECT_EQ(held, 3);

    Engine3D engine;
    std::vector<std::weak_ptr<detail::MeshData>> released;
    for (int restart = 0; restart < 100; ++restart) {
        // Each start makes a new main scene and a new craft: its carrier (one triangle of no size)
        // and its projectile (an open box of eight triangles), flying when the game ends.
        Scene3D mainScene;
        auto carrier = mainScene.CreateMesh("Camera");
        carrier->AddTriangle(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, -1, 0);
        auto projectile = mainScene.CreateMesh("Projectile");
        for (int t = 0; t < 8; ++t) projectile->AddTriangle(nullptr, 1, 1, t, 1, -1, t, -1, -1, t, 1, 1, -1, 0);
        projectile->FinishGeometry();
        projectile->ShowMesh(true);
        for (int frame = 0; frame < 3; ++frame) {
            engine.Clear(false);
            mainScene.RenderAll();
            engine.Present();
        }
        EXPECT_EQ(scene.MeshCount(), held + 2);
        released.push_back(carrier->Data());
        released.push_back(projectile->Data());
    }
    EXPECT_EQ(scene.MeshCount(), held);
    for (const auto& mesh : released) EXPECT_TRUE(mesh.expired());  // freed, not just hidden
    // What the game still holds is untouched.
    EXPECT_TRUE(flame->IntersectsSegment({1000, 15, 19}, {1000, 15, 21}, 3));
    EXPECT_EQ(station->TriangleCount(), 2);
    explosion.reset();
    EXPECT_EQ(scene.MeshCount(), held - 1);
}

TEST_F(MeshTest, EveryScene3DIsTheSameScene) {
    Scene3D other;
    other.SetCamera(1, 2, 3, 4, 5, 6);
    Camera3D camera;
    const Vector3 eye = camera.GetPosition();
    EXPECT_EQ(eye, (Vector3{1, 2, 3}));
    EXPECT_EQ(camera.GetLookAt(), (Vector3{4, 5, 6}));
    // A billboard made through one handle is tested with the camera set through another.
    auto board = other.CreateBillboard(nullptr, 1, 2, 10, 4, 4);
    scene.SetCamera(1, 2, 0, 1, 2, 10);
    EXPECT_TRUE(board->IntersectsSegment({1, 2, 9}, {1, 2, 11}, 3));
}

}  // namespace
