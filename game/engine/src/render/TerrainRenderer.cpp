#include "TerrainRenderer.h"

#include <algorithm>
#include <cmath>

namespace quarvex::detail {

namespace {

const char* kVertex = R"(#version 330 core
in vec3 inPosition;
in vec3 inNormal;
uniform mat4 uViewProj;
uniform vec2 uBaseScale;
uniform vec2 uDetailScale;
out vec3 vWorld;
out vec3 vNormal;
out vec2 vBaseUv;
out vec2 vDetailUv;
void main() {
    vWorld = inPosition;
    vNormal = inNormal;
    vBaseUv = inPosition.xz * uBaseScale;
    vDetailUv = inPosition.xz * uDetailScale;
    gl_Position = uViewProj * vec4(inPosition, 1.0);
}
)";

const char* kFragment = R"(#version 330 core
in vec3 vWorld;
in vec3 vNormal;
in vec2 vBaseUv;
in vec2 vDetailUv;
uniform sampler2D uBase;
uniform sampler2D uDetail;
uniform vec3 uDetailMean;
uniform vec3 uEye;
uniform vec3 uLight;
uniform vec3 uFogColor;
uniform vec2 uFog;
out vec4 outColor;
void main() {
    vec3 base = texture(uBase, vBaseUv).rgb;
    vec3 detail = texture(uDetail, vDetailUv).rgb / max(uDetailMean, vec3(0.05));
    float dist = length(uEye - vWorld);
    float near = 1.0 - smoothstep(150.0, 900.0, dist);
    vec3 color = base * mix(vec3(1.0), clamp(detail, 0.0, 2.0), 0.55 * near + 0.15);
    vec3 n = normalize(vNormal);
    float diffuse = max(dot(n, uLight), 0.0);
    color *= 0.5 + 0.72 * diffuse;
    float f = smoothstep(uFog.x, uFog.y, dist);
    outColor = vec4(mix(color, uFogColor, f), 1.0);
}
)";

struct TerrainVertex {
    glm::vec3 position;
    glm::vec3 normal;
};

}  // namespace

TerrainRenderer::TerrainRenderer() {
    program_ = std::make_unique<Program>(kVertex, kFragment, "terrain");
    glGenVertexArrays(1, &vao_);
    glGenBuffers(1, &vbo_);
    glGenBuffers(1, &ibo_);
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(TerrainVertex), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(TerrainVertex),
                          reinterpret_cast<void*>(offsetof(TerrainVertex, normal)));
    glBindVertexArray(0);
}

TerrainRenderer::~TerrainRenderer() {
    glDeleteBuffers(1, &ibo_);
    glDeleteBuffers(1, &vbo_);
    glDeleteVertexArrays(1, &vao_);
}

void TerrainRenderer::Rebuild(const TerrainData& t) {
    const int stride = t.cellsX + 1;
    std::vector<TerrainVertex> vertices(static_cast<size_t>(stride) * (t.cellsZ + 1));
    for (int iz = 0; iz <= t.cellsZ; ++iz) {
        for (int ix = 0; ix <= t.cellsX; ++ix) {
            const float h = t.GridHeight(ix, iz);
            const float hl = t.GridHeight(std::max(ix - 1, 0), iz);
            const float hr = t.GridHeight(std::min(ix + 1, t.cellsX), iz);
            const float hd = t.GridHeight(ix, std::max(iz - 1, 0));
            const float hu = t.GridHeight(ix, std::min(iz + 1, t.cellsZ));
            TerrainVertex& v = vertices[static_cast<size_t>(iz) * stride + ix];
            v.position = {ix * t.cellSize, h, iz * t.cellSize};
            v.normal = glm::normalize(glm::vec3(hl - hr, 2.0f * t.cellSize, hd - hu));
        }
    }
    // Each chunk has three index lists: every cell, every second and every fourth grid line.
    // The full list uses the same diagonal as TerrainData::GetHeight, (00, 10, 11) + (00, 11, 01).
    std::vector<GLuint> indices;
    chunksX_ = t.chunksX;
    chunksZ_ = t.chunksZ;
    chunks_.assign(static_cast<size_t>(t.chunksX) * t.chunksZ, Chunk{});
    const int n = t.cellsPerChunk;
    for (int cz = 0; cz < t.chunksZ; ++cz) {
        for (int cx = 0; cx < t.chunksX; ++cx) {
            Chunk& chunk = chunks_[static_cast<size_t>(cz) * t.chunksX + cx];
            chunk.min = glm::vec3(cx * TerrainData::kChunkSize, INFINITY, cz * TerrainData::kChunkSize);
            chunk.max = glm::vec3((cx + 1) * TerrainData::kChunkSize, -INFINITY,
                                  (cz + 1) * TerrainData::kChunkSize);
            for (int iz = cz * n; iz <= (cz + 1) * n; ++iz) {
                for (int ix = cx * n; ix <= (cx + 1) * n; ++ix) {
                    const float h = t.GridHeight(ix, iz);
                    chunk.min.y = std::min(chunk.min.y, h);
                    chunk.max.y = std::max(chunk.max.y, h);
                }
            }
            for (int lod = 0; lod < 3; ++lod) {
                const int step = std::min(1 << lod, n);
                chunk.first[lod] = static_cast<GLsizei>(indices.size());
                for (int iz = cz * n; iz < (cz + 1) * n; iz += step) {
                    for (int ix = cx * n; ix < (cx + 1) * n; ix += step) {
                        const GLuint i00 = iz * stride + ix, i10 = iz * stride + ix + step;
                        const GLuint i01 = (iz + step) * stride + ix;
                        const GLuint i11 = (iz + step) * stride + ix + step;
                        indices.insert(indices.end(), {i00, i10, i11, i00, i11, i01});
                    }
                }
                chunk.count[lod] = static_cast<GLsizei>(indices.size()) - chunk.first[lod];
            }
        }
    }
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(TerrainVertex)),
                 vertices.data(), GL_STATIC_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)),
                 indices.data(), GL_STATIC_DRAW);
    glBindVertexArray(0);
    version_ = t.version;
}

