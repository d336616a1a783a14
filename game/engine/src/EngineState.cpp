#include "EngineState.h"

#include <algorithm>
#include <chrono>

namespace quarvex::detail {

namespace {
std::unique_ptr<EngineState>& Slot() {
    static std::unique_ptr<EngineState> state;
    return state;
}
}  // namespace

EngineState& State() {
    auto& slot = Slot();
    if (!slot) slot = std::make_unique<EngineState>();
    return *slot;
}

EngineState* ExistingState() { return Slot().get(); }

void ResetState() {
    auto& slot = Slot();
    if (slot) slot->display.reset();  // the window goes before the textures it shows
    slot.reset();
}

EngineState::EngineState() { camera.farPlane = viewRange * 20.0f; }

double EngineState::Now() const {
    using clock = std::chrono::steady_clock;
    static const clock::time_point origin = clock::now();
    return std::chrono::duration<double>(clock::now() - origin).count();
}

glm::vec3 EngineState::LightDirection() const {
    glm::vec3 d = terrain.SunDirection();
    d.y = std::max(d.y, 0.45f);
    return glm::normalize(d);
}

void EngineState::EndFrame() {
    lastQueue.swap(queue);
    queue.clear();
    frame = FrameRequest{};
    ++frameNumber;
    DropReleasedMeshes();
    const double now = Now();
    presentTimes.push_back(now);
    while (!presentTimes.empty() && presentTimes.front() < now - 1.0) presentTimes.pop_front();
}

void EngineState::AddMesh(const std::shared_ptr<MeshData>& mesh) {
    DropReleasedMeshes();
    meshes.push_back(mesh);
}

void EngineState::DropReleasedMeshes() {
    std::erase_if(meshes, [](const std::weak_ptr<MeshData>& m) { return m.expired(); });
}

float FadeState::Cover(double now) const {
    if (!active) return 0.0f;
    const double t = seconds > 0.0 ? std::clamp((now - start) / seconds, 0.0, 1.0) : 1.0;
    return static_cast<float>(fadeIn ? 1.0 - t : t);
}

glm::vec4 UnpackColor(Color c) {
    return {((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f,
            ((c >> 24) & 0xFF) / 255.0f};
}

}  // namespace quarvex::detail
