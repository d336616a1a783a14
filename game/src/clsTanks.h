// clsTanks: the ground tanks, created in numbers at random places near the start and moved
// together once per frame. Tanks are added without a key and stay until the collection is dropped.
#pragma once

#include "clsTank.h"

#include <qxcommon/KeyedCollection.h>

#include <cstdint>
#include <memory>
#include <string_view>

namespace orvane {

class clsTanks {
public:
    using Collection = qxcommon::KeyedCollection<clsTank>;

    // Adds Number tanks (none when Number < 1). sKey is accepted and not used.
    void AddTanks(int16_t Number, std::string_view sKey = {});
    // By 1-based index; by key (which no tank has, so it fails with qxcommon::UnknownKeyError).
    void Remove(int32_t vntIndexKey);
    void Remove(std::string_view vntIndexKey);
    // NewEnum: the tanks in the order they were added.
    Collection::const_iterator begin() const { return tanks.begin(); }
    Collection::const_iterator end() const { return tanks.end(); }
    int32_t Count() const { return tanks.Count(); }
    // Each tank's Move in insertion order.
    void Move(float Time);

private:
    Collection tanks;
};

}  // namespace orvane
