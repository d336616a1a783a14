// Texture and effect-texture data and the engine-wide registries (names without regard to case).
#pragma once

#include "Engine3D.h"
#include "Image.h"

#include <map>
#include <string>
#include <vector>

namespace quarvex::detail {

struct TextureData {
    std::string name;
    std::string file;
    Image image;
    uint64_t id = 0;  // unique per loaded texture; the renderer keys its GPU copies on it
};

struct EffectData {
    std::string name;
    std::vector<TexturePtr> frames;
    float rate = 10.0f;
    bool loop = true;
    bool additive = false;

    // Frame shown seconds after the animation started.
    size_t FrameAt(double seconds) const;
    // Whether a play-once animation has shown its last frame for its full time by then.
    bool Finished(double seconds) const {
        return !loop && !frames.empty() && seconds * rate >= static_cast<double>(frames.size());
    }
};

// Textures and effect textures registered by name. Loading a texture name again gives the
// registered handle the new picture; an effect name loaded again is replaced.
class TextureRegistry {
public:
    TexturePtr Load(const std::string& path, std::string_view shownName, std::string_view name,
                    int width, int height, Color colorKey);
    TexturePtr Add(std::string_view name, const std::string& file, Image image);
    TexturePtr Find(std::string_view name) const;

    void AddEffect(std::shared_ptr<EffectData> effect);
    EffectTexturePtr FindEffect(std::string_view name) const;

private:
    std::map<std::string, TexturePtr> byName_;
    std::map<std::string, EffectTexturePtr> effects_;
};

uint64_t NextTextureId();

}  // namespace quarvex::detail
