#include "MeshModel.h"

#include <algorithm>
#include <cmath>

namespace quarvex::detail {

glm::mat4 MeshData::WorldMatrix() const {
    glm::mat4 m(1.0f);
    m[0] = glm::vec4(side * scale.x, 0.0f);
    m[1] = glm::vec4(up * scale.y, 0.0f);
    m[2] = glm::vec4(forward * scale.z, 0.0f);
    m[3] = glm::vec4(position, 1.0f);
    return m;
}

int MeshData::GroupOf(const TexturePtr& texture) {
    for (size_t i = 0; i < groupTextures.size(); ++i) {
        if (groupTextures[i] == texture) return static_cast<int>(i);
    }
    groupTextures.push_back(texture);
    return static_cast<int>(groupTextures.size() - 1);
}

void MeshData::AddTriangle(const TexturePtr& texture, const glm::vec3& a, const glm::vec3& b,
                           const glm::vec3& c, float tileU, float tileV) {
    Triangle t;
    t.p = {a, b, c};
    t.uv = {glm::vec2(0, 0), glm::vec2(0, tileV), glm::vec2(tileU, tileV)};
    glm::vec3 n = glm::cross(b - a, c - a);
    const float len = glm::length(n);
    n = len > 0.0f ? n / len : glm::vec3(0, 1, 0);
    t.n = {n, n, n};
    t.group = GroupOf(texture);
    triangles.push_back(t);
    GeometryChanged();
}

void MeshData::RotateY(float angle) {
    // Row-vector rotation about the local up axis, applied in the mesh's own frame.
    const float c = std::cos(angle), s = std::sin(angle);
    const glm::vec3 newSide = c * side - s * forward;
    const glm::vec3 newForward = s * side + c * forward;
    side = newSide;
    forward = newForward;
    PlacementChanged();
}

void MeshData::MoveRelative(float forwardAmount, float upAmount, float sideAmount) {
    position += forwardAmount * forward + upAmount * up + sideAmount * side;
    PlacementChanged();
}

void MeshData::SetMatrix(const Matrix4& m) {
    side = {m.m11, m.m12, m.m13};
    up = {m.m21, m.m22, m.m23};
    forward = {m.m31, m.m32, m.m33};
    position = {m.m41, m.m42, m.m43};
    PlacementChanged();
}

std::array<std::array<glm::vec3, 3>, 2> MeshData::BillboardTriangles(const glm::vec3& eye) const {
    glm::vec3 toEye = eye - position;
    toEye.y = 0.0f;
    const float len = glm::length(toEye);
    const glm::vec3 dir = len > 1e-4f ? toEye / len : glm::vec3(0, 0, -1);
    // Right-hand side of a viewer looking along -dir in a left-handed frame.
    const glm::vec3 right = glm::vec3(-dir.z, 0.0f, dir.x) * (billboardWidth * 0.5f * scale.x);
    const glm::vec3 upv = glm::vec3(0, 1, 0) * (billboardHeight * 0.5f * scale.y);
    const glm::vec3 bl = position - right - upv, br = position + right - upv;
    const glm::vec3 tl = position - right + upv, tr = position + right + upv;
    return {{{bl, br, tr}, {bl, tr, tl}}};
}

namespace {

// Point p on triangle (p0, p1, p2) with normal n (not normalised), edges included.
bool PointOnTriangle(const glm::vec3& p, const glm::vec3& p0, const glm::vec3& p1,
                     const glm::vec3& p2, const glm::vec3& n) {
    constexpr float kEps = 1e-5f;
    const float nn = glm::dot(n, n);
    const glm::vec3 w = p - p0, e1 = p1 - p0, e2 = p2 - p0;
    const float u = glm::dot(glm::cross(w, e2), n) / nn;
    const float v = glm::dot(glm::cross(e1, w), n) / nn;
    return u >= -kEps && v >= -kEps && u + v <= 1.0f + kEps;
}

// Segments a-b and c-d lying in one plane with normal n: do they cross or touch?
bool CoplanarSegmentsTouch(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c,
                           const glm::vec3& d, const glm::vec3& n) {
    constexpr float kEps = 1e-6f;
    const glm::vec3 r = b - a, s = d - c;
    const float denom = glm::dot(glm::cross(r, s), n);
    const float scale = glm::length(r) * glm::length(s) * glm::length(n);
    if (std::fabs(denom) <= kEps * scale) return false;  // parallel edges: the end tests decide
    const float t = glm::dot(glm::cross(c - a, s), n) / denom;
    const float u = glm::dot(glm::cross(c - a, r), n) / denom;
    return t >= -1e-5f && t <= 1.0f + 1e-5f && u >= -1e-5f && u <= 1.0f + 1e-5f;
}

}  // namespace

bool SegmentTouchesTriangle(const glm::vec3& a, const glm::vec3& b, const glm::vec3& p0,
                            const glm::vec3& p1, const glm::vec3& p2) {
    constexpr float kEps = 1e-6f;
    const glm::vec3 e1 = p1 - p0, e2 = p2 - p0;
    const glm::vec3 d = b - a;
    const glm::vec3 pv = glm::cross(d, e2);
    const float det = glm::dot(e1, pv);
    const float scaleRef = glm::length(e1) * glm::length(e2) * glm::length(d);
    if (std::fabs(det) <= kEps * scaleRef || scaleRef == 0.0f) {
        // The segment is parallel to the plane (or a point): it touches only when it lies in the
        // plane and overlaps the triangle.
        const glm::vec3 n = glm::cross(e1, e2);
        const float nn = glm::dot(n, n);
        if (nn == 0.0f) return false;  // a degenerate triangle has no surface
        const float len = std::sqrt(nn);
        if (std::fabs(glm::dot(a - p0, n)) > 1e-4f * len * std::max(1.0f, glm::length(a - p0))) {
            return false;
        }
        if (PointOnTriangle(a, p0, p1, p2, n) || PointOnTriangle(b, p0, p1, p2, n)) return true;
        if (glm::length(d) == 0.0f) return false;
        return CoplanarSegmentsTouch(a, b, p0, p1, n) || CoplanarSegmentsTouch(a, b, p1, p2, n) ||
               CoplanarSegmentsTouch(a, b, p2, p0, n);
    }
    const float inv = 1.0f / det;
    const glm::vec3 tv = a - p0;
    const float u = glm::dot(tv, pv) * inv;
    constexpr float kEdge = 1e-5f;
    if (u < -kEdge || u > 1.0f + kEdge) return false;
    const glm::vec3 qv = glm::cross(tv, e1);
    const float v = glm::dot(d, qv) * inv;
    if (v < -kEdge || u + v > 1.0f + kEdge) return false;
    const float t = glm::dot(e2, qv) * inv;
    return t >= -kEdge && t <= 1.0f + kEdge;
}

bool MeshData::IntersectsSegment(const glm::vec3& a, const glm::vec3& b,
                                 const glm::vec3& eye) const {
    if (!std::isfinite(a.x + a.y + a.z + b.x + b.y + b.z)) return false;
    if (billboard) {
        for (const auto& t : BillboardTriangles(eye)) {
            if (SegmentTouchesTriangle(a, b, t[0], t[1], t[2])) return true;
        }
        return false;
    }
    if (triangles.empty()) return false;
    constexpr float kSlack = 1e-3f;
    const glm::vec3 lo = glm::min(a, b), hi = glm::max(a, b);
    const auto outside = [&](const glm::vec3& boxMin, const glm::vec3& boxMax) {
        return glm::any(glm::greaterThan(lo, boxMax + kSlack)) || glm::any(glm::lessThan(hi, boxMin - kSlack));
    };
    if (localKey != geometryVersion) {
        localMin = glm::vec3(INFINITY);
        localMax = glm::vec3(-INFINITY);
        for (const Triangle& t : triangles) {
            for (const glm::vec3& p : t.p) {
                localMin = glm::min(localMin, p);
                localMax = glm::max(localMax, p);
            }
        }
        localKey = geometryVersion;
    }
    // The placed local box, bounded on the world axes: a moved mesh that the segment cannot
    // reach needs no world copy of its triangles.
    const glm::vec3 half = (localMax - localMin) * 0.5f * glm::abs(scale);
    const glm::vec3 centre = ToWorld((localMin + localMax) * 0.5f);
    const glm::vec3 reach = glm::abs(side) * half.x + glm::abs(up) * half.y + glm::abs(forward) * half.z;
    if (outside(centre - reach, centre + reach)) return false;

    const uint64_t key = geometryVersion * 0x9E3779B97F4A7C15ull ^ placementVersion;
    if (worldKey != key || world.size() != triangles.size()) {
        world.resize(triangles.size());
        worldMin = glm::vec3(INFINITY);
        worldMax = glm::vec3(-INFINITY);
        for (size_t i = 0; i < triangles.size(); ++i) {
            const glm::vec3 p0 = ToWorld(triangles[i].p[0]);
            const glm::vec3 p1 = ToWorld(triangles[i].p[1]);
            const glm::vec3 p2 = ToWorld(triangles[i].p[2]);
            const glm::vec3 e1 = p1 - p0, e2 = p2 - p0;
            world[i] = {p0, e1, e2, glm::dot(e1, e1) * glm::dot(e2, e2)};
            worldMin = glm::min(worldMin, glm::min(p0, glm::min(p1, p2)));
            worldMax = glm::max(worldMax, glm::max(p0, glm::max(p1, p2)));
        }
        worldKey = key;
    }
    if (outside(worldMin, worldMax)) return false;
    // Moller-Trumbore with ends and edges included; near-parallel cases take the full test.
    const glm::vec3 d = b - a;
    const float segmentLength2 = glm::dot(d, d);
    constexpr float kParallel = 1e-6f, kEdge = 1e-5f;
    for (const WorldTriangle& t : world) {
        const glm::vec3 pv = glm::cross(d, t.e2);
        const float det = glm::dot(t.e1, pv);
        if (det * det <= kParallel * kParallel * t.edgeScale2 * segmentLength2) {
            if (SegmentTouchesTriangle(a, b, t.p0, t.p0 + t.e1, t.p0 + t.e2)) return true;
            continue;
        }
        const float inv = 1.0f / det;
        const glm::vec3 tv = a - t.p0;
        const float u = glm::dot(tv, pv) * inv;
        if (u < -kEdge || u > 1.0f + kEdge) continue;
        const glm::vec3 qv = glm::cross(tv, t.e1);
        const float v = glm::dot(d, qv) * inv;
        if (v < -kEdge || u + v > 1.0f + kEdge) continue;
        const float s = glm::dot(t.e2, qv) * inv;
        if (s >= -kEdge && s <= 1.0f + kEdge) return true;
    }
    return false;
}

}  // namespace quarvex::detail
