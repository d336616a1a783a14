#include "Model3ds.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace orvane::assets::visual {

namespace {

V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Chunk writer: every chunk is a 16-bit id and a 32-bit length that includes the 6-byte header.
class ChunkWriter {
public:
    size_t Begin(uint16_t id) {
        const size_t start = out_.size();
        U16(id);
        U32(0);
        return start;
    }
    void End(size_t start) {
        const uint32_t len = static_cast<uint32_t>(out_.size() - start);
        for (int i = 0; i < 4; ++i) out_[start + 2 + i] = static_cast<uint8_t>(len >> (8 * i));
    }
    void U8(uint8_t v) { out_.push_back(v); }
    void U16(uint16_t v) {
        out_.push_back(static_cast<uint8_t>(v));
        out_.push_back(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void F32(float f) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        U32(v);
    }
    void Str(const std::string& s) {
        out_.insert(out_.end(), s.begin(), s.end());
        out_.push_back(0);
    }
    std::vector<uint8_t>& Bytes() { return out_; }

private:
    std::vector<uint8_t> out_;
};

}  // namespace

void Mesh3ds::Triangle(V3 a, V3 b, V3 c, Uv ta, Uv tb, Uv tc, V3 inside) {
    const V3 n = Cross(b - a, c - a);
    const V3 centre = (a + b + c) * (1.0f / 3.0f);
    if (Dot(n, centre - inside) < 0) {
        std::swap(b, c);
        std::swap(tb, tc);
    }
    if (vertices.size() + 3 > 65535) throw std::runtime_error("3ds mesh too large: " + name);
    const auto base = static_cast<uint16_t>(vertices.size());
    vertices.insert(vertices.end(), {a, b, c});
    uvs.insert(uvs.end(), {ta, tb, tc});
    faces.push_back({base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2)});
}

void Mesh3ds::Quad(V3 a, V3 b, V3 c, V3 d, UvRect r, V3 inside) {
    const Uv ta{r.u0, r.v0}, tb{r.u1, r.v0}, tc{r.u1, r.v1}, td{r.u0, r.v1};
    Triangle(a, b, c, ta, tb, tc, inside);
    Triangle(a, c, d, ta, tc, td, inside);
}

void Mesh3ds::Block(const std::array<V3, 8>& k, const UvRect& sides, const UvRect& top, const UvRect& bottom) {
    V3 centre;
    for (const V3& p : k) centre = centre + p * 0.125f;
    // Side faces run bottom edge first so the image stands upright on them.
    Quad(k[0], k[1], k[3], k[2], sides, centre);  // z low (back)
    Quad(k[5], k[4], k[6], k[7], sides, centre);  // z high (front)
    Quad(k[4], k[0], k[2], k[6], sides, centre);  // x low
    Quad(k[1], k[5], k[7], k[3], sides, centre);  // x high
    Quad(k[2], k[3], k[7], k[6], top, centre);
    Quad(k[0], k[1], k[5], k[4], bottom, centre);
}

void Mesh3ds::Box(V3 lo, V3 hi, const UvRect& sides, const UvRect& top, const UvRect& bottom) {
    std::array<V3, 8> k;
    for (int i = 0; i < 8; ++i) k[i] = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
    Block(k, sides, top, bottom);
}

void Mesh3ds::Prism(float cx, float cz, float y0, float y1, float r0, float r1, int n, const UvRect& sides,
                    const UvRect& top, const UvRect& bottom, float phase, int wraps) {
    const V3 inside{cx, (y0 + y1) / 2, cz};
    const float step = 6.2831853f / n;
    const Uv topCentre{(top.u0 + top.u1) / 2, (top.v0 + top.v1) / 2};
    const Uv bottomCentre{(bottom.u0 + bottom.u1) / 2, (bottom.v0 + bottom.v1) / 2};
    for (int i = 0; i < n; ++i) {
        const float a0 = phase + i * step, a1 = phase + (i + 1) * step;
        const V3 b0{cx + r0 * std::cos(a0), y0, cz + r0 * std::sin(a0)};
        const V3 b1{cx + r0 * std::cos(a1), y0, cz + r0 * std::sin(a1)};
        const V3 t0{cx + r1 * std::cos(a0), y1, cz + r1 * std::sin(a0)};
        const V3 t1{cx + r1 * std::cos(a1), y1, cz + r1 * std::sin(a1)};
        const float span = (sides.u1 - sides.u0) * wraps / n;
        const float su0 = sides.u0 + span * static_cast<float>(i % (n / wraps));
        Quad(b0, b1, t1, t0, {su0, sides.v0, su0 + span, sides.v1}, inside);
        auto capUv = [](const UvRect& r, float a) {
            return Uv{(r.u0 + r.u1) / 2 + (r.u1 - r.u0) / 2 * std::cos(a), (r.v0 + r.v1) / 2 + (r.v1 - r.v0) / 2 * std::sin(a)};
        };
        Triangle({cx, y1, cz}, t0, t1, topCentre, capUv(top, a0), capUv(top, a1), {cx, y1 - 1.0f, cz});
        Triangle({cx, y0, cz}, b1, b0, bottomCentre, capUv(bottom, a1), capUv(bottom, a0), {cx, y0 + 1.0f, cz});
    }
}

