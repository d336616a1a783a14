#include "GlResources.h"

#include "../Background.h"
#include "Engine3D.h"

#include <algorithm>
#include <cmath>

namespace quarvex::detail {

namespace {
constexpr int kMaxMagnifiedSide = 2048;

GLuint Compile(GLenum type, const char* source, const char* name) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        glDeleteShader(shader);
        throw EngineError(std::string("The renderer's ") + name + " shader does not compile: " + log);
    }
    return shader;
}
}  // namespace

Program::Program(const char* vertexSource, const char* fragmentSource, const char* name) {
    const GLuint vs = Compile(GL_VERTEX_SHADER, vertexSource, name);
    const GLuint fs = Compile(GL_FRAGMENT_SHADER, fragmentSource, name);
    id_ = glCreateProgram();
    glAttachShader(id_, vs);
    glAttachShader(id_, fs);
    glBindAttribLocation(id_, 0, "inPosition");
    glBindAttribLocation(id_, 1, "inNormal");
    glBindAttribLocation(id_, 2, "inUv");
    glBindAttribLocation(id_, 3, "inColor");
    glLinkProgram(id_);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(id_, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetProgramInfoLog(id_, sizeof log, nullptr, log);
        glDeleteProgram(id_);
        throw EngineError(std::string("The renderer's ") + name + " shader does not link: " + log);
    }
}

Program::~Program() { glDeleteProgram(id_); }

TextureCache::~TextureCache() {
    for (auto* map : {&entries_, &magnified_}) {
        for (auto& [key, entry] : *map) glDeleteTextures(1, &entry.id);
    }
    if (white_) glDeleteTextures(1, &white_);
    if (spot_) glDeleteTextures(1, &spot_);
}

GLuint TextureCache::Upload(const Image& image, bool mipmaps, bool repeat) {
    return UploadPixels(0, image.width, image.height, GL_RGBA8, GL_RGBA, image.rgba.data(), mipmaps, repeat);
}

GLuint TextureCache::UploadPixels(GLuint id, int width, int height, GLenum internalFormat, GLenum format,
                                  const void* pixels, bool mipmaps, bool repeat, bool nearest) {
    if (!id) glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), width, height, 0, format, GL_UNSIGNED_BYTE,
                 pixels);
    const GLint wrap = repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    // Mip levels are made here rather than by glGenerateMipmap, which a software renderer runs
    // as a draw per level: ten times slower for a 512 x 512 texture.
    if (mipmaps && pixels) {
        const int channels = format == GL_RED ? 1 : 4;
        std::vector<uint8_t> level;
        const uint8_t* source = static_cast<const uint8_t*>(pixels);
        for (int i = 1, w = width, h = height; w > 1 || h > 1; ++i) {
            level = HalveSize(source, w, h, channels);
            w = std::max(w / 2, 1);
            h = std::max(h / 2, 1);
            glTexImage2D(GL_TEXTURE_2D, i, static_cast<GLint>(internalFormat), w, h, 0, format, GL_UNSIGNED_BYTE,
                         level.data());
            source = level.data();
        }
    } else if (mipmaps) {
        glGenerateMipmap(GL_TEXTURE_2D);
    }
    // Within the nearest mip level: trilinear costs a software renderer twice as much as
    // bilinear. Minifying and magnifying filters are the same: where they differ, the software
    // renderer pays for both.
    const GLint filter = nearest ? GL_NEAREST : GL_LINEAR;
    const GLint minFilter = !mipmaps ? filter : nearest ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    return id;
}

GLuint TextureCache::Get(const TexturePtr& texture) {
    return texture ? Get(texture->Data()) : White();
}

void TextureCache::NewFrame() {
    ++frame_;
    uploaded_ = 0;
}

void TextureCache::Remember(const std::shared_ptr<TextureData>& data, bool magnified, GLuint id) {
    Shown& shown = shown_[{data.get(), magnified}];
    if (shown.id != id || shown.data.lock() != data) shown = {data, id, 0};
}

GLuint TextureCache::Earlier(const std::shared_ptr<TextureData>& data, bool magnified) {
    if (uploaded_ < kUploadBytes) return 0;
    const auto it = shown_.find({data.get(), magnified});
    if (it == shown_.end() || it->second.data.lock() != data) return 0;
    Shown& shown = it->second;
    if (shown.putOffSince == 0) shown.putOffSince = frame_;
    return frame_ - shown.putOffSince < kMaxFramesPutOff ? shown.id : 0;
}

GLuint TextureCache::Get(const std::shared_ptr<TextureData>& data) {
    if (!data || data->image.width <= 0) return White();
    auto it = entries_.find(data->id);
    if (it != entries_.end()) {
        Remember(data, false, it->second.id);
        return it->second.id;
    }
    if (const GLuint earlier = Earlier(data, false)) return earlier;
    const GLuint id = Upload(data->image, true, true);
    uploaded_ += data->image.rgba.size();
    entries_[data->id] = {data, id};
    Remember(data, false, id);
    const auto& rgba = data->image.rgba;
    for (size_t i = 3; i < rgba.size(); i += 4) {
        if (rgba[i] < 128) {
            cutout_.insert(id);
            break;
        }
    }
    return id;
}

