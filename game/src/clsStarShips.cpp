#include "clsStarShips.h"

#include "modActors.h"
#include "variabili_globali.h"

#include <Engine3D.h>

namespace orvane {

namespace {
// A kind of ship as the fleet creates it.
struct Kind {
    int32_t type;
    float mass, boundingBoxMass;
    float length, width, height;
    Vector3 velocity;
};
constexpr Kind kStarShips{1, 10.0f, 40.0f, 60.0f, 60.0f, 10.0f, {0.0f, 0.0f, 1.0f}};
constexpr Kind kBorg{2, 25.0f, 50.0f, 80.0f, 80.0f, 80.0f, {0.0f, 0.0f, 3.0f}};
constexpr Kind kFighters{3, 5.0f, 10.0f, 40.0f, 60.0f, 30.0f, {0.0f, 0.0f, 1.5f}};

std::shared_ptr<clsStarShip> MakeShip(const Kind& kind, const Vector3& position) {
    auto ship = std::make_shared<clsStarShip>();
    ship->SetShipMass(kind.mass);
    ship->SetBoundingBoxMass(kind.boundingBoxMass);
    ship->SetPosition(position);
    ship->SetVelocity(kind.velocity);
    ship->SetSize(kind.length, kind.width, kind.height);
    ship->Build(kind.type);
    return ship;
}

// A fresh draw after reseeding the generator from the clock.
float ReseededDraw() {
    ReseedFromClock();
    return RandomDraw();
}

float Ground(float x, float z) { return RequireLand().GetHeight(x, z); }
}  // namespace

void clsStarShips::AddBorg(int16_t Number, std::string_view) {
    for (int32_t i = 1; i <= Number; ++i) {
        // Only the first two draws reseed.
        const float x = 1800.0f * ReseededDraw();
        const float z = 1000.0f * ReseededDraw() + 100.0f;
        const float y = 40.0f * RandomDraw() + Ground(x, z) + 60.0f;
        ships.Add(MakeShip(kBorg, {x, y, z}));
    }
}

void clsStarShips::AddFighters(int16_t Number, std::string_view) {
    for (int32_t i = 1; i <= Number; ++i) {
        const float x = 1500.0f * ReseededDraw() + 180.0f;
        const float y = 100.0f * ReseededDraw() + 40.0f;  // absolute, not above the ground
        const float z = 500.0f * ReseededDraw() + 10.0f;
        ships.Add(MakeShip(kFighters, {x, y, z}));
    }
}

void clsStarShips::AddStarShips(int16_t Number, std::string_view) {
    for (int32_t i = 1; i <= Number; ++i) {
        const float x = 1300.0f * ReseededDraw() + 250.0f;
        const float z = 1000.0f * ReseededDraw();
        const float y = 40.0f * ReseededDraw() + Ground(x, z) + 30.0f;
        ships.Add(MakeShip(kStarShips, {x, y, z}));
    }
}

void clsStarShips::Remove(int32_t vntIndexKey) { ships.Remove(vntIndexKey); }
void clsStarShips::Remove(std::string_view vntIndexKey) { ships.Remove(vntIndexKey); }

void clsStarShips::Move(float Time) {
    for (const auto& ship : ships) {
        mStarShip = ship;
        mStarShip->Move(Time);
    }
}

}  // namespace orvane
