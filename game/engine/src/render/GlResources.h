// GPU-side resources: shader programs, textures keyed on the scene's texture data, and a dynamic
// vertex stream for quads.
#pragma once

#include "../Textures.h"
#include "Gl.h"

#include <glm/glm.hpp>

#include <future>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace quarvex::detail {

class Program {
public:
    Program(const char* vertexSource, const char* fragmentSource, const char* name);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    void Use() const { glUseProgram(id_); }
    GLint Uniform(const char* name) const { return glGetUniformLocation(id_, name); }

private:
    GLuint id_ = 0;
};

// GL textures made on first use from the scene's texture data, keyed on its id; dropped when the
// data is gone or has taken a new picture (a new id).
class TextureCache {
public:
    ~TextureCache();
    GLuint Get(const TexturePtr& texture);
    GLuint Get(const std::shared_ptr<TextureData>& data);
    // The texture magnified (see Magnify) until its smaller side reaches minSide, without mip
    // levels and sampled nearest: where it is shown at a fixed scale (the sky box), it looks as
    // smooth as bilinear filtering of the original at a fraction of a software renderer's cost.
    // Sampled bilinear where the size limit keeps it short of minSide. The copy is made on a
    // thread of its own; until it is ready, the original (Get) is given, filtered bilinear.
    GLuint Magnified(const TexturePtr& texture, int minSide);
    // The image resampled (bilinear; wrapped round for tiling images) by the smallest power of
    // two of at least `wanted` that keeps its larger side within 2048. `reached` says whether
    // that factor is `wanted` or more: only then can it be sampled nearest without texels showing.
    struct Magnification {
        Image image;
        bool reached = false;
    };
    static Magnification Magnify(const Image& image, float wanted, bool wrap);
    // Starts a frame's share of uploads. A picture that replaces one already shown is uploaded
    // once the frame has uploaded less than kUploadBytes; until then, for kMaxFramesPutOff frames
    // at most, the texture of the picture before it is given. A level's new pictures are thus
    // spread over a few frames instead of stalling one.
    void NewFrame();
    static constexpr size_t kUploadBytes = 1 << 20;
    static constexpr uint64_t kMaxFramesPutOff = 6;
    GLuint White();       // 1 x 1 white, for untextured drawing
    GLuint SoftSpot();    // a soft round spot, for particles without a texture
    void Sweep();         // frees textures whose data no longer exists or has a new picture
    // Whether a texture made here has pixels under half opacity (cut out when drawn).
    bool HasCutout(GLuint id) const { return cutout_.count(id) != 0; }
    static GLuint Upload(const Image& image, bool mipmaps, bool repeat);
    // Uploads pixels of any format into `id` (made when 0) with the sampling Upload uses, or
    // with nearest sampling (of the nearest mip level) for magnified copies.
    static GLuint UploadPixels(GLuint id, int width, int height, GLenum internalFormat, GLenum format,
                               const void* pixels, bool mipmaps, bool repeat, bool nearest = false);

private:
    struct Entry {
        std::weak_ptr<TextureData> data;
        GLuint id = 0;
    };
    // The texture last given for a texture's data, plain or magnified.
    struct Shown {
        std::weak_ptr<TextureData> data;
        GLuint id = 0;
        uint64_t putOffSince = 0;  // the frame its new picture was first put off in; 0: none
    };
    using ShownKey = std::pair<const TextureData*, bool>;
    void Remember(const std::shared_ptr<TextureData>& data, bool magnified, GLuint id);
    // The texture shown for `data` before its current picture, when this frame's uploads are
    // spent and it has not waited too long; otherwise 0.
    GLuint Earlier(const std::shared_ptr<TextureData>& data, bool magnified);
    std::map<ShownKey, Shown> shown_;
    size_t uploaded_ = 0;  // bytes this frame
    uint64_t frame_ = 1;
    std::unordered_map<uint64_t, Entry> entries_;
    std::unordered_map<uint64_t, Entry> magnified_;
    struct Pending {
        std::weak_ptr<TextureData> data;
        std::future<Magnification> copy;
    };
    std::unordered_map<uint64_t, Pending> pending_;  // magnified copies being made
    std::unordered_set<GLuint> cutout_;
    GLuint white_ = 0;
    GLuint spot_ = 0;
};

// Enables float attribute `index` of the bound vertex array: `components` floats at `offset`
// bytes into each vertex of `stride` bytes of the bound array buffer.
void VertexAttribute(GLuint index, GLint components, GLsizei stride, size_t offset);

// Vertex for quads and sprites: position, texture coordinate, colour.
struct QuadVertex {
    glm::vec3 position;
    glm::vec2 uv;
    glm::vec4 color;
};

// A streamed vertex buffer for quads drawn as triangles.
class QuadStream {
public:
    QuadStream();
    ~QuadStream();
    QuadStream(const QuadStream&) = delete;
    QuadStream& operator=(const QuadStream&) = delete;
    // Draws the vertices (a multiple of 6: two triangles per quad).
    void Draw(const std::vector<QuadVertex>& vertices);
    static void AddQuad(std::vector<QuadVertex>& out, const glm::vec3& a, const glm::vec3& b,
                        const glm::vec3& c, const glm::vec3& d, const glm::vec4& colorTop,
                        const glm::vec4& colorBottom, glm::vec2 uvMin = {0, 0},
                        glm::vec2 uvMax = {1, 1});

private:
    GLuint vao_ = 0, vbo_ = 0;
    size_t capacity_ = 0;
};

}  // namespace quarvex::detail
