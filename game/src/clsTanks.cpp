#include "clsTanks.h"

#include "modActors.h"
#include "variabili_globali.h"

#include <Engine3D.h>

namespace orvane {

void clsTanks::AddTanks(int16_t Number, std::string_view) {
    for (int32_t i = 1; i <= Number; ++i) {
        ReseedFromClock();
        const float x = 1000.0f * RandomDraw() + 250.0f;
        const float z = 350.0f * RandomDraw() + 30.0f;
        const float y = RequireLand().GetHeight(x, z) + 60.0f;
        auto tank = std::make_shared<clsTank>();
        tank->SetTankMass(5.0f);
        tank->SetBoundingBoxMass(50.0f);
        tank->SetPosition({x, y, z});
        tank->SetVelocity({0.0f, 0.0f, 1.0f});
        tank->SetSize(30.0f, 30.0f, 20.0f);
        tank->Build(0);
        tanks.Add(std::move(tank));
    }
}

void clsTanks::Remove(int32_t vntIndexKey) { tanks.Remove(vntIndexKey); }
void clsTanks::Remove(std::string_view vntIndexKey) { tanks.Remove(vntIndexKey); }

void clsTanks::Move(float Time) {
    for (const auto& tank : tanks) tank->Move(Time);
}

}  // namespace orvane
