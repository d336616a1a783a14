#include "TerrainRenderer.h"

#include "../Background.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace quarvex::detail {

namespace {

// Light, fog and the detail strength are folded per vertex into two weights and the fog amount:
// colour = base * (plain + grain * detail) + fog colour * fog, where plain + grain is the light
// left after fog and grain the detail's share of it. The fragment shader only samples and adds.
const char* kVertex = R"(#version 330 core
in vec3 inPosition;
in vec3 inNormal;
in float inCoarseY;   // height of the next coarser level's surface here
in float inCoarse2Y;  // and of the level after it
in float inEdge;      // 0 inside the chunk, 1..4 on its edges (z low, z high, x low, x high)
uniform mat4 uViewProj;
uniform float uHeightScale;  // from the built heights to the terrain's
uniform float uMorph;
uniform vec4 uEdgeMorph;  // 0..2: edges follow the neighbour's surface where it is coarser
uniform vec2 uBaseScale;
uniform vec2 uDetailScale;
uniform vec3 uEye;
uniform vec3 uLight;
uniform vec2 uFog;
uniform vec2 uDetailRange;  // the detail fades out between these distances
out vec2 vBaseUv;
out vec2 vDetailUv;
out float vPlain;
out float vGrain;
out float vFog;
void main() {
    float morph = inEdge < 0.5 ? uMorph : uEdgeMorph[int(inEdge + 0.5) - 1];
    float y = morph <= 1.0 ? mix(inPosition.y, inCoarseY, morph) : mix(inCoarseY, inCoarse2Y, morph - 1.0);
    vec3 position = vec3(inPosition.x, y * uHeightScale, inPosition.z);
    vBaseUv = inPosition.xz * uBaseScale;
    vDetailUv = inPosition.xz * uDetailScale;
    float dist = length(uEye - position);
    // Heights scaled by s scale the slopes (x and z over y) of a normal by s.
    vec3 normal = normalize(vec3(inNormal.x * uHeightScale, inNormal.y, inNormal.z * uHeightScale));
    float light = 0.5 + 0.72 * max(dot(normal, uLight), 0.0);
    vFog = smoothstep(uFog.x, uFog.y, dist);
    float lit = light * (1.0 - vFog);
    float detail = 0.7 * (1.0 - smoothstep(uDetailRange.x, uDetailRange.y, dist));
    vPlain = lit * (1.0 - detail);
    vGrain = 2.0 * lit * detail;  // the detail texture stores its grain halved
    gl_Position = uViewProj * vec4(position, 1.0);
}
)";

const char* kFragment = R"(#version 330 core
in vec2 vBaseUv;
in vec2 vDetailUv;
in float vPlain;
in float vGrain;
in float vFog;
uniform sampler2D uBase;
uniform sampler2D uDetail;  // brightness over its mean, halved (0.5 = no change)
uniform vec3 uFogColor;
out vec4 outColor;
void main() {
    outColor = vec4(texture(uBase, vBaseUv).rgb * (vPlain + vGrain * texture(uDetail, vDetailUv).r) +
                    uFogColor * vFog, 1.0);
}
)";

// Far chunks, where the detail has faded out (grain is zero): one texture sample per pixel.
const char* kFarFragment = R"(#version 330 core
in vec2 vBaseUv;
in float vPlain;
in float vFog;
uniform sampler2D uBase;
uniform vec3 uFogColor;
out vec4 outColor;
void main() {
    outColor = vec4(texture(uBase, vBaseUv).rgb * vPlain + uFogColor * vFog, 1.0);
}
)";

constexpr float kSkirtDepth = 12.0f;
// Frames drawn with the old heights at most while new ones are being built.
constexpr int kMaxFramesBehind = 6;
constexpr float kMaxPixelError = 6.0f;
// The detail texture fades out between these distances; chunks beyond are drawn without it.
constexpr float kDetailFadeStart = 100.0f, kDetailFadeEnd = 700.0f;
// Largest detail texel drawn, in world units: a sixteenth of a unit is under two pixels on
// screen even with the eye ten units over the ground.
constexpr float kDetailTexel = 1.0f / 16.0f;

}  // namespace


TerrainRenderer::TerrainRenderer() {
    program_ = std::make_unique<Program>(kVertex, kFragment, "terrain");
    farProgram_ = std::make_unique<Program>(kVertex, kFarFragment, "far terrain");
    glGenVertexArrays(1, &vao_);
    glGenBuffers(1, &vbo_);
    glGenBuffers(1, &ibo_);
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);
    VertexAttribute(0, 3, sizeof(Vertex), offsetof(Vertex, position));
    VertexAttribute(1, 3, sizeof(Vertex), offsetof(Vertex, normal));
    VertexAttribute(2, 1, sizeof(Vertex), offsetof(Vertex, coarseY));
    VertexAttribute(3, 1, sizeof(Vertex), offsetof(Vertex, coarse2Y));
    VertexAttribute(4, 1, sizeof(Vertex), offsetof(Vertex, edge));
    glBindVertexArray(0);
}

