#include "Renderer.h"

#include "Shaders.h"
#include "TerrainRenderer.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <initializer_list>
#include <string>

namespace quarvex::detail {

namespace {

struct SkyVertex {
    glm::vec3 direction;
    glm::vec2 uv;
};

// Faces in SetSkyBox order: front +z, back -z, left -x, right +x, top +y, down -y. Corners
// top-left, top-right, bottom-right, bottom-left as seen from inside.
constexpr float kSkyCorners[6][4][3] = {
    {{-1, 1, 1}, {1, 1, 1}, {1, -1, 1}, {-1, -1, 1}},
    {{1, 1, -1}, {-1, 1, -1}, {-1, -1, -1}, {1, -1, -1}},
    {{-1, 1, -1}, {-1, 1, 1}, {-1, -1, 1}, {-1, -1, -1}},
    {{1, 1, 1}, {1, 1, -1}, {1, -1, -1}, {1, -1, 1}},
    {{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}},
    {{-1, -1, 1}, {1, -1, 1}, {1, -1, -1}, {-1, -1, -1}},
};

// Side faces are split into rows, so that the horizon haze worked out per vertex follows the sky
// (two columns are enough: the haze changes little across a face). The top and bottom faces lie
// wholly above and below the haze band (constant haze): two triangles each.
struct SkyGrid {
    int columns, rows;
};
constexpr SkyGrid SkyGridOf(int face) { return face < 4 ? SkyGrid{2, 8} : SkyGrid{1, 1}; }

// Attribute layout of MeshVertex on the bound vertex array and buffer: position, normal, uv.
void BindMeshVertexLayout() {
    VertexAttribute(0, 3, sizeof(MeshVertex), offsetof(MeshVertex, position));
    VertexAttribute(1, 3, sizeof(MeshVertex), offsetof(MeshVertex, normal));
    VertexAttribute(2, 2, sizeof(MeshVertex), offsetof(MeshVertex, uv));
}

// OpenGL drawn by the CPU: Mesa's llvmpipe and softpipe, and other drivers' software renderers.
bool SoftwareRenderer() {
    const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::string renderer = name ? name : "";
    std::transform(renderer.begin(), renderer.end(), renderer.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::ranges::any_of(std::initializer_list<const char*>{"llvmpipe", "softpipe", "swrast", "software"},
                               [&](const char* kind) { return renderer.find(kind) != std::string::npos; });
}

}  // namespace

Renderer::Renderer(int width, int height) : width_(width), height_(height), software_(SoftwareRenderer()) {
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    // The picture is a texture, so that showing it scaled is an ordinary textured quad (a
    // scaling glBlitFramebuffer is a slow path on software renderers).
    colorTexture_ = TextureCache::UploadPixels(0, width, height, GL_RGBA8, GL_RGBA, nullptr, false, false);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture_, 0);
    glGenRenderbuffers(1, &depthBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        throw EngineError("The renderer cannot create its " + std::to_string(width) + " x " +
                          std::to_string(height) + " picture buffer");
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    const std::string cutout = std::string("#version 330 core\n#define CUTOUT\n") + shaders::kMeshFragment;
    const std::string opaque = std::string("#version 330 core\n") + shaders::kMeshFragment;
    meshProgram_ = std::make_unique<Program>(shaders::kMeshVertex, cutout.c_str(), "mesh");
    opaqueMeshProgram_ = std::make_unique<Program>(shaders::kMeshVertex, opaque.c_str(), "opaque mesh");
    skyProgram_ = std::make_unique<Program>(shaders::kSkyVertex, shaders::kSkyFragment, "sky");
    pictureProgram_ = std::make_unique<Program>(shaders::kPictureVertex, shaders::kPictureFragment, "picture");
    for (int blend = 0; blend < 3; ++blend) {
        for (int cutout = 0; cutout < 2; ++cutout) {
            const std::string source = "#version 330 core\n#define BLEND " + std::to_string(blend) + "\n" +
                                       (cutout ? "#define CUTOUT\n" : "") + shaders::kSpriteFragment;
            spritePrograms_[blend][cutout] = std::make_unique<Program>(shaders::kSpriteVertex, source.c_str(), "sprite");
        }
    }
    terrain_ = std::make_unique<TerrainRenderer>();

    std::vector<SkyVertex> sky;
    for (int f = 0; f < 6; ++f) {
        const auto& face = kSkyCorners[f];
        const SkyGrid grid = SkyGridOf(f);
        skyFirst_[f] = static_cast<GLint>(sky.size());
        const glm::vec3 tl(face[0][0], face[0][1], face[0][2]), tr(face[1][0], face[1][1], face[1][2]);
        const glm::vec3 br(face[2][0], face[2][1], face[2][2]), bl(face[3][0], face[3][1], face[3][2]);
        auto at = [&](int i, int j) {
            const float u = static_cast<float>(i) / grid.columns, v = static_cast<float>(j) / grid.rows;
            const glm::vec3 p = glm::mix(glm::mix(tl, tr, u), glm::mix(bl, br, u), v);
            return SkyVertex{p * 10.0f, {u, v}};
        };
        for (int j = 0; j < grid.rows; ++j) {
            for (int i = 0; i < grid.columns; ++i) {
                sky.insert(sky.end(), {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j), at(i + 1, j + 1),
                                       at(i, j + 1)});
            }
        }
        skyCount_[f] = static_cast<GLsizei>(sky.size()) - skyFirst_[f];
        // Rows run from the top: the upper half of a side face is its first half of the rows.
        skyUpperCount_[f] = f < 4 ? skyCount_[f] / grid.rows * (grid.rows / 2) : skyCount_[f];
    }
    glGenVertexArrays(1, &skyVao_);
    glGenBuffers(1, &skyVbo_);
    glBindVertexArray(skyVao_);
    glBindBuffer(GL_ARRAY_BUFFER, skyVbo_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sky.size() * sizeof(SkyVertex)),
                 sky.data(), GL_STATIC_DRAW);
    VertexAttribute(0, 3, sizeof(SkyVertex), offsetof(SkyVertex, direction));
    VertexAttribute(2, 2, sizeof(SkyVertex), offsetof(SkyVertex, uv));
    glBindVertexArray(0);
    glGenVertexArrays(1, &batchVao_);
    glGenBuffers(1, &batchVbo_);
    glBindVertexArray(batchVao_);
    glBindBuffer(GL_ARRAY_BUFFER, batchVbo_);
    BindMeshVertexLayout();
    glBindVertexArray(0);
}

