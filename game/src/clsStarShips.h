// clsStarShips: the fleet of a level: starships, obstacles and fighters, created in numbers at
// random places with each kind's mass, size and velocity, and moved together once per frame.
// Ships are added without a key and stay until the fleet is dropped.
#pragma once

#include "clsStarShip.h"

#include <qxcommon/KeyedCollection.h>

#include <cstdint>
#include <memory>
#include <string_view>

namespace orvane {

class clsStarShips {
public:
    using Collection = qxcommon::KeyedCollection<clsStarShip>;

    // The ship moved last by Move.
    std::shared_ptr<clsStarShip> mStarShip;

    // Each adds Number ships (none when Number < 1). sKey is accepted and not used.
    void AddBorg(int16_t Number, std::string_view sKey = {});
    void AddFighters(int16_t Number, std::string_view sKey = {});
    void AddStarShips(int16_t Number, std::string_view sKey = {});
    // By 1-based index; by key (which no ship has, so it fails with qxcommon::UnknownKeyError).
    void Remove(int32_t vntIndexKey);
    void Remove(std::string_view vntIndexKey);
    // NewEnum: the ships in the order they were added.
    Collection::const_iterator begin() const { return ships.begin(); }
    Collection::const_iterator end() const { return ships.end(); }
    int32_t Count() const { return ships.Count(); }
    // Each ship's Move in insertion order.
    void Move(float Time);

private:
    Collection ships;
};

}  // namespace orvane