TerrainRenderer::~TerrainRenderer() {
    glDeleteTextures(1, &detailTexture_);
    glDeleteBuffers(1, &ibo_);
    glDeleteBuffers(1, &vbo_);
    glDeleteVertexArrays(1, &vao_);
}

TerrainRenderer::Geometry TerrainRenderer::Build(const TerrainData& t) {
    auto vertexAt = [&](int ix, int iz) {
        const float h = t.GridHeight(ix, iz);
        const float hl = t.GridHeight(std::max(ix - 1, 0), iz);
        const float hr = t.GridHeight(std::min(ix + 1, t.cellsX), iz);
        const float hd = t.GridHeight(ix, std::max(iz - 1, 0));
        const float hu = t.GridHeight(ix, std::min(iz + 1, t.cellsZ));
        return Vertex{{ix * t.cellSize, h, iz * t.cellSize},
                             glm::normalize(glm::vec3(hl - hr, 2.0f * t.cellSize, hd - hu)), h, h, 0.0f};
    };
    // Every chunk has its own vertices for each level of detail, so that a draw runs the vertex
    // shader only on what it uses. Cells split along the diagonal GetHeight uses:
    // (00, 10, 11) + (00, 11, 01).
    Geometry g;
    g.gridVersion = t.gridVersion;
    g.heightScale = t.HeightScale();
    g.chunksX = t.chunksX;
    g.chunksZ = t.chunksZ;
    g.chunks.assign(static_cast<size_t>(t.chunksX) * t.chunksZ, Chunk{});
    const int n = t.cellsPerChunk;
    const int levels = g.levels = TerrainLod::LevelCount(n);
    std::vector<Vertex>& vertices = g.vertices;
    std::vector<GLuint>& indices = g.indices;
    for (int cz = 0; cz < t.chunksZ; ++cz) {
        for (int cx = 0; cx < t.chunksX; ++cx) {
            Chunk& chunk = g.chunks[static_cast<size_t>(cz) * t.chunksX + cx];
            chunk.min = glm::vec3(cx * TerrainData::kChunkSize, INFINITY, cz * TerrainData::kChunkSize);
            chunk.max = glm::vec3((cx + 1) * TerrainData::kChunkSize, -INFINITY,
                                  (cz + 1) * TerrainData::kChunkSize);
            chunk.errors = TerrainLod::ChunkErrors(t, cx, cz);
            for (int lod = 0; lod < levels; ++lod) {
                const int side = TerrainLod::Lines(n, lod);
                const GLuint base = static_cast<GLuint>(vertices.size());
                const int coarser = std::min(lod + 1, levels - 1), coarser2 = std::min(lod + 2, levels - 1);
                for (int j = 0; j < side; ++j) {
                    for (int i = 0; i < side; ++i) {
                        const int li = TerrainLod::Line(i, n, lod), lj = TerrainLod::Line(j, n, lod);
                        vertices.push_back(vertexAt(cx * n + li, cz * n + lj));
                        vertices.back().coarseY = TerrainLod::LevelHeight(t, cx, cz, coarser, li, lj);
                        vertices.back().coarse2Y = TerrainLod::LevelHeight(t, cx, cz, coarser2, li, lj);
                        vertices.back().edge = j == 0 ? 1.0f : j == side - 1 ? 2.0f : i == 0 ? 3.0f : i == side - 1 ? 4.0f : 0.0f;
                        chunk.min.y = std::min(chunk.min.y, vertices.back().position.y);
                        chunk.max.y = std::max(chunk.max.y, vertices.back().position.y);
                    }
                }
                // A skirt hangs from the chunk's edges, hiding the slits where a neighbour
                // drawn at another level of detail does not meet it exactly: deep enough for
                // the largest step between two levels' edges.
                const float skirtDepth = kSkirtDepth + chunk.errors[levels - 1];
                std::vector<GLuint> lowered(static_cast<size_t>(side) * side, 0);
                auto low = [&](GLuint top) {
                    GLuint& index = lowered[top - base];
                    if (index == 0) {
                        Vertex v = vertices[top];
                        v.position.y -= skirtDepth;
                        v.coarseY -= skirtDepth;
                        v.coarse2Y -= skirtDepth;
                        index = static_cast<GLuint>(vertices.size());
                        vertices.push_back(v);
                    }
                    return index;
                };
                chunk.firstVertex[lod] = base;
                chunk.first[lod] = static_cast<GLsizei>(indices.size());
                for (int j = 0; j + 1 < side; ++j) {
                    for (int i = 0; i + 1 < side; ++i) {
                        const GLuint i00 = base + j * side + i, i10 = i00 + 1;
                        const GLuint i01 = i00 + side, i11 = i01 + 1;
                        indices.insert(indices.end(), {i00, i10, i11, i00, i11, i01});
                    }
                }
                chunk.gridCount[lod] = static_cast<GLsizei>(indices.size()) - chunk.first[lod];
                auto hang = [&](GLuint a, GLuint b) {
                    const GLuint la = low(a), lb = low(b);
                    indices.insert(indices.end(), {a, b, lb, a, lb, la});
                };
                for (int k = 0; k + 1 < side; ++k) hang(base + k, base + k + 1);  // z low
                for (int k = 0; k + 1 < side; ++k) {
                    hang(base + (side - 1) * side + k, base + (side - 1) * side + k + 1);  // z high
                }
                for (int k = 0; k + 1 < side; ++k) hang(base + k * side, base + (k + 1) * side);  // x low
                for (int k = 0; k + 1 < side; ++k) {
                    hang(base + k * side + side - 1, base + (k + 1) * side + side - 1);  // x high
                }
                chunk.edgeCount[lod] = (side - 1) * 6;
                chunk.lastVertex[lod] = static_cast<GLuint>(vertices.size() - 1);
            }
        }
    }
    return g;
}

