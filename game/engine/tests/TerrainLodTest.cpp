// Levels of detail of the terrain: grid lines kept per level, their errors against the full grid,
// the level chosen for a distance and the morph that hides the switch.
#include "TerrainLod.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

using quarvex::detail::TerrainData;
using quarvex::detail::TerrainLod;

namespace {

// One chunk of n x n cells whose grid point (i, j) stands at height(i, j) units.
TerrainData Chunk(int n, const std::function<float(int, int)>& height) {
    TerrainData t;
    t.built = true;
    t.chunksX = t.chunksZ = 1;
    t.cellsPerChunk = t.cellsX = t.cellsZ = n;
    t.cellSize = TerrainData::kChunkSize / n;
    t.factor = 1.0f;
    t.level.resize(static_cast<size_t>(n + 1) * (n + 1));
    for (int j = 0; j <= n; ++j) {
        for (int i = 0; i <= n; ++i) t.level[static_cast<size_t>(j) * (n + 1) + i] = height(i, j) / t.HeightScale();
    }
    return t;
}

TEST(TerrainLodTest, LevelsKeepTheChunkEdgesForAnyCellCount) {
    EXPECT_EQ(TerrainLod::LevelCount(32), 6);  // steps 1, 2, 4, 8, 16, 32
    EXPECT_EQ(TerrainLod::LevelCount(1), 1);
    EXPECT_EQ(TerrainLod::LevelCount(64), TerrainLod::kMaxLevels);
    EXPECT_EQ(TerrainLod::Lines(32, 0), 33);
    EXPECT_EQ(TerrainLod::Lines(32, 5), 2);
    // 10 cells: a step of 4 keeps lines 0, 4, 8 and the edge at 10.
    EXPECT_EQ(TerrainLod::LevelCount(10), 4);
    ASSERT_EQ(TerrainLod::Lines(10, 2), 4);
    EXPECT_EQ(TerrainLod::Line(2, 10, 2), 8);
    EXPECT_EQ(TerrainLod::Line(3, 10, 2), 10);
    for (int n : {1, 3, 10, 32, 48}) {
        for (int level = 0; level < TerrainLod::LevelCount(n); ++level) {
            EXPECT_EQ(TerrainLod::Line(TerrainLod::Lines(n, level) - 1, n, level), n) << n << " " << level;
        }
    }
}

TEST(TerrainLodTest, LevelSurfacesAgreeWithTheFullGridWhereTheyKeepPoints) {
    const TerrainData t = Chunk(10, [](int i, int j) { return static_cast<float>((i * 7 + j * 13) % 11); });
    for (int level = 0; level < TerrainLod::LevelCount(10); ++level) {
        for (int b = 0; b < TerrainLod::Lines(10, level); ++b) {
            for (int a = 0; a < TerrainLod::Lines(10, level); ++a) {
                const int i = TerrainLod::Line(a, 10, level), j = TerrainLod::Line(b, 10, level);
                EXPECT_FLOAT_EQ(TerrainLod::LevelHeight(t, 0, 0, level, i, j), t.GridHeight(i, j));
            }
        }
    }
    // Between kept points the level's triangles are split like the full grid's cells: on the
    // diagonal (00, 11) the height is the mean of those corners, whatever the other two are.
    const TerrainData bump = Chunk(2, [](int i, int j) { return i == 2 && j == 0 ? 40.0f : (i == 2 && j == 2 ? 8.0f : 0.0f); });
    EXPECT_FLOAT_EQ(TerrainLod::LevelHeight(bump, 0, 0, 1, 1, 1), 4.0f);
    EXPECT_FLOAT_EQ(TerrainLod::LevelHeight(bump, 0, 0, 1, 1, 0), 20.0f);
}

TEST(TerrainLodTest, ErrorsMeasureWhatACoarseLevelLeavesOut) {
    // A plane loses nothing at any level: it is drawn with the fewest triangles from any distance.
    const TerrainData plane = Chunk(32, [](int i, int j) { return 3.0f * i - 2.0f * j + 50.0f; });
    const TerrainLod::Errors flat = TerrainLod::ChunkErrors(plane, 0, 0);
    for (int level = 0; level < 6; ++level) EXPECT_NEAR(flat[level], 0.0f, 0.01f) << level;
    EXPECT_EQ(TerrainLod::Choose(flat, 6, 10.0f, 500.0f, 1.0f), 5);

    // A spike on an odd grid point is dropped from level 1 on: its whole height is the error.
    // Every level loses a little more than the one before, so none is skipped on the way out.
    const TerrainData spike = Chunk(32, [](int i, int j) { return i == 5 && j == 9 ? 30.0f : 0.0f; });
    const TerrainLod::Errors e = TerrainLod::ChunkErrors(spike, 0, 0);
    EXPECT_EQ(e[0], 0.0f);
    EXPECT_NEAR(e[1], 30.0f, 0.01f);
    for (int level = 2; level < 6; ++level) EXPECT_GT(e[level], e[level - 1]);

    // Errors are per chunk: a bump in the second chunk leaves the first chunk's errors at zero.
    TerrainData two = Chunk(8, [](int, int) { return 0.0f; });
    two.chunksX = 2;
    two.cellsX = 16;
    two.level.assign(17 * 9, 0.0f);
    two.level[4 * 17 + 13] = 0.5f;
    EXPECT_LT(TerrainLod::ChunkErrors(two, 0, 0)[3], 0.01f);
    EXPECT_GT(TerrainLod::ChunkErrors(two, 1, 0)[3], 10.0f);
}

TEST(TerrainLodTest, ChoiceFollowsTheProjectedError) {
    const TerrainLod::Errors errors{0.0f, 1.0f, 2.0f, 4.0f, 8.0f};
    // 100 pixels per unit at distance 1, a budget of 2 pixels: error e is allowed from 50 e on.
    EXPECT_EQ(TerrainLod::Choose(errors, 5, 10.0f, 100.0f, 2.0f), 0);
    EXPECT_EQ(TerrainLod::Choose(errors, 5, 49.0f, 100.0f, 2.0f), 0);
    EXPECT_EQ(TerrainLod::Choose(errors, 5, 50.0f, 100.0f, 2.0f), 1);
    EXPECT_EQ(TerrainLod::Choose(errors, 5, 199.0f, 100.0f, 2.0f), 2);
    EXPECT_EQ(TerrainLod::Choose(errors, 5, 5000.0f, 100.0f, 2.0f), 4);
    EXPECT_EQ(TerrainLod::Choose(errors, 3, 5000.0f, 100.0f, 2.0f), 2);  // only the levels the chunk has
    EXPECT_EQ(TerrainLod::Choose(errors, 5, 0.0f, 100.0f, 2.0f), 0);     // eye on the chunk
}

TEST(TerrainLodTest, MorphMeetsTheCoarserLevelWhereItTakesOver) {
    const TerrainData t = Chunk(32, [](int i, int j) { return 20.0f * std::sin(i * 0.9f) * std::cos(j * 0.7f); });
    const TerrainLod::Errors e = TerrainLod::ChunkErrors(t, 0, 0);
    const int levels = TerrainLod::LevelCount(32);
    const float k = 500.0f, budget = 3.0f;
    // Walk away from the chunk: where the level switches, the drawn surface (level, morph) must
    // stay where it was at every grid point; within a level the morph only grows.
    auto drawn = [&](float d, int i, int j) {
        const int level = TerrainLod::Choose(e, levels, d, k, budget);
        const float m = TerrainLod::Morph(e, levels, level, d, k, budget);
        const int coarser = std::min(level + 1, levels - 1);
        return (1.0f - m) * TerrainLod::LevelHeight(t, 0, 0, level, i, j) +
               m * TerrainLod::LevelHeight(t, 0, 0, coarser, i, j);
    };
    int switches = 0;
    for (float d = 10.0f; d < 20000.0f; d *= 1.0005f) {
        const float next = d * 1.0005f;
        const int level = TerrainLod::Choose(e, levels, d, k, budget);
        if (TerrainLod::Choose(e, levels, next, k, budget) != level) {
            ++switches;
            for (int j = 0; j <= 32; ++j) {
                for (int i = 0; i <= 32; ++i) ASSERT_NEAR(drawn(d, i, j), drawn(next, i, j), 0.05f) << d;
            }
        } else {
            ASSERT_GE(TerrainLod::Morph(e, levels, level, next, k, budget),
                      TerrainLod::Morph(e, levels, level, d, k, budget));
        }
    }
    EXPECT_GE(switches, 3);
    EXPECT_EQ(TerrainLod::Morph(e, levels, levels - 1, 1e6f, k, budget), 0.0f);  // nothing coarser
    EXPECT_EQ(TerrainLod::Morph(e, levels, 0, 1.0f, k, budget), 0.0f);          // close up: full grid
}

// Heights along the edge x = 32 of chunk 0 (its x-high edge, the x-low edge of chunk 1) as a
// chunk at (level, edge morph) draws them: its vertices on the edge, straight lines between.
std::vector<float> EdgeAsDrawn(const TerrainData& t, int cx, int level, float morph) {
    const int n = t.cellsPerChunk, i = cx == 0 ? n : 0;
    const int last = TerrainLod::LevelCount(n) - 1;
    const int from = std::min(level + (morph > 1.0f ? 1 : 0), last), to = std::min(from + 1, last);
    const float f = morph > 1.0f ? morph - 1.0f : morph;
    std::vector<float> heights;
    for (int line = 0; line + 1 < TerrainLod::Lines(n, level); ++line) {
        const int a = TerrainLod::Line(line, n, level), b = TerrainLod::Line(line + 1, n, level);
        auto at = [&](int j) {
            const float y = TerrainLod::LevelHeight(t, cx, 0, from, i, j);
            return y + f * (TerrainLod::LevelHeight(t, cx, 0, to, i, j) - y);
        };
        for (int j = a; j < b; ++j) heights.push_back(at(a) + (at(b) - at(a)) * (j - a) / (b - a));
    }
    heights.push_back(TerrainLod::LevelHeight(t, cx, 0, level, i, n));
    return heights;
}

TEST(TerrainLodTest, NeighboursMeetOnTheirSharedEdge) {
    // Two chunks side by side over rough ground.
    TerrainData t = Chunk(32, [](int, int) { return 0.0f; });
    t.chunksX = 2;
    t.cellsX = 64;
    t.level.resize(65 * 33);
    for (int j = 0; j <= 32; ++j) {
        for (int i = 0; i <= 64; ++i) t.level[j * 65 + i] = 0.5f + 0.4f * std::sin(i * 1.7f + j * 0.9f) * std::cos(j * 2.3f);
    }
    int met = 0, apart = 0;
    for (int la = 0; la < 5; ++la) {
        for (int lb = 0; lb < 5; ++lb) {
            for (float ma : {0.0f, 0.3f, 1.0f}) {
                for (float mb : {0.0f, 0.55f, 0.9f}) {
                    const TerrainLod::Drawn a{la, ma}, b{lb, mb};
                    const auto edgeA = EdgeAsDrawn(t, 0, la, TerrainLod::EdgeMorph(a, b));
                    const auto edgeB = EdgeAsDrawn(t, 1, lb, TerrainLod::EdgeMorph(b, a));
                    EXPECT_EQ(TerrainLod::EdgeMeets(a, b), TerrainLod::EdgeMeets(b, a));
                    if (!TerrainLod::EdgeMeets(a, b)) {
                        ++apart;
                        continue;
                    }
                    ++met;
                    for (size_t j = 0; j < edgeA.size(); ++j) {
                        ASSERT_NEAR(edgeA[j], edgeB[j], 1e-3f) << la << " " << ma << " / " << lb << " " << mb << " at " << j;
                    }
                }
            }
        }
    }
    // Same levels always meet, so does a neighbour one level coarser; two levels coarser meets
    // until it starts turning.
    EXPECT_TRUE(TerrainLod::EdgeMeets({2, 0.4f}, {2, 0.9f}));
    EXPECT_TRUE(TerrainLod::EdgeMeets({2, 0.4f}, {3, 0.7f}));
    EXPECT_TRUE(TerrainLod::EdgeMeets({1, 0.0f}, {3, 0.0f}));
    EXPECT_FALSE(TerrainLod::EdgeMeets({1, 0.0f}, {3, 0.1f}));
    EXPECT_FALSE(TerrainLod::EdgeMeets({0, 0.5f}, {4, 0.0f}));
    EXPECT_GT(met, 50);
    EXPECT_GT(apart, 50);
}

}  // namespace