Renderer::~Renderer() {
    for (auto& [mesh, gpu] : meshes_) {
        glDeleteBuffers(1, &gpu.vbo);
        glDeleteVertexArrays(1, &gpu.vao);
    }
    meshes_.clear();
    glDeleteBuffers(1, &batchVbo_);
    glDeleteVertexArrays(1, &batchVao_);
    glDeleteBuffers(1, &skyVbo_);
    glDeleteVertexArrays(1, &skyVao_);
    glDeleteRenderbuffers(1, &depthBuffer_);
    glDeleteTextures(1, &colorTexture_);
    glDeleteFramebuffers(1, &framebuffer_);
}

Renderer::FrameView Renderer::MakeView(const EngineState& state) const {
    FrameView v;
    v.view = state.camera.View();
    v.projection = state.camera.Projection();
    v.viewProjection = v.projection * v.view;
    const glm::mat4& m = v.viewProjection;
    auto row = [&](int i) { return glm::vec4(m[0][i], m[1][i], m[2][i], m[3][i]); };
    v.planes = {row(3) + row(0), row(3) - row(0), row(3) + row(1),
                row(3) - row(1), row(3) + row(2), row(3) - row(2)};
    for (auto& p : v.planes) {
        const float len = glm::length(glm::vec3(p));
        if (len > 0.0f) p /= len;
    }
    v.eye = state.camera.eye;
    v.fogColor = state.background;
    v.fog = {state.FogStart(), state.camera.farPlane * 0.98f};
    v.light = state.LightDirection();
    return v;
}

