#include "globe/sky/atmosphere.h"

#include <algorithm>
#include <cmath>

namespace tnx::globe {

namespace {
// The outermost ring keeps only a dim part of the colour and no alpha.
constexpr uint32_t kRimColorMask = 0x003344CC;
// Below this the camera would sit on (or in) the globe and the tangent ring
// has no solution; the camera never comes that close, but keep the mesh sane.
constexpr float kMinimumDistance = 1.0001f;
}  // namespace

Atmosphere::Atmosphere(float globeRadius) : radius_(globeRadius), vertices_(kVertexCount) {
    // Fixed topology. Seen from the camera (local -Z) the segments run
    // counter-clockwise, so every triangle is listed clockwise.
    indices_.reserve(kIndexCount);
    for (int j = 0; j < kSegments; ++j) {
        int next = (j + 1) % kSegments;
        indices_.insert(indices_.end(),
                        {0, uint16_t(vertexIndex(1, next)), uint16_t(vertexIndex(1, j))});
    }
    for (int k = 1; k < kRings; ++k) {
        for (int j = 0; j < kSegments; ++j) {
            int next = (j + 1) % kSegments;
            uint16_t in0 = uint16_t(vertexIndex(k, j)), in1 = uint16_t(vertexIndex(k, next));
            uint16_t out0 = uint16_t(vertexIndex(k + 1, j)), out1 = uint16_t(vertexIndex(k + 1, next));
            indices_.insert(indices_.end(), {in0, out1, out0, in0, in1, out1});
        }
    }
    update({0, 0, -4 * globeRadius}, {-1, 0, 0});
}

void Atmosphere::setAppearance(gfx::Color color, int opacity) {
    color_ = color & 0x00FFFFFF;
    opacity_ = std::clamp(opacity, 0, 255);
}

uint32_t Atmosphere::ringAlpha(int ring, float distanceInRadii, int opacity) {
    // In double so whole products (ring 6 at b = 1) do not truncate one short.
    double b = std::max(1.3 - 0.3 * double(distanceInRadii), 0.6);
    double a = double(ring * ring * ring) * b * double(opacity) / 216.0;
    return uint32_t(std::min(255.0, std::trunc(std::max(a, 0.0))));
}

void Atmosphere::update(const math::Vec3& cameraPosition, const math::Vec3& sunDirection) {
    math::Vec3 p = cameraPosition;
    float len = math::length(p);
    if (!(len > 0)) {
        p = {0, 0, -radius_};
        len = radius_;
    }
    float d = std::max(len / radius_, kMinimumDistance);

    // Turn the disc so its local -Z axis points at the camera.
    float latitude = std::asin(std::clamp(p.y / len, -1.0f, 1.0f));
    float rho = std::sqrt(p.x * p.x + p.z * p.z + 0.0001f);
    float azimuth = std::asin(std::clamp(p.x / rho, -1.0f, 1.0f));
    if (p.z > 0) azimuth = math::kPi - azimuth;
    world_ = math::matrixRotationX(latitude) * math::matrixRotationY(-azimuth);

    // Ring profile: rings 1..7 are where rays from the camera, aimed ever
    // further out toward the limb, meet the sphere; ring 7 is the tangent.
    float radiusOf[kRings + 1], depthOf[kRings + 1];
    float tangent = std::sqrt(d * d - 1);
    float t0 = std::max(1.3f - 0.5f * d, 0.0f);
    for (int k = 1; k < kRings; ++k) {
        float q = std::min(t0 + float(k) * (1 - t0) / 7.0f, 1.0f);
        float u = -(d - q / d) / (q * tangent / d);
        float w = -2 * u * d;
        float a = u * u + 1;
        float y = (std::sqrt(std::max(0.0f, w * w - 4 * a * (d * d - 1))) - w) / (2 * a);
        radiusOf[k] = -y;
        depthOf[k] = u * y - d;
    }
    radiusOf[kRings] = tangent / d;
    depthOf[kRings] = -1 / d;
    float outerRadius = radius_ + 0.9f * kHeight * (0.1f * exaggeration_ + 0.00001f);

    // Limb normals: tilted toward the camera on the day side, away from it on
    // the night side, so the Sun light brightens or darkens the rim.
    float m = std::max(0.99f * math::dot(sunDirection, p / len), -0.99f);
    float f = std::asin(1 / d);
    float l = std::acos(-m);
    float s;
    if (m >= 0) {
        s = -m / d + 0.1f * (1 - m);
    } else {
        s = 0.1f;
        if (l < f) s -= std::max(3 * f, 0.5f) * (f - l);
    }
    s = std::clamp(s, -1.0f, 1.0f);
    float limbSide = std::sqrt(1 - s * s);

    uint32_t colorOf[kRings + 1];
    for (int i = 0; i <= kRings; ++i) colorOf[i] = (ringAlpha(i, d, opacity_) << 24) | color_;
    colorOf[kRings] &= kRimColorMask;

    vertices_[0] = {0, 0, -radius_, 0, 0, -1, colorOf[0], 0.5f, 0.0f};
    for (int k = 1; k <= kRings; ++k) {
        float scale = k == kRings ? outerRadius : radius_;
        for (int j = 0; j < kSegments; ++j) {
            float ang = 2 * math::kPi * float(j) / float(kSegments);
            float c = std::cos(ang), sn = std::sin(ang);
            Vertex& v = vertices_[size_t(vertexIndex(k, j))];
            v.x = scale * radiusOf[k] * c;
            v.y = scale * radiusOf[k] * sn;
            v.z = scale * depthOf[k];
            if (k < kRings - 1) {
                v.nx = radiusOf[k] * c;
                v.ny = radiusOf[k] * sn;
                v.nz = depthOf[k];
            } else {
                v.nx = limbSide * c;
                v.ny = limbSide * sn;
                v.nz = s;
            }
            v.color = colorOf[k];
            v.u = float(j) / float(kSegments);
            v.v = float(k) / float(kRings);
        }
    }
}

void Atmosphere::draw(gfx::Device& device, bool lighting) const {
    uint32_t oldLighting = device.renderState(gfx::RenderState::Lighting);
    uint32_t oldSpecular = device.renderState(gfx::RenderState::SpecularEnable);
    uint32_t oldBlend = device.renderState(gfx::RenderState::AlphaBlendEnable);
    uint32_t oldSrc = device.renderState(gfx::RenderState::SrcBlend);
    uint32_t oldDest = device.renderState(gfx::RenderState::DestBlend);

    device.setTexture(0, nullptr);
    device.setRenderState(gfx::RenderState::SpecularEnable, 1);
    device.setRenderState(gfx::RenderState::Lighting, lighting ? 1 : 0);
    device.setRenderState(gfx::RenderState::AlphaBlendEnable, 1);
    device.setRenderState(gfx::RenderState::SrcBlend, gfx::kBlendSrcAlpha);
    device.setRenderState(gfx::RenderState::DestBlend, gfx::kBlendInvSrcAlpha);
    device.setVertexShader(gfx::kFvfPosNormalDiffuseTex1);
    device.setTransform(gfx::TransformType::World, world_);
    device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, kVertexCount, kTriangleCount,
                                  indices_.data(), vertices_.data(), sizeof(Vertex));

    device.setRenderState(gfx::RenderState::DestBlend, oldDest);
    device.setRenderState(gfx::RenderState::SrcBlend, oldSrc);
    device.setRenderState(gfx::RenderState::AlphaBlendEnable, oldBlend);
    device.setRenderState(gfx::RenderState::Lighting, oldLighting);
    device.setRenderState(gfx::RenderState::SpecularEnable, oldSpecular);
}

}  // namespace tnx::globe