void Mesh3ds::TubeZ(float cx, float cy, float z0, float z1, float r, int n, const UvRect& sides, const UvRect& caps) {
    const V3 inside{cx, cy, (z0 + z1) / 2};
    const float step = 6.2831853f / n;
    for (int i = 0; i < n; ++i) {
        const float a0 = i * step, a1 = (i + 1) * step;
        const V3 p0{cx + r * std::cos(a0), cy + r * std::sin(a0), z0};
        const V3 p1{cx + r * std::cos(a1), cy + r * std::sin(a1), z0};
        const float su0 = sides.u0 + (sides.u1 - sides.u0) * i / n;
        const float su1 = sides.u0 + (sides.u1 - sides.u0) * (i + 1) / n;
        Quad(p0, p1, {p1.x, p1.y, z1}, {p0.x, p0.y, z1}, {su0, sides.v0, su1, sides.v1}, inside);
        const Uv c{(caps.u0 + caps.u1) / 2, (caps.v0 + caps.v1) / 2};
        Triangle({cx, cy, z1}, {p0.x, p0.y, z1}, {p1.x, p1.y, z1}, c, {caps.u0, caps.v0}, {caps.u1, caps.v0},
                 {cx, cy, z1 - 0.5f});
        Triangle({cx, cy, z0}, p1, p0, c, {caps.u1, caps.v1}, {caps.u0, caps.v1}, {cx, cy, z0 + 0.5f});
    }
}

std::vector<uint8_t> Encode3ds(const std::vector<Material3ds>& materials, const std::vector<Mesh3ds>& meshes) {
    ChunkWriter w;
    const size_t main = w.Begin(0x4D4D);
    {
        const size_t version = w.Begin(0x0002);
        w.U32(3);
        w.End(version);
    }
    const size_t editor = w.Begin(0x3D3D);
    {
        const size_t meshVersion = w.Begin(0x3D3E);
        w.U32(3);
        w.End(meshVersion);
    }
    for (const Material3ds& m : materials) {
        const size_t mat = w.Begin(0xAFFF);
        const size_t name = w.Begin(0xA000);
        w.Str(m.name);
        w.End(name);
        const size_t diffuse = w.Begin(0xA020);
        const size_t rgb = w.Begin(0x0011);
        for (uint8_t c : m.diffuse) w.U8(c);
        w.End(rgb);
        w.End(diffuse);
        if (!m.textureFile.empty()) {
            const size_t map = w.Begin(0xA200);
            const size_t pct = w.Begin(0x0030);
            w.U16(100);
            w.End(pct);
            const size_t file = w.Begin(0xA300);
            w.Str(m.textureFile);
            w.End(file);
            w.End(map);
        }
        w.End(mat);
    }
    {
        const size_t scale = w.Begin(0x0100);
        w.F32(1.0f);
        w.End(scale);
    }
    for (const Mesh3ds& m : meshes) {
        const size_t object = w.Begin(0x4000);
        w.Str(m.name);
        const size_t tri = w.Begin(0x4100);
        const size_t verts = w.Begin(0x4110);
        w.U16(static_cast<uint16_t>(m.vertices.size()));
        // 3DS stands z up with the front towards -y: (x, y, z) of the game is (x, -z, y) here.
        for (const V3& v : m.vertices) {
            w.F32(v.x);
            w.F32(-v.z);
            w.F32(v.y);
        }
        w.End(verts);
        const size_t uv = w.Begin(0x4140);
        w.U16(static_cast<uint16_t>(m.uvs.size()));
        for (const Uv& t : m.uvs) {
            w.F32(t.u);
            w.F32(t.v);
        }
        w.End(uv);
        const size_t matrix = w.Begin(0x4160);
        for (float f : {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f}) w.F32(f);
        w.End(matrix);
        const size_t faces = w.Begin(0x4120);
        w.U16(static_cast<uint16_t>(m.faces.size()));
        for (const auto& f : m.faces) {
            w.U16(f[0]);
            w.U16(f[1]);
            w.U16(f[2]);
            w.U16(0x0007);  // all three edges visible
        }
        const size_t group = w.Begin(0x4130);
        w.Str(m.material);
        w.U16(static_cast<uint16_t>(m.faces.size()));
        for (size_t i = 0; i < m.faces.size(); ++i) w.U16(static_cast<uint16_t>(i));
        w.End(group);
        w.End(faces);
        w.End(tri);
        w.End(object);
    }
    w.End(editor);
    w.End(main);
    return std::move(w.Bytes());
}

void Write3ds(const std::filesystem::path& path, const std::vector<Material3ds>& materials,
              const std::vector<Mesh3ds>& meshes) {
    const auto bytes = Encode3ds(materials, meshes);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace orvane::assets::visual
