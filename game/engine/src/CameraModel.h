// The engine camera and its projection into the 800 x 600 picture (left-handed, y up).
#pragma once

#include <glm/glm.hpp>

namespace quarvex::detail {

struct CameraData {
    static constexpr float kFieldOfViewY = 55.0f;  // degrees
    static constexpr float kNear = 0.5f;
    static constexpr float kScreenWidth = 800.0f;
    static constexpr float kScreenHeight = 600.0f;

    glm::vec3 eye{0.0f, 0.0f, 0.0f};
    glm::vec3 target{0.0f, 0.0f, 1.0f};
    float farPlane = 2000.0f;

    glm::mat4 View() const;
    glm::mat4 Projection() const;
    // Screen pixel of a world point; false when it is behind the eye.
    bool Project(const glm::vec3& world, float& x, float& y) const;
};

}  // namespace quarvex::detail