bool Renderer::SphereVisible(const FrameView& v, const glm::vec3& centre, float radius) const {
    for (const auto& p : v.planes) {
        if (glm::dot(glm::vec3(p), centre) + p.w < -radius) return false;
    }
    return true;
}

void Renderer::DrawFrame(EngineState& state) {
    ++frames_;
    textures_.NewFrame();
    ReleaseGoneMeshes();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, width_, height_);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glClearColor(state.background.r, state.background.g, state.background.b, 1.0f);
    // A whole sky box covers every pixel nothing nearer covers: then only depth needs clearing.
    // Above terrain only its upper half is drawn (see DrawSky).
    const bool wholeSky = state.frame.sky && !state.frame.terrain;
    glClear(wholeSky ? GL_DEPTH_BUFFER_BIT : GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const FrameView v = MakeView(state);

    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    // Meshes (mostly in front of the terrain) first, so that the depth test skips the terrain
    // pixels they cover.
    if (state.frame.scene) DrawMeshes(state, v);
    if (state.frame.terrain) {
        terrain_->Draw(state.terrain, {v.viewProjection, &v.planes, v.eye, v.light, v.fogColor, v.fog,
                                              v.projection[1][1] * 0.5f * static_cast<float>(height_)},
                       textures_);
    }
    // The sky box lies on the far plane and is drawn after the opaque scene, so that the depth
    // test skips every pixel already covered (it still looks drawn behind everything).
    if (state.frame.sky) DrawSky(state, v, wholeSky);
    if (state.frame.scene) {
        glEnable(GL_BLEND);
        glDepthMask(GL_FALSE);
        DrawBillboards(state, v);
        DrawParticles(state, v);
        glDepthMask(GL_TRUE);
    }
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    DrawOverlay(state, v);
    glDisable(GL_BLEND);

    if (frames_ % 300 == 0) textures_.Sweep();
    if (frames_ % 60 == 0) text_.Sweep(frames_);
}

void Renderer::DrawSky(const EngineState& state, const FrameView& v, bool whole) {
    glDepthMask(GL_FALSE);
    skyProgram_->Use();
    const glm::mat4 rotationOnly = v.projection * glm::mat4(glm::mat3(v.view));
    glUniformMatrix4fv(skyProgram_->Uniform("uViewProj"), 1, GL_FALSE, &rotationOnly[0][0]);
    glUniform3fv(skyProgram_->Uniform("uFogColor"), 1, &v.fogColor[0]);
    glUniform1i(skyProgram_->Uniform("uTexture"), 0);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(skyVao_);
    // A face spans 90 degrees, projection[1][1] * height pixels across the picture. Its texture
    // is magnified to at least four texels for every five of those pixels and sampled nearest.
    const int faceSide = static_cast<int>(v.projection[1][1] * static_cast<float>(height_) * 0.8f);
    // Below the horizon the sky is nearly all haze, and terrain covers it wherever there is
    // terrain: over terrain only the side faces' upper rows and the top face are drawn, and past
    // the terrain's edge the background colour (the haze colour) shows.
    for (int face = 0; face < (whole ? 6 : 5); ++face) {
        glBindTexture(GL_TEXTURE_2D, textures_.Magnified(state.sky[face], faceSide));
        glDrawArrays(GL_TRIANGLES, skyFirst_[face], whole ? skyCount_[face] : skyUpperCount_[face]);
    }
    glBindVertexArray(0);
    glDepthMask(GL_TRUE);
}

void Renderer::ReleaseGoneMeshes() {
    // A released mesh's address may be reused by a new one: its buffers must not outlive it.
    std::erase_if(meshes_, [](const auto& entry) {
        const GpuMesh& gpu = entry.second;
        if (!gpu.owner.expired()) return false;
        glDeleteBuffers(1, &gpu.vbo);
        glDeleteVertexArrays(1, &gpu.vao);
        return true;
    });
}

