// The fleet: adding ships of each kind at random places, removing them, moving them in order.
#include "GameWorld.h"

#include "clsStarShips.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

using namespace orvane;
using gametest::GameWorld;
using qxcommon::Vector3;

using FleetTest = GameWorld;

TEST_F(FleetTest, EachKindIsPlacedInItsRangeAndABatchDoesNotShareOneSpot) {
    fleet->AddStarShips(10);
    fleet->AddBorg(10);
    fleet->AddFighters(10);
    ASSERT_EQ(fleet->Count(), 30);
    std::set<std::pair<float, float>> spots;
    int index = 0;
    for (const auto& ship : *fleet) {
        const Vector3 p = ship->GetBody().Position();
        const float above = p.y - Ground(p.x, p.z);
        spots.insert({p.x, p.z});
        switch (index++ / 10) {
        case 0:  // starships: x 250..1550, z 0..1000, 30..70 above the ground
            EXPECT_EQ(ship->GetShipType(), 1);
            EXPECT_TRUE(p.x >= 250 && p.x < 1550 && p.z >= 0 && p.z < 1000) << p.x << ", " << p.z;
            EXPECT_TRUE(above >= 30 && above < 70.01f) << above;
            EXPECT_EQ(ship->GetBody().Velocity(), (Vector3{0, 0, 1.0f}));
            EXPECT_FLOAT_EQ(ship->GetBody().Mass(), 10.0f);
            break;
        case 1:  // obstacles: x 0..1800, z 100..1100, 60..100 above the ground
            EXPECT_EQ(ship->GetShipType(), 2);
            EXPECT_TRUE(p.x >= 0 && p.x < 1800 && p.z >= 100 && p.z < 1100) << p.x << ", " << p.z;
            EXPECT_TRUE(above >= 60 && above < 100.01f) << above;
            EXPECT_EQ(ship->GetBody().Velocity(), (Vector3{0, 0, 3.0f}));
            EXPECT_FLOAT_EQ(ship->GetBody().Mass(), 25.0f);
            break;
        default:  // fighters: x 180..1680, z 10..510, 40..140 absolute
            EXPECT_EQ(ship->GetShipType(), 3);
            EXPECT_TRUE(p.x >= 180 && p.x < 1680 && p.z >= 10 && p.z < 510) << p.x << ", " << p.z;
            EXPECT_TRUE(p.y >= 40 && p.y < 140) << p.y;
            EXPECT_EQ(ship->GetBody().Velocity(), (Vector3{0, 0, 1.5f}));
            EXPECT_FLOAT_EQ(ship->GetBody().Mass(), 5.0f);
            break;
        }
    }
    // Reseeding from a high-resolution clock: ships added together stand apart.
    EXPECT_EQ(spots.size(), 30u);
}

TEST_F(FleetTest, NothingIsAddedForNoShipsAndShipsHaveNoKeys) {
    fleet->AddStarShips(0);
    fleet->AddFighters(-3);
    EXPECT_EQ(fleet->Count(), 0);
    fleet->AddStarShips(2, "enemy");
    EXPECT_EQ(fleet->Count(), 2);
    EXPECT_THROW(fleet->Remove("enemy"), qxcommon::UnknownKeyError);
    EXPECT_THROW(fleet->Remove(3), qxcommon::BadIndexError);
    const auto second = *std::next(fleet->begin());
    fleet->Remove(1);
    ASSERT_EQ(fleet->Count(), 1);
    EXPECT_EQ(*fleet->begin(), second);
}

TEST_F(FleetTest, MoveMovesEveryShipInOrderAndKeepsTheLast) {
    PlacePlayer(300, 100);
    fleet->AddStarShips(2);
    fleet->AddFighters(2);
    std::vector<float> before;
    for (const auto& ship : *fleet) before.push_back(ship->GetBody().Position().z);
    fleet->Move(0.9f);
    int i = 0;
    for (const auto& ship : *fleet) {
        const float z = ship->GetBody().Position().z;
        // Each moved once: +0.9 or +1.35, or back at 500 when it started below the area.
        const float step = i < 2 ? 0.9f : 1.35f;
        if (before[i] + step >= 20) {
            EXPECT_NEAR(z, before[i] + step, 1e-3f);
        } else {
            EXPECT_FLOAT_EQ(z, 500);
        }
        ++i;
    }
    EXPECT_EQ(fleet->mStarShip, gametest::Last(*fleet));
}

}  // namespace