void TerrainRenderer::Apply(Geometry&& g) {
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(g.vertices.size() * sizeof(Vertex)), g.vertices.data(),
                 GL_STATIC_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(g.indices.size() * sizeof(GLuint)),
                 g.indices.data(), GL_STATIC_DRAW);
    glBindVertexArray(0);
    gridVersion_ = g.gridVersion;
    builtScale_ = g.heightScale;
    chunksX_ = g.chunksX;
    chunksZ_ = g.chunksZ;
    levels_ = g.levels;
    chunks_ = std::move(g.chunks);
}

float TerrainRenderer::Scale(const TerrainData& t) const {
    return builtScale_ > 0.0f ? t.HeightScale() / builtScale_ : 1.0f;
}

void TerrainRenderer::UpdateGeometry(const TerrainData& t) {
    // Flat geometry cannot be scaled into hills.
    if (gridVersion_ == t.gridVersion && (builtScale_ > 0.0f || t.HeightScale() <= 0.0f)) return;
    if (chunks_.empty()) {
        Apply(Build(t));  // nothing to draw until it is built
        return;
    }
    // New heights are built from a copy on a thread of its own while the old ones are drawn, for
    // a few frames at most: the picture must not stray from the ground the game plays on.
    if (nextGeometry_.valid() && (Ready(nextGeometry_) || ++framesBehind_ >= kMaxFramesBehind)) {
        Geometry g = nextGeometry_.get();
        if (g.gridVersion == t.gridVersion && (g.heightScale > 0.0f || t.HeightScale() <= 0.0f))
            return Apply(std::move(g));
    }
    if (!nextGeometry_.valid()) {
        nextGeometry_ = InBackground(Urgency::Low, [copy = t] { return Build(copy); });
        framesBehind_ = 0;
    }
}

TerrainRenderer::Grain TerrainRenderer::MakeGrain(const TextureData& picture, glm::vec2 repeat, bool magnify) {
    // The detail adds grain without darkening or tinting: one channel, its brightness over the
    // mean brightness (0..2, stored halved).
    Grain grain;
    grain.id = picture.id;
    grain.repeat = repeat;
    grain.nearest = false;
    const Image& original = picture.image;
    const Image* img = &original;
    TextureCache::Magnification copy;
    if (magnify) {
        // Magnified (it tiles: wrapped round) until a texel is at most kDetailTexel units across,
        // and sampled nearest: looks like bilinear filtering of the original wherever the copy is
        // not magnified on screen, at a fraction of a software renderer's cost.
        const float texel = std::max(TerrainData::kChunkSize / (std::max(repeat.x, 1e-3f) * original.width),
                                     TerrainData::kChunkSize / (std::max(repeat.y, 1e-3f) * original.height));
        copy = TextureCache::Magnify(original, texel / kDetailTexel, true);
        grain.nearest = copy.reached;  // otherwise texels could show: filtered as before
        img = &copy.image;
    }
    grain.width = img->width;
    grain.height = img->height;
    std::vector<float> brightness(static_cast<size_t>(grain.width) * grain.height);
    double sum = 0.0;
    for (size_t i = 0; i < brightness.size(); ++i) {
        const uint8_t* p = &img->rgba[i * 4];
        brightness[i] = 0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2];
        sum += brightness[i];
    }
    const float mean = std::max(static_cast<float>(sum / brightness.size()), 8.0f);
    grain.pixels.resize(brightness.size());
    for (size_t i = 0; i < grain.pixels.size(); ++i) {
        grain.pixels[i] = static_cast<uint8_t>(std::min(brightness[i] / mean * 127.5f, 255.0f) + 0.5f);
    }
    return grain;
}

