// Mesh3D: a handle onto a mesh of the scene model.
#include "EngineState.h"
#include "Paths.h"

namespace quarvex {

using detail::State;

namespace {
glm::vec3 ToGlm(const Vector3& v) { return {v.x, v.y, v.z}; }
Vector3 FromGlm(const glm::vec3& v) { return {v.x, v.y, v.z}; }
}  // namespace

Mesh3D::Mesh3D(std::shared_ptr<detail::MeshData> data) : data_(std::move(data)) {}

void Mesh3D::Load3DS(std::string_view file, bool) {
    const std::string path = detail::ResolvePath(file, State().searchDir);
    detail::LoadModelFile(*data_, path, std::string(file));
}

void Mesh3D::SetTexture(const TexturePtr& texture, int32_t group) {
    auto& groups = data_->groupTextures;
    if (group < 0) {
        if (groups.empty()) groups.push_back(texture);
        for (auto& g : groups) g = texture;
    } else {
        if (static_cast<size_t>(group) >= groups.size()) groups.resize(group + 1);
        groups[group] = texture;
    }
}

void Mesh3D::SetScale(float x, float y, float z) {
    data_->scale = {x, y, z};
    data_->PlacementChanged();
}

void Mesh3D::SetMeshOption(bool, int32_t) {}
void Mesh3D::SetMeshMode(int32_t) {}
void Mesh3D::SetMeshFlag(bool) {}
void Mesh3D::SetMeshOption2(int32_t) {}

void Mesh3D::SetEffectTexture(const EffectTexturePtr& effect, bool) {
    data_->effect = effect;
    data_->effectStart = State().Now();
}

void Mesh3D::ClearGeometry() {
    data_->triangles.clear();
    data_->groupTextures.clear();
    data_->GeometryChanged();
}

void Mesh3D::AddTriangle(const TexturePtr& texture, float x1, float y1, float z1, float x2, float y2,
                         float z2, float x3, float y3, float z3, float tileU, float tileV, int32_t,
                         int32_t) {
    data_->AddTriangle(texture, {x1, y1, z1}, {x2, y2, z2}, {x3, y3, z3}, tileU, tileV);
}

void Mesh3D::FinishGeometry() { data_->drawnVersion = data_->geometryVersion; }

void Mesh3D::ShowMesh(bool show) { data_->shown = show; }
bool Mesh3D::IsShown() const { return data_->shown; }

void Mesh3D::SetPosition(float x, float y, float z) {
    auto& d = *data_;
    const glm::vec3 position{x, y, z};
    // A play-once effect (an explosion) plays again when its mesh is moved after it ended.
    if (d.effect && position != d.position) {
        const double now = State().Now();
        if (d.effect->Data()->Finished(now - d.effectStart)) d.effectStart = now;
    }
    d.position = position;
    d.PlacementChanged();
}

Vector3 Mesh3D::GetPosition() const { return FromGlm(data_->position); }

void Mesh3D::MoveRelative(float forward, float up, float side) {
    data_->MoveRelative(forward, up, side);
}

void Mesh3D::RotateY(float angle) { data_->RotateY(angle); }

void Mesh3D::SetMatrix(const Matrix4& matrix) { data_->SetMatrix(matrix); }

Matrix4 Mesh3D::GetMatrix() const {
    const auto& d = *data_;
    Matrix4 m;
    m.m11 = d.side.x; m.m12 = d.side.y; m.m13 = d.side.z;
    m.m21 = d.up.x; m.m22 = d.up.y; m.m23 = d.up.z;
    m.m31 = d.forward.x; m.m32 = d.forward.y; m.m33 = d.forward.z;
    m.m41 = d.position.x; m.m42 = d.position.y; m.m43 = d.position.z; m.m44 = 1.0f;
    return m;
}

Vector3 Mesh3D::TransformPoint(const Vector3& local) const {
    return FromGlm(data_->ToWorld(ToGlm(local)));
}

bool Mesh3D::IntersectsSegment(const Vector3& start, const Vector3& end, int32_t) const {
    return data_->IntersectsSegment(ToGlm(start), ToGlm(end), State().camera.eye);
}

int32_t Mesh3D::TriangleCount() const {
    return data_->billboard ? 2 : static_cast<int32_t>(data_->triangles.size());
}

const std::string& Mesh3D::Name() const { return data_->name; }

}  // namespace quarvex
