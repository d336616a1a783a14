// Levels of detail of the terrain's chunks. Level L draws every 2^L-th grid line of a chunk
// (the last line of a chunk always), each cell split along the same diagonal as the full grid.
// A level's error is how far its surface lies from the full grid's at any grid point; a chunk is
// drawn at the coarsest level whose error, seen from the eye, stays under a pixel budget.
#pragma once

#include "TerrainModel.h"

#include <array>

namespace quarvex::detail {

struct TerrainLod {
    static constexpr int kMaxLevels = 7;  // steps 1 .. 64: a 64-cell chunk down to one cell

    // Levels a chunk of n cells has: steps 1, 2, 4, ... up to n.
    static int LevelCount(int cellsPerChunk);
    static int Step(int level) { return 1 << level; }
    // Grid lines of a level across a chunk of n cells, and the local grid index of line i.
    static int Lines(int cellsPerChunk, int level);
    static int Line(int i, int cellsPerChunk, int level);

    // Height of the level's surface at local grid point (i, j) of chunk (cx, cz).
    static float LevelHeight(const TerrainData& terrain, int cx, int cz, int level, int i, int j);

    // Largest vertical distance between the level's surface and the full grid of chunk (cx, cz),
    // made to grow by a quarter and kMinErrorStep at least per level, so that the eye moving
    // away passes through every level in turn, each over a stretch long enough to morph in.
    // errors[0] is 0.
    static constexpr float kMinErrorGrowth = 1.25f, kMinErrorStep = 1e-3f;
    using Errors = std::array<float, kMaxLevels>;
    static Errors ChunkErrors(const TerrainData& terrain, int cx, int cz);

    // The coarsest level whose error, at distance d from the eye, projects to at most maxPixels,
    // where pixelsPerUnit is the size in pixels of one unit at distance 1.
    static int Choose(const Errors& errors, int levels, float distance, float pixelsPerUnit,
                      float maxPixels);
    // How far a chunk drawn at `level` has turned into the next level's surface (0..1): 0 where
    // the level begins to be chosen and up to kMorphStart of the distance at which the next
    // takes over, 1 there, so that neither switch shows.
    static constexpr float kMorphStart = 0.6f;
    static float Morph(const Errors& errors, int levels, int level, float distance, float pixelsPerUnit,
                       float maxPixels);

    // A chunk as drawn this frame. level + morph grows without jumps as the eye moves away.
    struct Drawn {
        int level = 0;
        float morph = 0.0f;
        float Position() const { return static_cast<float>(level) + morph; }
    };
    // Two neighbours draw their shared edge as the coarser one does; the finer one can follow
    // up to two levels coarser than its own (its vertices carry the heights of both). EdgeMorph
    // is the morph (0..2) `self` gives its vertices on that edge, EdgeMeets whether both edges
    // then coincide (otherwise skirts must hide the slit).
    static constexpr float kEdgeReach = 2.0f;
    static float EdgeMorph(const Drawn& self, const Drawn& neighbour);
    static bool EdgeMeets(const Drawn& a, const Drawn& b);
};

}  // namespace quarvex::detail
