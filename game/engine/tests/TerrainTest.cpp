// Terrain heights against height maps made by the test.
#include "Engine3D.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace quarvex;
using enginetest::ScratchDir;

namespace {

constexpr float kTol = 1e-3f;

uint32_t Grey(int value) {
    const uint32_t v = static_cast<uint32_t>(value);
    return 0xFF000000u | (v << 16) | (v << 8) | v;
}

class TerrainTest : public enginetest::EngineWithFiles {
protected:
    Landscape3D land;
};

TEST_F(TerrainTest, HeightsFollowTheMapAndTheFactor) {
    // 9 x 9 pixels over one chunk of 256 units with 8 cells: grid point i is pixel i, 32 units apart.
    enginetest::WriteImage(dir.File("ramp.bmp"), 9, 9, [](int x, int) { return Grey(x * 30); });
    EXPECT_EQ(land.GetHeight(100, 100), 0.0f);  // no terrain yet
    land.SetLandscapeFactor(1.0f);
    land.GenerateFromHeightMap("ramp.bmp", 8, 1, 1, 0, 0, false);
    const float top = 220.0f * 1.0f / 2.0f;  // the documented scale at factor 1
    EXPECT_NEAR(land.GetHeight(0, 50), 0.0f, kTol);
    EXPECT_NEAR(land.GetHeight(96, 50), 90.0f / 255.0f * top, kTol);
    EXPECT_NEAR(land.GetHeight(112, 200), 105.0f / 255.0f * top, kTol);  // between grid lines
    EXPECT_NEAR(land.GetHeight(256, 0), 240.0f / 255.0f * top, kTol);
    // Outside the terrain the nearest edge holds.
    EXPECT_NEAR(land.GetHeight(-50, 10), 0.0f, kTol);
    EXPECT_NEAR(land.GetHeight(900, 10), 240.0f / 255.0f * top, kTol);

    // The factor rescales the same map at once; the rise saturates for high factors.
    land.SetLandscapeFactor(0.4f);
    EXPECT_NEAR(land.GetHeight(256, 0), 240.0f / 255.0f * 220.0f * 0.4f / 1.4f, kTol);
    land.SetLandscapeFactor(12.0f);
    const float high = land.GetHeight(256, 0);
    EXPECT_NEAR(high, 240.0f / 255.0f * 220.0f * 12.0f / 13.0f, kTol);
    EXPECT_LT(high, 220.0f);
}

TEST_F(TerrainTest, HeightsLieOnTheDrawnTriangles) {
    // One bright grid point at (1, 1): in cell (0, 0) only the corner (32, 32) is raised.
    enginetest::WriteImage(dir.File("peak.bmp"), 9, 9,
                           [](int x, int y) { return Grey(x == 1 && y == 1 ? 255 : 0); });
    land.SetLandscapeFactor(1.0f);
    land.GenerateFromHeightMap("peak.bmp", 8, 1, 1, 0, 0, false);
    const float h = 110.0f;
    EXPECT_NEAR(land.GetHeight(32, 32), h, kTol);
    // The cell is split along its diagonal (0, 0)-(32, 32): a plane on each side, not bilinear.
    EXPECT_NEAR(land.GetHeight(24, 8), 0.25f * h, kTol);   // below the diagonal
    EXPECT_NEAR(land.GetHeight(8, 24), 0.25f * h, kTol);   // above it
    EXPECT_NEAR(land.GetHeight(16, 16), 0.5f * h, kTol);   // on it
    EXPECT_NEAR(land.GetHeight(32, 16), 0.5f * h, kTol);   // on the cell edge
}

TEST_F(TerrainTest, GameSizedTerrainSpansEightByEightChunks) {
    enginetest::WriteImage(dir.File("land_map.bmp"), 64, 64,
                           [](int x, int y) { return Grey(x * 2 + y * 2); });
    land.SetLandscapeFactor(0.4f);
    land.GenerateFromHeightMap("land_map.bmp", 32, 8, 8, 0, 0, true);
    // Continuous across the terrain and inside the documented range.
    float previous = land.GetHeight(0, 1024);
    for (float x = 1.0f; x <= 2048.0f; x += 1.0f) {
        const float h = land.GetHeight(x, 1024);
        EXPECT_GE(h, 0.0f);
        EXPECT_LE(h, 220.0f * 0.4f / 1.4f + kTol);
        EXPECT_LT(std::abs(h - previous), 5.0f) << x;
        previous = h;
    }
    EXPECT_GT(land.GetHeight(1900, 1900), land.GetHeight(100, 100));
}

TEST_F(TerrainTest, BadHeightMapsAreReportedByName) {
    try {
        land.GenerateFromHeightMap("land_map.jpg", 32, 8, 8, 0, 0, true);
        FAIL() << "no error for a missing height map";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("land_map.jpg"), std::string::npos) << e.what();
    }
    enginetest::WriteText(dir.File("broken.jpg"), "this is not a JPEG image");
    try {
        land.GenerateFromHeightMap("broken.jpg", 32, 8, 8, 0, 0, true);
        FAIL() << "no error for a corrupt height map";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("broken.jpg"), std::string::npos) << e.what();
    }
    EXPECT_EQ(land.GetHeight(10, 10), 0.0f);
}

}  // namespace