Renderer::GpuMesh& Renderer::MeshFor(const std::shared_ptr<const MeshData>& meshPtr) {
    const MeshData& mesh = *meshPtr;
    GpuMesh& gpu = meshes_[&mesh];
    if (gpu.vao && gpu.version == mesh.geometryVersion) return gpu;
    gpu.owner = meshPtr;
    if (!gpu.vao) {
        glGenVertexArrays(1, &gpu.vao);
        glGenBuffers(1, &gpu.vbo);
        glBindVertexArray(gpu.vao);
        glBindBuffer(GL_ARRAY_BUFFER, gpu.vbo);
        BindMeshVertexLayout();
    }
    // Vertices grouped by texture group, one draw per group.
    std::vector<const Triangle*> sorted;
    sorted.reserve(mesh.triangles.size());
    for (const auto& t : mesh.triangles) sorted.push_back(&t);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Triangle* a, const Triangle* b) { return a->group < b->group; });
    std::vector<MeshVertex> vertices;
    vertices.reserve(sorted.size() * 3);
    gpu.groups.clear();
    glm::vec3 lo(INFINITY), hi(-INFINITY);
    for (const Triangle* t : sorted) {
        if (gpu.groups.empty() || gpu.groups.back().first != t->group) {
            gpu.groups.push_back({t->group, {static_cast<GLint>(vertices.size()), 0}});
        }
        for (int k = 0; k < 3; ++k) {
            vertices.push_back({t->p[k], t->n[k], t->uv[k]});
            lo = glm::min(lo, t->p[k]);
            hi = glm::max(hi, t->p[k]);
        }
        gpu.groups.back().second.second += 3;
    }
    gpu.centre = vertices.empty() ? glm::vec3(0.0f) : (lo + hi) * 0.5f;
    gpu.radius = vertices.empty() ? 0.0f : glm::length(hi - lo) * 0.5f;
    glBindVertexArray(gpu.vao);
    glBindBuffer(GL_ARRAY_BUFFER, gpu.vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(MeshVertex)),
                 vertices.data(), GL_STATIC_DRAW);
    glBindVertexArray(0);
    gpu.version = mesh.geometryVersion;
    return gpu;
}