void TerrainRenderer::Draw(const TerrainData& t, const View& v, TextureCache& textures) {
    if (!t.built) return;
    if (version_ != t.version) Rebuild(t);

    // The detail texture is normalised by its mean colour, so it adds grain without darkening.
    const TexturePtr& detail = t.detail;
    if (detail && detailData_.lock() != detail->Data()) {
        const Image& img = detail->Data()->image;
        glm::dvec3 sum(0.0);
        for (size_t i = 0; i + 3 < img.rgba.size(); i += 4) {
            sum += glm::dvec3(img.rgba[i], img.rgba[i + 1], img.rgba[i + 2]);
        }
        const double count = std::max<double>(1.0, img.rgba.size() / 4.0);
        detailMean_ = glm::vec3(sum / (count * 255.0));
        detailData_ = detail->Data();
    }

    program_->Use();
    glUniformMatrix4fv(program_->Uniform("uViewProj"), 1, GL_FALSE, &v.viewProjection[0][0]);
    glUniform2f(program_->Uniform("uBaseScale"), t.baseRepeat.x / t.Width(), t.baseRepeat.y / t.Depth());
    glUniform2f(program_->Uniform("uDetailScale"), t.detailRepeat.x / TerrainData::kChunkSize,
                t.detailRepeat.y / TerrainData::kChunkSize);
    glUniform3fv(program_->Uniform("uDetailMean"), 1, detail ? &detailMean_[0] : &glm::vec3(1.0f)[0]);
    glUniform3fv(program_->Uniform("uEye"), 1, &v.eye[0]);
    glUniform3fv(program_->Uniform("uLight"), 1, &v.light[0]);
    glUniform3fv(program_->Uniform("uFogColor"), 1, &v.fogColor[0]);
    glUniform2fv(program_->Uniform("uFog"), 1, &v.fog[0]);
    glUniform1i(program_->Uniform("uBase"), 0);
    glUniform1i(program_->Uniform("uDetail"), 1);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, textures.Get(detail));
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(vao_);

    for (size_t i = 0; i < chunks_.size(); ++i) {
        const Chunk& c = chunks_[i];
        // Skip chunks entirely outside the view frustum or beyond the far plane.
        bool outside = false;
        for (const glm::vec4& p : *v.planes) {
            const glm::vec3 corner(p.x >= 0 ? c.max.x : c.min.x, p.y >= 0 ? c.max.y : c.min.y,
                                   p.z >= 0 ? c.max.z : c.min.z);
            if (glm::dot(glm::vec3(p), corner) + p.w < 0.0f) {
                outside = true;
                break;
            }
        }
        if (outside) continue;
        const glm::vec3 nearest = glm::clamp(v.eye, c.min, c.max);
        const float distance = glm::length(nearest - v.eye);
        const int lod = distance < 500.0f ? 0 : (distance < 1000.0f ? 1 : 2);
        const TexturePtr& tex = i < t.chunkTextures.size() ? t.chunkTextures[i] : nullptr;
        glBindTexture(GL_TEXTURE_2D, textures.Get(tex));
        glDrawElements(GL_TRIANGLES, c.count[lod], GL_UNSIGNED_INT,
                       reinterpret_cast<void*>(static_cast<uintptr_t>(c.first[lod]) * sizeof(GLuint)));
    }
    glBindVertexArray(0);
}

}  // namespace quarvex::detail
