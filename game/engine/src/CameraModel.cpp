#include "CameraModel.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace quarvex::detail {

glm::mat4 CameraData::View() const {
    glm::vec3 dir = target - eye;
    if (glm::length(dir) < 1e-6f) dir = glm::vec3(0, 0, 1);
    dir = glm::normalize(dir);
    // Looking straight up or down needs another up vector.
    const glm::vec3 up = std::fabs(dir.y) > 0.999f ? glm::vec3(0, 0, 1) : glm::vec3(0, 1, 0);
    return glm::lookAtLH(eye, eye + dir, up);
}

glm::mat4 CameraData::Projection() const {
    return glm::perspectiveLH_NO(glm::radians(kFieldOfViewY), kScreenWidth / kScreenHeight, kNear,
                                 farPlane);
}

bool CameraData::Project(const glm::vec3& world, float& x, float& y) const {
    const glm::vec4 clip = Projection() * View() * glm::vec4(world, 1.0f);
    if (clip.w <= 1e-6f) return false;
    const float nx = clip.x / clip.w, ny = clip.y / clip.w;
    x = (nx * 0.5f + 0.5f) * kScreenWidth;
    y = (0.5f - ny * 0.5f) * kScreenHeight;
    return true;
}

}  // namespace quarvex::detail
