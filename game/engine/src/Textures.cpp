#include "Textures.h"

#include "Background.h"
#include "Paths.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace quarvex::detail {

uint64_t NextTextureId() {
    static std::atomic<uint64_t> next{1};
    return next++;
}

size_t EffectData::FrameAt(double seconds) const {
    if (frames.empty()) return 0;
    const double index = std::floor(std::max(0.0, seconds) * rate);
    if (loop) return static_cast<size_t>(std::fmod(index, static_cast<double>(frames.size())));
    return static_cast<size_t>(std::min(index, static_cast<double>(frames.size() - 1)));
}

namespace {
bool IsJpeg(const std::string& path) {
    const std::string lower = ToLower(path);
    return lower.ends_with(".jpg") || lower.ends_with(".jpeg");
}
}  // namespace

std::optional<TextureRegistry::Source> TextureRegistry::SourceOf(const std::string& path, int width, int height,
                                                                 Color colorKey) {
    std::error_code ec;
    const auto modified = std::filesystem::last_write_time(path, ec);
    const auto size = ec ? 0 : std::filesystem::file_size(path, ec);
    if (ec) return std::nullopt;
    return Source{path, modified, size, colorKey, width, height};
}

Image TextureRegistry::Decode(const std::string& path, const std::string& shownName, int width, int height,
                              Color colorKey) {
    Image image = LoadImageFile(path, shownName);
    // The key is judged on the file's own pixels: resampling first would blend key-coloured
    // pixels into their neighbours and leave a fringe that no longer matches the key.
    // A key of 0 means none. JPEG blurs the key colour, so it matches within a tolerance there.
    if (colorKey != 0) ApplyColorKey(image, colorKey, IsJpeg(path) ? 40 : 0);
    const int w = width > 0 ? width : image.width;
    const int h = height > 0 ? height : image.height;
    if (w != image.width || h != image.height) image = Resample(image, w, h);
    return image;
}

void TextureRegistry::Preload(const std::string& path, std::string_view shownName, int width, int height,
                              Color colorKey) {
    const auto source = SourceOf(path, width, height, colorKey);
    if (!source) return;  // a load reports it
    if (std::any_of(recent_.begin(), recent_.end(), [&](const Loaded& loaded) { return loaded.source == *source; }))
        return;
    if (PreloadOf(path, width, height, colorKey) != preloads_.end()) return;
    // The image library initialises its decoders on first use, which is not safe on two threads.
    LoadImageDecoders();
    auto decode = [path, name = std::string(shownName), width, height, colorKey] {
        struct Release {
            ~Release() { ReleaseImageThread(); }
        } release;
        auto source = SourceOf(path, width, height, colorKey);
        return Decoded{std::move(source), Decode(path, name, width, height, colorKey)};
    };
    preloads_.push_back({path, width, height, colorKey, InBackground(Urgency::Low, std::move(decode))});
    // The oldest go first (waiting for it, should it still be decoding).
    if (preloads_.size() > kPreloads) preloads_.pop_front();
}

std::deque<TextureRegistry::Preloaded>::iterator TextureRegistry::PreloadOf(const std::string& path, int width,
                                                                           int height, Color colorKey) {
    return std::find_if(preloads_.begin(), preloads_.end(), [&](const Preloaded& entry) {
        return entry.path == path && entry.width == width && entry.height == height && entry.colorKey == colorKey;
    });
}

void TextureRegistry::FinishPreloads() {
    for (const Preloaded& preload : preloads_) preload.decoded.wait();
}

TexturePtr TextureRegistry::Load(const std::string& path, std::string_view shownName,
                                 std::string_view name, int width, int height, Color colorKey) {
    const auto source = SourceOf(path, width, height, colorKey);
    if (source) {
        for (const Loaded& loaded : recent_) {
            if (loaded.source == *source) return Add(name, path, loaded.image, loaded.id);
        }
    }
    std::optional<Image> image;
    const auto preloaded = PreloadOf(path, width, height, colorKey);
    if (preloaded != preloads_.end()) {
        // Taken when the file is as it was when the preload read it.
        try {
            Decoded decoded = preloaded->decoded.get();
            if (source && decoded.source == source) image = std::move(decoded.image);
        } catch (const EngineError&) {
            // Decoded again below, which reports it.
        }
        preloads_.erase(preloaded);
    }
    if (!image) image = Decode(path, std::string(shownName), width, height, colorKey);
    const uint64_t id = NextTextureId();
    if (source && image->rgba.size() <= kRecentBytes) {
        recent_.push_front({*source, *image, id});
        size_t bytes = 0;
        const auto kept = std::find_if(recent_.begin(), recent_.end(), [&](const Loaded& loaded) {
            bytes += loaded.image.rgba.size();
            return bytes > kRecentBytes;
        });
        recent_.erase(kept, recent_.end());
        if (recent_.size() > kRecentLoads) recent_.resize(kRecentLoads);
    }
    return Add(name, path, std::move(*image), id);
}

TexturePtr TextureRegistry::Add(std::string_view name, const std::string& file, Image image, uint64_t id) {
    if (id == 0) id = NextTextureId();
    if (!name.empty()) {
        // A name loaded again keeps its handle and takes the new picture, so that every mesh,
        // sky face and terrain chunk holding the handle shows the new one. A new id makes the
        // renderer upload it again.
        auto it = byName_.find(ToLower(name));
        if (it != byName_.end()) {
            TextureData& data = *it->second->Data();
            data.file = file;
            data.image = std::move(image);
            data.id = id;
            return it->second;
        }
    }
    auto data = std::make_shared<TextureData>();
    data->name = std::string(name);
    data->file = file;
    data->image = std::move(image);
    data->id = id;
    auto texture = std::make_shared<Texture3D>(data);
    if (!name.empty()) byName_[ToLower(name)] = texture;
    return texture;
}

TexturePtr TextureRegistry::Find(std::string_view name) const {
    auto it = byName_.find(ToLower(name));
    return it == byName_.end() ? nullptr : it->second;
}

void TextureRegistry::AddEffect(std::shared_ptr<EffectData> effect) {
    const std::string key = ToLower(effect->name);
    effects_[key] = std::make_shared<EffectTexture3D>(std::move(effect));
}

EffectTexturePtr TextureRegistry::FindEffect(std::string_view name) const {
    auto it = effects_.find(ToLower(name));
    return it == effects_.end() ? nullptr : it->second;
}

}  // namespace quarvex::detail
