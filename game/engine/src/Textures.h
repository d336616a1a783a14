// Texture and effect-texture data and the engine-wide registries (names without regard to case).
#pragma once

#include "Engine3D.h"
#include "Image.h"

#include <deque>
#include <filesystem>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quarvex::detail {

struct TextureData {
    std::string name;
    std::string file;
    Image image;
    // Names the picture: textures with the same id hold the same pixels (one file loaded alike
    // under several names), and a new picture takes a new id. The renderer keys its GPU copies on it.
    uint64_t id = 0;
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
    // Decodes a file in the background for a Load of it alike.
    void Preload(const std::string& path, std::string_view shownName, int width, int height, Color colorKey);
    // Waits until every preload has been decoded.
    void FinishPreloads();
    // `id` 0: a picture of its own (a new id).
    TexturePtr Add(std::string_view name, const std::string& file, Image image, uint64_t id = 0);
    TexturePtr Find(std::string_view name) const;

    void AddEffect(std::shared_ptr<EffectData> effect);
    EffectTexturePtr FindEffect(std::string_view name) const;

private:
    // What a load of a file depends on: a load alike gives the same picture.
    struct Source {
        std::string path;
        std::filesystem::file_time_type modified;
        std::uintmax_t size = 0;
        Color colorKey = 0;
        int width = 0, height = 0;
        bool operator==(const Source&) const = default;
    };
    // The file's source; std::nullopt when the file cannot be examined.
    static std::optional<Source> SourceOf(const std::string& path, int width, int height, Color colorKey);
    // The file's picture: decoded, keyed and resampled. Throws EngineError naming the file.
    static Image Decode(const std::string& path, const std::string& shownName, int width, int height, Color colorKey);

    // The pictures of the last few loads, so that a file loaded alike again (a level's sky box
    // loads one file for all its faces) is neither decoded nor uploaded again while unchanged.
    struct Loaded {
        Source source;
        Image image;
        uint64_t id = 0;
    };
    static constexpr size_t kRecentLoads = 8;
    static constexpr size_t kRecentBytes = 16 << 20;
    std::deque<Loaded> recent_;
    // Pictures being decoded ahead, oldest first.
    struct Decoded {
        std::optional<Source> source;  // the file as it was when it was read
        Image image;
    };
    struct Preloaded {
        std::string path;
        int width = 0, height = 0;
        Color colorKey = 0;
        std::future<Decoded> decoded;
    };
    std::deque<Preloaded>::iterator PreloadOf(const std::string& path, int width, int height, Color colorKey);
    static constexpr size_t kPreloads = 16;
    std::deque<Preloaded> preloads_;

    std::map<std::string, TexturePtr> byName_;
    std::map<std::string, EffectTexturePtr> effects_;
};

uint64_t NextTextureId();

}  // namespace quarvex::detail