GLuint TextureCache::Magnified(const TexturePtr& texture, int minSide) {
    const std::shared_ptr<TextureData> data = texture ? texture->Data() : nullptr;
    if (!data || data->image.width <= 0) return White();
    const uint64_t key = data->id;
    if (auto it = magnified_.find(key); it != magnified_.end()) {
        Remember(data, true, it->second.id);
        return it->second.id;
    }
    auto pending = pending_.find(key);
    if (pending == pending_.end()) {
        const float wanted = static_cast<float>(minSide) / std::min(data->image.width, data->image.height);
        pending = pending_.emplace(key, Pending{data, InBackground(Urgency::Idle, [image = data->image, wanted] {
                                                   return Magnify(image, wanted, false);
                                               })}).first;
    }
    if (!Ready(pending->second.copy) || uploaded_ >= kUploadBytes) {
        if (const GLuint earlier = Earlier(data, true)) return earlier;
        return Get(data);
    }
    const Magnification copy = pending->second.copy.get();
    pending_.erase(pending);
    const GLuint id = UploadPixels(0, copy.image.width, copy.image.height, GL_RGBA8, GL_RGBA, copy.image.rgba.data(),
                                   false, false, copy.reached);
    uploaded_ += copy.image.rgba.size();
    magnified_[key] = {data, id};
    Remember(data, true, id);
    return id;
}

TextureCache::Magnification TextureCache::Magnify(const Image& image, float wanted, bool wrap) {
    int factor = 1;
    while (factor < wanted && std::max(image.width, image.height) * factor * 2 <= kMaxMagnifiedSide) factor *= 2;
    if (factor == 1) return {image, factor >= wanted};
    return {Resample(image, image.width * factor, image.height * factor, wrap), factor >= wanted};
}

GLuint TextureCache::White() {
    if (!white_) {
        Image image;
        image.width = image.height = 1;
        image.rgba = {255, 255, 255, 255};
        white_ = Upload(image, false, true);
    }
    return white_;
}

GLuint TextureCache::SoftSpot() {
    if (!spot_) {
        Image image;
        image.width = image.height = 64;
        image.rgba.resize(64 * 64 * 4);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                const float dx = (x + 0.5f) / 32.0f - 1.0f, dy = (y + 0.5f) / 32.0f - 1.0f;
                const float r = std::sqrt(dx * dx + dy * dy);
                const float a = r >= 1.0f ? 0.0f : std::pow(1.0f - r, 1.6f);
                uint8_t* p = image.Pixel(x, y);
                p[0] = p[1] = p[2] = 255;
                p[3] = static_cast<uint8_t>(a * 255.0f);
            }
        }
        spot_ = Upload(image, true, false);
    }
    return spot_;
}

void TextureCache::Sweep() {
    // A copy still being made for a picture that is gone is dropped when it is ready.
    std::erase_if(pending_, [](auto& entry) {
        const std::shared_ptr<TextureData> data = entry.second.data.lock();
        return (!data || data->id != entry.first) && Ready(entry.second.copy);
    });
    std::unordered_set<GLuint> deleted;
    for (auto* map : {&entries_, &magnified_}) {
        for (auto it = map->begin(); it != map->end();) {
            // Gone, or loaded again under its name (a new id): the copy made here is stale.
            const std::shared_ptr<TextureData> data = it->second.data.lock();
            if (!data || data->id != it->first) {
                glDeleteTextures(1, &it->second.id);
                cutout_.erase(it->second.id);
                deleted.insert(it->second.id);
                it = map->erase(it);
            } else {
                ++it;
            }
        }
    }
    std::erase_if(shown_, [&](const auto& entry) {
        return entry.second.data.expired() || deleted.count(entry.second.id) != 0;
    });
}

void VertexAttribute(GLuint index, GLint components, GLsizei stride, size_t offset) {
    glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, components, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offset));
}

QuadStream::QuadStream() {
    glGenVertexArrays(1, &vao_);
    glGenBuffers(1, &vbo_);
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    VertexAttribute(0, 3, sizeof(QuadVertex), offsetof(QuadVertex, position));
    VertexAttribute(2, 2, sizeof(QuadVertex), offsetof(QuadVertex, uv));
    VertexAttribute(3, 4, sizeof(QuadVertex), offsetof(QuadVertex, color));
    glBindVertexArray(0);
}

QuadStream::~QuadStream() {
    glDeleteBuffers(1, &vbo_);
    glDeleteVertexArrays(1, &vao_);
}

void QuadStream::Draw(const std::vector<QuadVertex>& vertices) {
    if (vertices.empty()) return;
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    const size_t bytes = vertices.size() * sizeof(QuadVertex);
    if (bytes > capacity_) {
        capacity_ = std::max(bytes, capacity_ * 2);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(capacity_), nullptr, GL_STREAM_DRAW);
    }
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes), vertices.data());
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size()));
}

void QuadStream::AddQuad(std::vector<QuadVertex>& out, const glm::vec3& a, const glm::vec3& b,
                         const glm::vec3& c, const glm::vec3& d, const glm::vec4& colorTop,
                         const glm::vec4& colorBottom, glm::vec2 uvMin, glm::vec2 uvMax) {
    // a top-left, b top-right, c bottom-right, d bottom-left.
    const QuadVertex va{a, {uvMin.x, uvMin.y}, colorTop};
    const QuadVertex vb{b, {uvMax.x, uvMin.y}, colorTop};
    const QuadVertex vc{c, {uvMax.x, uvMax.y}, colorBottom};
    const QuadVertex vd{d, {uvMin.x, uvMax.y}, colorBottom};
    out.insert(out.end(), {va, vb, vc, va, vc, vd});
}

}  // namespace quarvex::detail
