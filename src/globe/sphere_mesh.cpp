#include "globe/sphere_mesh.h"

#include <bit>
#include <cmath>

namespace tnx::globe {

using math::Vec2;
using math::Vec3;

namespace {

constexpr float kPi = math::kPi;
constexpr uint64_t kMaxVertices = 65536;  // 16-bit indices

Vec3 spherePoint(float theta, float phi) {
    return {std::sin(theta) * std::cos(phi), -std::cos(theta), std::sin(theta) * std::sin(phi)};
}

}  // namespace

// --- MeshData ---------------------------------------------------------------

MeshData::MeshData(uint32_t fvf) : fvf_(fvf) {
    int w = 0;
    if (fvf & gfx::kFvfXyz) w += 3;
    if (fvf & gfx::kFvfNormal) { normalAt_ = w; w += 3; }
    if (fvf & gfx::kFvfDiffuse) { diffuseAt_ = w; w += 1; }
    if (fvf & gfx::kFvfTex1) { textureAt_ = w; w += 2; }
    wordsPerVertex_ = uint32_t(w);
}

float MeshData::wordAsFloat(uint32_t vertex, int word) const {
    return std::bit_cast<float>(words_[size_t(vertex) * wordsPerVertex_ + size_t(word)]);
}

void MeshData::setFloat(uint32_t vertex, int word, float v) {
    words_[size_t(vertex) * wordsPerVertex_ + size_t(word)] = std::bit_cast<uint32_t>(v);
}

Vec3 MeshData::position(uint32_t i) const {
    if (!(fvf_ & gfx::kFvfXyz)) return {};
    return {wordAsFloat(i, 0), wordAsFloat(i, 1), wordAsFloat(i, 2)};
}

Vec3 MeshData::normal(uint32_t i) const {
    if (normalAt_ < 0) return {};
    return {wordAsFloat(i, normalAt_), wordAsFloat(i, normalAt_ + 1), wordAsFloat(i, normalAt_ + 2)};
}

gfx::Color MeshData::diffuse(uint32_t i) const {
    return diffuseAt_ < 0 ? 0 : words_[size_t(i) * wordsPerVertex_ + size_t(diffuseAt_)];
}

Vec2 MeshData::texture(uint32_t i) const {
    if (textureAt_ < 0) return {};
    return {wordAsFloat(i, textureAt_), wordAsFloat(i, textureAt_ + 1)};
}

uint32_t MeshData::addVertex(const Vec3& p, const Vec3& n, gfx::Color diffuse, const Vec2& t) {
    uint32_t index = vertexCount();
    words_.resize(words_.size() + wordsPerVertex_);
    if (fvf_ & gfx::kFvfXyz) {
        setFloat(index, 0, p.x);
        setFloat(index, 1, p.y);
        setFloat(index, 2, p.z);
    }
    setNormal(index, n);
    setDiffuse(index, diffuse);
    if (textureAt_ >= 0) {
        setFloat(index, textureAt_, t.x);
        setFloat(index, textureAt_ + 1, t.y);
    }
    return index;
}

void MeshData::setNormal(uint32_t i, const Vec3& n) {
    if (normalAt_ < 0) return;
    setFloat(i, normalAt_, n.x);
    setFloat(i, normalAt_ + 1, n.y);
    setFloat(i, normalAt_ + 2, n.z);
}

void MeshData::setDiffuse(uint32_t i, gfx::Color c) {
    if (diffuseAt_ >= 0) words_[size_t(i) * wordsPerVertex_ + size_t(diffuseAt_)] = c;
}

void MeshData::reserve(uint32_t vertices, uint32_t indices) {
    words_.reserve(size_t(vertices) * wordsPerVertex_);
    indices_.reserve(indices);
}

void MeshData::clear() {
    words_.clear();
    indices_.clear();
}

// --- builders ---------------------------------------------------------------------

MeshData buildSpherePatches(float radius, int a, int patchRows, int n, uint32_t fvf) {
    MeshData mesh(fvf);
    if (a < 1 || patchRows < 1 || n < 1) return mesh;
    const uint64_t perPatch = uint64_t(n + 1) * uint64_t(n + 1);
    if (perPatch * uint64_t(patchRows) > kMaxVertices) return mesh;
    mesh.reserve(uint32_t(perPatch) * uint32_t(patchRows), uint32_t(6 * n * n));

    // Each factor rounded to float as written, so patches meet exactly.
    const float rowSpan = kPi / float(patchRows);
    const float thetaStep = rowSpan / float(n);
    const float phiStep = 2 * kPi / float(a) / float(n);
    for (int i = 0; i < patchRows; ++i)
        for (int j = 0; j <= n; ++j)
            for (int k = 0; k <= n; ++k) {
                float theta = thetaStep * float(j) + rowSpan * float(i);
                float phi = float(k) * phiStep;
                Vec3 normal = spherePoint(theta, phi);
                mesh.addVertex(normal * radius, normal, 0xFFFFFFFF,
                               {float(k) / float(n), 1 - float(j) / float(n)});
            }

    auto& idx = mesh.indices();
    for (int h = 0; h < n; ++h)
        for (int j = 0; j < n; ++j) {
            int l = h * (n + 1) + j;
            for (int v : {l, l + n + 1, l + n + 2, l, l + n + 2, l + 1}) idx.push_back(uint16_t(v));
        }
    return mesh;
}

MeshData buildMeridianBand(float radius, float width, int segments, gfx::Color colour, uint32_t fvf) {
    MeshData mesh(fvf);
    if (segments < 1 || radius <= 0 || uint64_t(segments + 1) * 2 > kMaxVertices) return mesh;
    mesh.reserve(uint32_t(2 * (segments + 1)), uint32_t(6 * segments));
    const float alpha = width / radius / 2;
    const float ca = std::cos(alpha), sa = std::sin(alpha);
    for (int i = 0; i <= segments; ++i) {
        float psi = float(i) * (kPi / float(segments));
        float s = std::sin(psi), c = std::cos(psi);
        Vec3 p{radius * s * ca, -radius * c, 0};
        p.z = -width / 2;
        mesh.addVertex(p, {s * ca, -c, -s * sa}, colour, {float(8 * i), 0});
        p.z = width / 2;
        mesh.addVertex(p, {s * ca, -c, s * sa}, colour, {float(8 * i), 1});
    }
    auto& idx = mesh.indices();
    for (int i = 0; i < segments; ++i) {
        int b = 2 * i;
        for (int v : {b, b + 2, b + 3, b, b + 3, b + 1}) idx.push_back(uint16_t(v));
    }
    return mesh;
}

MeshData buildParallelBands(float radius, float width, int segments, int rows, gfx::Color colour, uint32_t fvf) {
    MeshData mesh(fvf);
    if (segments < 1 || rows < 2 || radius <= 0) return mesh;
    const uint64_t perBand = 2 * uint64_t(segments);
    if (perBand * uint64_t(rows - 1) > kMaxVertices) return mesh;
    mesh.reserve(uint32_t(perBand) * uint32_t(rows - 1), uint32_t(6 * segments * (rows - 1)));

    const float alpha = width / radius / 2;
    const gfx::Color equator = (colour & 0xFF000000u) | 0x00FFFF80u;
    auto& idx = mesh.indices();
    for (int band = 1; band < rows; ++band) {
        const float theta = float(band) * (kPi / float(rows));
        const gfx::Color c = band == rows / 2 ? equator : colour;
        const uint32_t base = mesh.vertexCount();
        for (int j = 0; j < segments; ++j) {
            float phi = float(j) * (2 * kPi / float(segments));
            Vec3 outer = spherePoint(theta + alpha, phi);
            Vec3 inner = spherePoint(theta - alpha, phi);
            mesh.addVertex(outer * radius, outer, c, {float(4 * j), 1});
            mesh.addVertex(inner * radius, inner, c, {float(4 * j), 0});
        }
        const int ring = 2 * segments;
        for (int j = 0; j < segments; ++j) {
            int v0 = 2 * j, v1 = 2 * j + 1, v2 = (2 * j + 2) % ring, v3 = (2 * j + 3) % ring;
            for (int v : {v0, v2, v3, v0, v3, v1}) idx.push_back(uint16_t(base + uint32_t(v)));
        }
    }
    return mesh;
}

MeshData buildDisc(float radius, float alphaScale, int segments) {
    MeshData mesh(gfx::kFvfPosDiffuse);
    if (segments < 1 || uint64_t(segments) + 1 > kMaxVertices) return mesh;
    // Alphas are kept within a byte so an over-range scale cannot spill
    // into the colour.
    auto alpha = [&](float scale) {
        float v = std::trunc(alphaScale * scale);
        return gfx::Color(v < 0 ? 0 : v > 255 ? 255 : v);
    };
    const gfx::Color centre = (alpha(255.5f) << 24) + 0xFFA060;
    const gfx::Color rim = (alpha(25.550001f) << 24) + 0x3890B0;
    mesh.reserve(uint32_t(segments + 1), uint32_t(3 * segments));
    mesh.addVertex({0, 0, 0}, {}, centre, {});
    for (int d = 0; d < segments; ++d) {
        float a = 2 * kPi * float(d) / float(segments);
        mesh.addVertex({radius * std::cos(a), radius * std::sin(a), 0}, {}, rim, {});
    }
    auto& idx = mesh.indices();
    for (int d = 0; d < segments; ++d) {
        idx.push_back(0);
        idx.push_back(uint16_t(d + 1));
        idx.push_back(uint16_t(d + 1 < segments ? d + 2 : 1));
    }
    return mesh;
}

MeshData mirrored(const MeshData& mesh) {
    MeshData out = mesh;
    for (uint32_t i = 0; i < out.vertexCount(); ++i) out.setNormal(i, -mesh.normal(i));
    auto& idx = out.indices();
    for (size_t t = 0; t + 2 < idx.size(); t += 3) std::swap(idx[t + 1], idx[t + 2]);
    return out;
}

void recolour(MeshData& mesh, gfx::Color colour) {
    for (uint32_t i = 0; i < mesh.vertexCount(); ++i) mesh.setDiffuse(i, colour);
}

void recolourParallelBands(MeshData& mesh, int segments, int rows, gfx::Color colour) {
    const gfx::Color equator = (colour & 0xFF000000u) | 0x00FFFF80u;
    const uint32_t perBand = segments > 0 ? uint32_t(2 * segments) : 0;
    for (uint32_t i = 0; i < mesh.vertexCount(); ++i) {
        int band = perBand ? int(i / perBand) + 1 : 0;
        mesh.setDiffuse(i, band == rows / 2 ? equator : colour);
    }
}

}  // namespace tnx::globe