void Renderer::DrawMeshes(const EngineState& state, const FrameView& v) {
    for (Program* program : {opaqueMeshProgram_.get(), meshProgram_.get()}) {
        program->Use();
        glUniformMatrix4fv(program->Uniform("uViewProj"), 1, GL_FALSE, &v.viewProjection[0][0]);
        glUniform3fv(program->Uniform("uEye"), 1, &v.eye[0]);
        glUniform3fv(program->Uniform("uLight"), 1, &v.light[0]);
        glUniform3fv(program->Uniform("uFogColor"), 1, &v.fogColor[0]);
        glUniform2fv(program->Uniform("uFog"), 1, &v.fog[0]);
        glUniform1i(program->Uniform("uTexture"), 0);
        const glm::mat4 identity(1.0f);
        glUniformMatrix4fv(program->Uniform("uModel"), 1, GL_FALSE, &identity[0][0]);
    }
    const GLint model = meshProgram_->Uniform("uModel");
    glActiveTexture(GL_TEXTURE0);
    // Small meshes (the game's ships: a handful of triangles each) are placed on the CPU and
    // drawn together, one draw per texture: a software renderer pays a lot per draw call.
    // Larger meshes (models) keep their own buffers and are drawn one by one.
    constexpr size_t kBatchedTriangles = 64;
    for (auto& [texture, vertices] : batches_) vertices.clear();
    // Nearest first, so that the depth test skips what nearer meshes hide.
    nearFirst_.clear();
    for (const auto& weak : state.meshes) {
        if (auto mesh = weak.lock()) nearFirst_.push_back({mesh, glm::length(mesh->position - v.eye)});
    }
    std::sort(nearFirst_.begin(), nearFirst_.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    for (const auto& [mesh, distance] : nearFirst_) {
        if (!mesh->shown || mesh->billboard || mesh->drawnVersion == 0 || mesh->triangles.empty()) {
            continue;
        }
        const float scale = std::max({std::fabs(mesh->scale.x) * glm::length(mesh->side),
                                      std::fabs(mesh->scale.y) * glm::length(mesh->up),
                                      std::fabs(mesh->scale.z) * glm::length(mesh->forward)});
        if (mesh->triangles.size() <= kBatchedTriangles) {
            glm::vec3 lo(INFINITY), hi(-INFINITY);
            for (const Triangle& t : mesh->triangles) {
                for (const glm::vec3& p : t.p) {
                    lo = glm::min(lo, p);
                    hi = glm::max(hi, p);
                }
            }
            if (!SphereVisible(v, mesh->ToWorld((lo + hi) * 0.5f), glm::length(hi - lo) * 0.5f * scale + 1.0f)) {
                continue;
            }
            const glm::mat3 rotation(mesh->side * mesh->scale.x, mesh->up * mesh->scale.y,
                                     mesh->forward * mesh->scale.z);
            // Each group's batch is looked up once per mesh, not once per triangle.
            const int groups = static_cast<int>(mesh->groupTextures.size());
            groupBatches_.assign(groups + 1, nullptr);  // the last: triangles of no known group
            for (const Triangle& t : mesh->triangles) {
                const int group = t.group >= 0 && t.group < groups ? t.group : groups;
                std::vector<MeshVertex>*& out = groupBatches_[group];
                if (!out) out = &batches_[textures_.Get(mesh->GroupTexture(group))];
                for (int k = 0; k < 3; ++k) {
                    out->push_back({mesh->ToWorld(t.p[k]), rotation * t.n[k], t.uv[k]});
                }
            }
            continue;
        }
        GpuMesh& gpu = MeshFor(mesh);
        if (!SphereVisible(v, mesh->ToWorld(gpu.centre), gpu.radius * scale + 1.0f)) continue;
        const glm::mat4 world = mesh->WorldMatrix();
        glUniformMatrix4fv(model, 1, GL_FALSE, &world[0][0]);
        glBindVertexArray(gpu.vao);
        for (const auto& [group, range] : gpu.groups) {
            glBindTexture(GL_TEXTURE_2D, textures_.Get(mesh->GroupTexture(group)));
            glDrawArrays(GL_TRIANGLES, range.first, range.second);
        }
    }
    const glm::mat4 identity(1.0f);
    glUniformMatrix4fv(model, 1, GL_FALSE, &identity[0][0]);
    glBindVertexArray(batchVao_);
    glBindBuffer(GL_ARRAY_BUFFER, batchVbo_);
    for (const auto& [texture, vertices] : batches_) {
        if (vertices.empty()) continue;
        const size_t bytes = vertices.size() * sizeof(MeshVertex);
        batchCapacity_ = std::max(bytes, batchCapacity_);
        // A fresh store for every batch, so that the previous draw need not finish first.
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(batchCapacity_), nullptr, GL_STREAM_DRAW);
        glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes), vertices.data());
        (textures_.HasCutout(texture) ? meshProgram_ : opaqueMeshProgram_)->Use();
        glBindTexture(GL_TEXTURE_2D, texture);
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size()));
    }
    glBindVertexArray(0);
    nearFirst_.clear();  // holds no mesh past the frame: the game's release is final
}