void TerrainRenderer::UploadDetail(const Grain& grain) {
    detailTexture_ = TextureCache::UploadPixels(detailTexture_, grain.width, grain.height, GL_R8, GL_RED,
                                                grain.pixels.data(), true, true, grain.nearest);
}

void TerrainRenderer::UpdateDetail(const TexturePtr& detail, glm::vec2 repeat) {
    std::shared_ptr<TextureData> data = detail ? detail->Data() : nullptr;
    if (data && (data->image.width <= 0 || data->image.height <= 0)) data = nullptr;
    const uint64_t id = data ? data->id : 0;
    if (!detailTexture_ || id != detailId_ || repeat != detailRepeat_) {
        detailId_ = id;
        detailRepeat_ = repeat;
        // Until the magnified grain is made, the original's grain filtered: it looks the same
        // from a little way off. Without a detail texture, one neutral texel.
        UploadDetail(data ? MakeGrain(*data, repeat, false) : Grain{});
        toMagnify_ = data;
    }
    if (Ready(magnifiedDetail_)) {
        const Grain grain = magnifiedDetail_.get();
        if (grain.id == detailId_ && grain.repeat == detailRepeat_) UploadDetail(grain);
    }
    if (toMagnify_ && !magnifiedDetail_.valid()) {
        // A copy of the picture: the data's own may take another picture meanwhile.
        magnifiedDetail_ = InBackground(Urgency::Idle, [picture = *toMagnify_, repeat] { return MakeGrain(picture, repeat, true); });
        toMagnify_.reset();
    }
}

