// Texture3D, EffectTexture3D and TextureFactory3D.
#include "EngineState.h"
#include "Paths.h"

namespace quarvex {

Texture3D::Texture3D(std::shared_ptr<detail::TextureData> data) : data_(std::move(data)) {}
int32_t Texture3D::Width() const { return data_->image.width; }
int32_t Texture3D::Height() const { return data_->image.height; }
const std::string& Texture3D::Name() const { return data_->name; }
const std::string& Texture3D::FileName() const { return data_->file; }

EffectTexture3D::EffectTexture3D(std::shared_ptr<detail::EffectData> data) : data_(std::move(data)) {}
const std::string& EffectTexture3D::Name() const { return data_->name; }
int32_t EffectTexture3D::FrameCount() const { return static_cast<int32_t>(data_->frames.size()); }
float EffectTexture3D::Rate() const { return data_->rate; }
bool EffectTexture3D::Loops() const { return data_->loop; }
bool EffectTexture3D::Additive() const { return data_->additive; }

void TextureFactory3D::SetLoadMode(int32_t) {}

TexturePtr TextureFactory3D::LoadTexture(std::string_view file, std::string_view name, int32_t width,
                                         int32_t height, Color colorKey, bool) {
    auto& state = detail::State();
    const std::string path = detail::ResolvePath(file, state.searchDir);
    return state.textures.Load(path, file, name, width, height, colorKey);
}

void TextureFactory3D::PreloadTexture(std::string_view file, int32_t width, int32_t height, Color colorKey) {
    auto& state = detail::State();
    state.textures.Preload(detail::ResolvePath(file, state.searchDir), file, width, height, colorKey);
}

}  // namespace quarvex
