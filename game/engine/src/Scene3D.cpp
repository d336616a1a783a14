// Scene3D and Camera3D: handles onto the one engine-wide scene and camera.
#include "EngineState.h"
#include "Paths.h"
#include "ShaderFile.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace quarvex {

using detail::State;

MeshPtr Scene3D::CreateMesh(std::string_view name) {
    auto data = std::make_shared<detail::MeshData>();
    data->name = std::string(name);
    State().AddMesh(data);
    return std::make_shared<Mesh3D>(data);
}

MeshPtr Scene3D::CreateBillboard(const TexturePtr& texture, float x, float y, float z, float width,
                                 float height, std::string_view name, int32_t, int32_t, int32_t,
                                 bool) {
    auto data = std::make_shared<detail::MeshData>();
    data->name = std::string(name);
    data->billboard = true;
    data->billboardWidth = width;
    data->billboardHeight = height;
    data->position = {x, y, z};
    data->groupTextures.push_back(texture);
    data->drawnVersion = data->geometryVersion;
    State().AddMesh(data);
    return std::make_shared<Mesh3D>(data);
}

void Scene3D::LoadShaderFile(std::string_view file) {
    auto& state = State();
    const std::string path = detail::ResolvePath(file, state.searchDir);
    const std::string shown(file);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EngineError("Cannot load the shader file \"" + shown + "\": " + path + " cannot be opened");
    std::ostringstream text;
    text << in.rdbuf();
    const auto blocks = detail::ParseShaderFile(text.str(), shown);
    // Load every frame first, so that a faulty file registers nothing.
    std::vector<std::shared_ptr<detail::EffectData>> effects;
    for (const auto& block : blocks) {
        auto effect = std::make_shared<detail::EffectData>();
        effect->name = block.name;
        effect->rate = block.rate;
        effect->loop = block.loop;
        effect->additive = block.additive;
        for (size_t i = 0; i < block.frames.size(); ++i) {
            const std::string framePath = detail::ResolvePath(block.frames[i], state.searchDir);
            std::error_code ec;
            if (!std::filesystem::is_regular_file(framePath, ec)) {
                throw EngineError("Shader file \"" + shown + "\" line " +
                                  std::to_string(block.frameLines[i]) + ": the frame file \"" +
                                  block.frames[i] + "\" does not exist");
            }
            detail::Image image = detail::LoadImageFile(framePath, block.frames[i]);
            effect->frames.push_back(state.textures.Add("", framePath, std::move(image)));
        }
        effects.push_back(std::move(effect));
    }
    for (auto& effect : effects) state.textures.AddEffect(std::move(effect));
}

void Scene3D::SetViewRange(float range) {
    auto& state = State();
    if (!(range > 0.0f)) return;
    state.viewRange = range;
    state.camera.farPlane = range * 20.0f;
}

void Scene3D::SetSceneFlag(bool) {}

void Scene3D::SetBackgroundColor(float r, float g, float b) { State().background = {r, g, b}; }

void Scene3D::SetSkyBox(const TexturePtr& front, const TexturePtr& back, const TexturePtr& left,
                        const TexturePtr& right, const TexturePtr& top, const TexturePtr& down,
                        float size) {
    auto& state = State();
    state.sky = {front, back, left, right, top, down};
    state.skySize = size;
}

void Scene3D::SetCamera(float eyeX, float eyeY, float eyeZ, float targetX, float targetY,
                        float targetZ) {
    auto& camera = State().camera;
    camera.eye = {eyeX, eyeY, eyeZ};
    camera.target = {targetX, targetY, targetZ};
}

void Scene3D::RenderSky() { State().frame.sky = true; }

void Scene3D::RenderAll() { State().frame.scene = true; }

int32_t Scene3D::MeshCount() const {
    auto& state = State();
    state.DropReleasedMeshes();
    return static_cast<int32_t>(state.meshes.size());
}

Vector3 Camera3D::GetPosition() const {
    const auto& eye = State().camera.eye;
    return {eye.x, eye.y, eye.z};
}

Vector3 Camera3D::GetLookAt() const {
    const auto& target = State().camera.target;
    return {target.x, target.y, target.z};
}

}  // namespace quarvex