void TerrainRenderer::Draw(const TerrainData& t, const View& v, TextureCache& textures) {
    if (!t.built) return;
    UpdateGeometry(t);

    UpdateDetail(t.detail, t.detailRepeat);

    // Each chunk at the coarsest level that stays within kMaxPixelError pixels of the full grid
    // on screen, turning into the next coarser one as it nears the distance where that one
    // takes over (so that no switch shows). Bounds and errors scale with the heights.
    // Visible chunks are drawn nearest first, so that near hills hide what lies behind them early.
    const float scale = Scale(t);
    drawn_.resize(chunks_.size());
    draws_.clear();
    for (size_t i = 0; i < chunks_.size(); ++i) {
        const Chunk& c = chunks_[i];
        const glm::vec3 min(c.min.x, c.min.y * scale, c.min.z), max(c.max.x, c.max.y * scale, c.max.z);
        const float distance = glm::length(glm::clamp(v.eye, min, max) - v.eye);
        TerrainLod::Errors errors = c.errors;
        for (float& e : errors) e *= scale;
        const int level = TerrainLod::Choose(errors, levels_, distance, v.pixelsPerUnit, kMaxPixelError);
        drawn_[i] = {level, TerrainLod::Morph(errors, levels_, level, distance, v.pixelsPerUnit, kMaxPixelError)};
        bool outside = false;
        for (const glm::vec4& p : *v.planes) {
            const glm::vec3 corner(p.x >= 0 ? max.x : min.x, p.y >= 0 ? max.y : min.y, p.z >= 0 ? max.z : min.z);
            if (glm::dot(glm::vec3(p), corner) + p.w < 0.0f) {
                outside = true;
                break;
            }
        }
        if (!outside) draws_.push_back({i, distance});
    }
    std::sort(draws_.begin(), draws_.end(),
              [](const ChunkDraw& a, const ChunkDraw& b) { return a.distance < b.distance; });

    for (Program* program : {program_.get(), farProgram_.get()}) {
        program->Use();
        glUniformMatrix4fv(program->Uniform("uViewProj"), 1, GL_FALSE, &v.viewProjection[0][0]);
        glUniform1f(program->Uniform("uHeightScale"), scale);
        glUniform2f(program->Uniform("uBaseScale"), t.baseRepeat.x / t.Width(), t.baseRepeat.y / t.Depth());
        glUniform2f(program->Uniform("uDetailScale"), t.detailRepeat.x / TerrainData::kChunkSize,
                    t.detailRepeat.y / TerrainData::kChunkSize);
        glUniform3fv(program->Uniform("uEye"), 1, &v.eye[0]);
        glUniform3fv(program->Uniform("uLight"), 1, &v.light[0]);
        glUniform3fv(program->Uniform("uFogColor"), 1, &v.fogColor[0]);
        glUniform2fv(program->Uniform("uFog"), 1, &v.fog[0]);
        glUniform2f(program->Uniform("uDetailRange"), kDetailFadeStart, kDetailFadeEnd);
        glUniform1i(program->Uniform("uBase"), 0);
        glUniform1i(program->Uniform("uDetail"), 1);
    }
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, detailTexture_);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(vao_);
    const Program* current = nullptr;
    GLint morph[2], edgeMorph[2];
    for (int k = 0; k < 2; ++k) {
        morph[k] = (k == 0 ? program_ : farProgram_)->Uniform("uMorph");
        edgeMorph[k] = (k == 0 ? program_ : farProgram_)->Uniform("uEdgeMorph");
    }
    for (ChunkDraw& draw : draws_) {
        // Each edge follows the coarser of the two chunks that share it. Skirts only where the
        // two still cannot meet: the neighbour is more than one level coarser, or turning into
        // a coarser level than this chunk can follow.
        const TerrainLod::Drawn& self = drawn_[draw.index];
        const int cx = static_cast<int>(draw.index) % chunksX_, cz = static_cast<int>(draw.index) / chunksX_;
        const int neighbours[4][2] = {{cx, cz - 1}, {cx, cz + 1}, {cx - 1, cz}, {cx + 1, cz}};
        draw.near = draw.distance < kDetailFadeEnd;
        draw.edgeMorph = glm::vec4(self.morph);
        for (int edge = 0; edge < 4; ++edge) {
            const int nx = neighbours[edge][0], nz = neighbours[edge][1];
            const bool border = nx < 0 || nz < 0 || nx >= chunksX_ || nz >= chunksZ_;
            if (border) continue;  // nothing to meet
            const TerrainLod::Drawn& other = drawn_[static_cast<size_t>(nz) * chunksX_ + nx];
            draw.edgeMorph[edge] = TerrainLod::EdgeMorph(self, other);
            if (!TerrainLod::EdgeMeets(self, other)) draw.skirts |= 1 << edge;
        }
    }
    auto prepare = [&](const ChunkDraw& draw) {
        const Program* program = draw.near ? program_.get() : farProgram_.get();
        if (program != current) {
            program->Use();
            current = program;
        }
        const TexturePtr& tex = draw.index < t.chunkTextures.size() ? t.chunkTextures[draw.index] : nullptr;
        glBindTexture(GL_TEXTURE_2D, textures.Get(tex));
        glUniform1f(morph[draw.near ? 0 : 1], drawn_[draw.index].morph);
        glUniform4fv(edgeMorph[draw.near ? 0 : 1], 1, &draw.edgeMorph[0]);
    };
    auto drawRange = [&](const Chunk& c, int lod, GLsizei start, GLsizei count) {
        glDrawRangeElements(GL_TRIANGLES, c.firstVertex[lod], c.lastVertex[lod], count, GL_UNSIGNED_INT,
                            reinterpret_cast<void*>(static_cast<uintptr_t>(start) * sizeof(GLuint)));
    };
    // The surface faces up: the far sides of hills are culled before they cost any rasterizing.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    for (const ChunkDraw& draw : draws_) {
        const Chunk& c = chunks_[draw.index];
        const int lod = drawn_[draw.index].level;
        prepare(draw);
        drawRange(c, lod, c.first[lod], c.gridCount[lod]);
    }
    // Skirts are seen from both sides, after the surfaces that hide most of them. Edges that
    // follow each other in the index buffer are drawn together.
    glDisable(GL_CULL_FACE);
    for (const ChunkDraw& draw : draws_) {
        if (draw.skirts == 0) continue;
        const Chunk& c = chunks_[draw.index];
        const int lod = drawn_[draw.index].level;
        prepare(draw);
        const GLsizei skirtStart = c.first[lod] + c.gridCount[lod];
        for (int edge = 0; edge < 4;) {
            if (!(draw.skirts & (1 << edge))) {
                ++edge;
                continue;
            }
            int end = edge + 1;
            while (end < 4 && (draw.skirts & (1 << end))) ++end;
            drawRange(c, lod, skirtStart + edge * c.edgeCount[lod], (end - edge) * c.edgeCount[lod]);
            edge = end;
        }
    }
    glBindVertexArray(0);
}

}  // namespace quarvex::detail
