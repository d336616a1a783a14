// Game benchmark: the actor work of one playing frame (clsTanks.Move and clsStarShips.Move at step
// 0.9, then the player's Move at 0.95) over the engine's scene model and the generated game data,
// with the enemies of level 1 (11) and of level 20 (201: each completed level adds 3 tanks, 3
// starships and 4 fighters). The player fires every eighth frame and turns a little, so shots fly
// through the field and the hit tests run on live segments; the "shot" argument shoots that many
// starships first, so that a late level's burning wrecks are in the frame (each hit ship updates
// its explosion every frame). "exploding" counts the hit enemies at the end. Drawing is not
// included: the frame's 2D queue is cleared and presented outside the timed part.
// Report the CPU column: wall time follows the load of a shared machine.
#include "CameraFPS.h"
#include "TestWorld.h"
#include "clsStarShips.h"
#include "clsTanks.h"
#include "variabili_globali.h"

#include <Engine3D.h>

#include <benchmark/benchmark.h>
#include <dynamora/modMathAndPhysicsGlobal.h>

namespace {

using namespace orvane;

// The world with the enemies of the first level and of every level completed up to lastLevel.
void BuildLevel(quarvex::Engine3D& engine, int32_t lastLevel) {
    gametest::BuildWorld(engine);
    fleet->AddBorg(1);
    fleet->AddStarShips(3);
    fleet->AddFighters(4);
    tanks->AddTanks(3);
    // Later levels' enemies are built with the level's sizes.
    while (level < lastLevel) {
        tanks->AddTanks(3);
        fleet->AddStarShips(3);
        fleet->AddFighters(4);
        level += 1;
    }
}

// Shoots count starships: each is put on the path of a fresh shot and moved, so that its hit
// test meets the shot. Hit ships show their explosion every frame from then on.
void ShootStarships(int count) {
    using namespace dynamora;
    for (const auto& ship : *fleet) {
        if (count == 0) break;
        if (ship->GetShipType() != 1) continue;
        Player->Fire();
        Player->Move(0.95f);
        const Vector3 back = VectorScale(Normalize(Player->GetProjectileVelocity()), -20.0f);
        ship->SetPosition(VectorAdd(Player->GetProjectilePosition(), back));
        ship->Move(0.9f);
        if (ship->GetIsHit()) --count;
    }
}

// state.range(0): the level; state.range(1): starships shot and exploding at the start.
void BM_ActorFrame(benchmark::State& state) {
    quarvex::Engine3D engine;
    BuildLevel(engine, static_cast<int32_t>(state.range(0)));
    Player->Move(0.95f);
    Player->TiltUpDown(40.0f);  // looking a little up, at the ships' height
    ShootStarships(static_cast<int>(state.range(1)));
    const int32_t enemies = fleet->Count() + tanks->Count();
    int frame = 0;
    for (auto _ : state) {
        tanks->Move(0.9f);
        fleet->Move(0.9f);
        Player->Move(0.95f);
        state.PauseTiming();
        if (++frame % 8 == 0) {
            Player->Rotate(3.0f);
            Player->Fire();
        }
        damagePoints = 1;  // rammed for ever, the damage would overflow its 16 bits
        engine.Present();
        engine.Clear(false);
        state.ResumeTiming();
    }
    state.counters["enemies"] = enemies;
    int exploding = 0;
    for (const auto& ship : *fleet) exploding += ship->GetIsHit();
    for (const auto& tank : *tanks) exploding += tank->GetIsHit();
    state.counters["exploding"] = exploding;
    gametest::DropWorld();
}
BENCHMARK(BM_ActorFrame)
    ->ArgNames({"level", "shot"})
    ->Args({1, 0})
    ->Args({20, 0})
    ->Args({20, 10})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
