// Three-component float vector shared by the physics library, the sound library and the game.
// World axes: x and z across the terrain, y up.
#pragma once

namespace qxcommon {

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    friend constexpr bool operator==(const Vector3&, const Vector3&) = default;
};

}  // namespace qxcommon