void Renderer::UseSprite(const glm::mat4& matrix, GLuint texture, bool fog, const FrameView* v,
                         Blend blend, float alphaTest) {
    // Glow covers by brightness and needs no alpha test; a negative threshold drops nothing.
    const bool cutout = blend != Blend::Glow && alphaTest >= 0.0f;
    const Program& program = *spritePrograms_[static_cast<int>(blend)][cutout ? 1 : 0];
    program.Use();
    glUniformMatrix4fv(program.Uniform("uMatrix"), 1, GL_FALSE, &matrix[0][0]);
    glUniform1i(program.Uniform("uTexture"), 0);
    glUniform1i(program.Uniform("uFogOn"), fog ? 1 : 0);
    if (cutout) glUniform1f(program.Uniform("uAlphaTest"), alphaTest);
    if (v) {
        glUniform3fv(program.Uniform("uEye"), 1, &v->eye[0]);
        glUniform3fv(program.Uniform("uFogColor"), 1, &v->fogColor[0]);
        glUniform2fv(program.Uniform("uFog"), 1, &v->fog[0]);
    }
    switch (blend) {
    case Blend::Alpha:
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        break;
    case Blend::Additive:
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        break;
    case Blend::Glow:
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        break;
    }
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void Renderer::DrawBillboards(EngineState& state, const FrameView& v) {
    struct Item {
        const MeshData* mesh;
        float distance;
    };
    std::vector<Item> items;
    for (const auto& weak : state.meshes) {
        const auto mesh = weak.lock();
        if (!mesh || !mesh->billboard || !mesh->shown) continue;
        if (!mesh->effect && (mesh->groupTextures.empty() || !mesh->groupTextures[0])) continue;
        const float radius = 0.5f * std::max(mesh->billboardWidth, mesh->billboardHeight);
        if (!SphereVisible(v, mesh->position, radius)) continue;
        items.push_back({mesh.get(), glm::length(mesh->position - v.eye)});
    }
    std::sort(items.begin(), items.end(),
              [](const Item& a, const Item& b) { return a.distance > b.distance; });
    const double now = state.Now();
    for (const Item& item : items) {
        const MeshData& mesh = *item.mesh;
        TexturePtr texture;
        bool additive = false;
        if (mesh.effect) {
            const auto& effect = *mesh.effect->Data();
            if (effect.frames.empty()) continue;
            texture = effect.frames[effect.FrameAt(now - mesh.effectStart)];
            additive = effect.additive;
        } else {
            texture = mesh.groupTextures[0];
        }
        const auto tris = mesh.BillboardTriangles(v.eye);
        // Corners: bl = tris[0][0], br = tris[0][1], tr = tris[0][2], tl = tris[1][2].
        scratch_.clear();
        QuadStream::AddQuad(scratch_, tris[1][2], tris[0][2], tris[0][1], tris[0][0],
                            glm::vec4(1.0f), glm::vec4(1.0f));
        UseSprite(v.viewProjection, textures_.Get(texture), true, &v,
                  additive ? Blend::Additive : Blend::Alpha, 0.01f);
        quads_.Draw(scratch_);
    }
}

void Renderer::DrawParticles(const EngineState& state, const FrameView& v) {
    const glm::vec3 right(v.view[0][0], v.view[1][0], v.view[2][0]);
    const glm::vec3 up(v.view[0][1], v.view[1][1], v.view[2][1]);
    for (const auto& weak : state.emitters) {
        const auto emitter = weak.lock();
        if (!emitter || emitter->drawFrame != state.frameNumber || emitter->particles.empty()) continue;
        scratch_.clear();
        for (const Particle& p : emitter->particles) {
            const float half = emitter->SizeOf(p) * 0.5f;
            const glm::vec3 r = right * half, u = up * half;
            // Premultiplied: hot young particles add light, older ones also hide what is behind.
            const glm::vec4 c = emitter->ColorOf(p);
            const glm::vec4 color(glm::vec3(c) * c.a, c.a * emitter->OcclusionOf(p));
            QuadStream::AddQuad(scratch_, p.position - r + u, p.position + r + u, p.position + r - u,
                                p.position - r - u, color, color);
        }
        const GLuint texture = emitter->texture ? textures_.Get(emitter->texture) : textures_.SoftSpot();
        UseSprite(v.viewProjection, texture, true, &v, Blend::Glow, 0.0f);
        quads_.Draw(scratch_);
    }
}

void Renderer::PlaceSun(const EngineState& state, const FrameView& v) {
    sunVisible_ = 0.0f;
    const glm::vec3 direction = state.terrain.SunDirection();
    if (glm::dot(direction, glm::normalize(state.camera.target - state.camera.eye)) <= 0.0f) return;
    if (!state.camera.Project(v.eye + direction * 1000.0f, sunX_, sunY_)) return;
    // The sun fades out towards the screen edges, and where the scene in front of it (terrain,
    // meshes: whatever wrote depth) covers it.
    const float edge = std::max(std::fabs(sunX_ - 400.0f) / 400.0f, std::fabs(sunY_ - 300.0f) / 300.0f);
    const float inView = 1.0f - std::clamp((edge - 0.75f) / 0.5f, 0.0f, 1.0f);
    if (inView <= 0.0f) return;
    constexpr int kHalf = 4, kSide = 2 * kHalf + 1;
    const int cx = static_cast<int>(sunX_), cy = height_ - 1 - static_cast<int>(sunY_);
    if (cx - kHalf < 0 || cy - kHalf < 0 || cx + kHalf >= width_ || cy + kHalf >= height_) return;
    float depth[kSide * kSide];
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glReadPixels(cx - kHalf, cy - kHalf, kSide, kSide, GL_DEPTH_COMPONENT, GL_FLOAT, depth);
    int open = 0;
    for (float d : depth) open += d >= 0.99999f ? 1 : 0;
    sunVisible_ = inView * static_cast<float>(open) / (kSide * kSide);
}

void Renderer::DrawSunAndFlares(const EngineState& state, const Draw2D& item,
                                std::vector<QuadVertex>& out) {
    if (sunVisible_ <= 0.0f) return;
    const TerrainData& terrain = state.terrain;
    const float sx = sunX_, sy = sunY_;
    if (item.kind == Draw2D::Kind::Sun) {
        const float half = 32.0f * terrain.sunSize;
        const glm::vec4 white(1.0f, 1.0f, 1.0f, sunVisible_);
        QuadStream::AddQuad(out, {sx - half, sy - half, 0}, {sx + half, sy - half, 0},
                            {sx + half, sy + half, 0}, {sx - half, sy + half, 0}, white, white);
        return;
    }
    // The n-th lens flare item after the sun belongs to the n-th flare that has a size.
    const LensFlare* flare = nullptr;
    int index = flareCounter_++;
    for (const auto& f : terrain.flares) {
        if (f.size <= 0.0f) continue;
        if (index-- == 0) {
            flare = &f;
            break;
        }
    }
    if (!flare) return;
    const float t = flare->distance / 40.0f;
    const glm::vec2 centre(400.0f, 300.0f), sun(sx, sy);
    const glm::vec2 at = sun + (centre - sun) * t;
    const float half = 8.0f * flare->size;
    glm::vec4 color = glm::mix(UnpackColor(flare->color1), UnpackColor(flare->color2),
                               std::clamp(t, 0.0f, 1.0f));
    color.a *= sunVisible_;
    QuadStream::AddQuad(out, {at.x - half, at.y - half, 0}, {at.x + half, at.y - half, 0},
                        {at.x + half, at.y + half, 0}, {at.x - half, at.y + half, 0}, color, color);
}

void Renderer::DrawOverlay(const EngineState& state, const FrameView& v) {
    const glm::mat4 ortho = glm::ortho(0.0f, 800.0f, 600.0f, 0.0f, -1.0f, 1.0f);
    flareCounter_ = 0;
    for (const Draw2D& item : state.queue) {
        scratch_.clear();
        switch (item.kind) {
        case Draw2D::Kind::Texture: {
            QuadStream::AddQuad(scratch_, {item.x1, item.y1, 0}, {item.x2, item.y1, 0},
                                {item.x2, item.y2, 0}, {item.x1, item.y2, 0},
                                UnpackColor(item.color), UnpackColor(item.color2));
            UseSprite(ortho, textures_.Get(item.texture), false, nullptr, Blend::Alpha, 0.0f);
            break;
        }
        case Draw2D::Kind::Text: {
            const TextImage text = text_.Get(state, item.font, item.text, frames_);
            if (!text.texture) continue;
            const float x = std::round(item.x1), y = std::round(item.y1);
            const glm::vec4 color = UnpackColor(item.color);
            QuadStream::AddQuad(scratch_, {x, y, 0}, {x + text.width, y, 0},
                                {x + text.width, y + text.height, 0}, {x, y + text.height, 0},
                                color, color);
            UseSprite(ortho, text.texture, false, nullptr, Blend::Alpha, 0.0f);
            break;
        }
        case Draw2D::Kind::Sun:
            flareCounter_ = 0;
            PlaceSun(state, v);
            [[fallthrough]];
        case Draw2D::Kind::LensFlare:
            DrawSunAndFlares(state, item, scratch_);
            UseSprite(ortho, item.texture ? textures_.Get(item.texture) : textures_.SoftSpot(), false,
                      nullptr, Blend::Additive, 0.0f);
            break;
        }
        quads_.Draw(scratch_);
    }
    const float cover = state.fade.Cover(state.Now());
    if (cover > 0.0f) {
        scratch_.clear();
        const glm::vec4 black(0.0f, 0.0f, 0.0f, cover);
        QuadStream::AddQuad(scratch_, {0, 0, 0}, {800, 0, 0}, {800, 600, 0}, {0, 600, 0}, black, black);
        UseSprite(ortho, textures_.White(), false, nullptr, Blend::Alpha, 0.0f);
        quads_.Draw(scratch_);
    }
}

PictureBox Renderer::Placement(int windowWidth, int windowHeight) const {
    return PlacePicture(width_, height_, windowWidth, windowHeight, !software_);
}

void Renderer::Blit(int windowWidth, int windowHeight, bool border) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    const PictureBox box = Placement(windowWidth, windowHeight);
    const int x = box.x, w = box.width, h = box.height;
    const int y = windowHeight - box.y - h;  // OpenGL counts rows from the bottom
    // Only the border is cleared: the picture covers the rest, and a software renderer pays
    // for every pixel cleared.
    glClearColor(0, 0, 0, 1);
    glEnable(GL_SCISSOR_TEST);
    const int bars[4][4] = {{0, 0, x, windowHeight},
                            {x + w, 0, windowWidth - x - w, windowHeight},
                            {0, 0, windowWidth, y},
                            {0, y + h, windowWidth, windowHeight - y - h}};
    for (const auto& bar : bars) {
        if (!border || bar[2] <= 0 || bar[3] <= 0) continue;
        glScissor(bar[0], bar[1], bar[2], bar[3]);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
    if (w == width_ && h == height_) {
        // Pixel for pixel: a plain copy, which a software renderer does at memory speed.
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        glBlitFramebuffer(0, 0, width_, height_, x, y, x + w, y + h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        return;
    }
    glViewport(x, y, w, h);
    // The picture's rows run bottom-up in the texture: flip v.
    scratch_.clear();
    const glm::vec4 white(1.0f);
    QuadStream::AddQuad(scratch_, {-1, 1, 0}, {1, 1, 0}, {1, -1, 0}, {-1, -1, 0}, white, white,
                        {0, 1}, {1, 0});
    pictureProgram_->Use();
    glUniform1i(pictureProgram_->Uniform("uPicture"), 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, colorTexture_);
    quads_.Draw(scratch_);
}

Image Renderer::ReadPicture() {
    Image image;
    image.width = width_;
    image.height = height_;
    image.rgba.resize(static_cast<size_t>(width_) * height_ * 4);
    std::vector<uint8_t> rows(image.rgba.size());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    const size_t rowBytes = static_cast<size_t>(width_) * 4;
    for (int y = 0; y < height_; ++y) {
        std::copy_n(&rows[(height_ - 1 - y) * rowBytes], rowBytes, image.Pixel(0, y));
        for (int x = 0; x < width_; ++x) image.Pixel(x, y)[3] = 255;
    }
    return image;
}

}  // namespace quarvex::detail
