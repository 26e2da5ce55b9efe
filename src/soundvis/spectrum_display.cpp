#include "soundvis/spectrum_display.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/gfx/overlay_state_guard.h"
#include "platform/math/d3d_math.h"

namespace tnx::soundvis {

namespace {

using Vertex = text::TextVertex;

constexpr int kMaxQuads = 1 + 2 * SpectrumDisplay::kBands * SpectrumDisplay::kChannels;

// Corners in the HUD's quad order: top-left, bottom-left, top-right,
// bottom-right; triangles (0, 2, 1) and (1, 2, 3).
void quad(std::vector<Vertex>& out, float x0, float y0, float x1, float y1, gfx::Color top, gfx::Color bottom) {
    out.push_back({x0, y1, 0, top, 0, 0});
    out.push_back({x0, y0, 0, bottom, 0, 1});
    out.push_back({x1, y1, 0, top, 1, 0});
    out.push_back({x1, y0, 0, bottom, 1, 1});
}

const std::array<uint16_t, kMaxQuads * 6>& indexTable() {
    static const auto table = [] {
        std::array<uint16_t, kMaxQuads * 6> t{};
        for (int i = 0; i < kMaxQuads; ++i) {
            const uint16_t b = uint16_t(4 * i);
            const uint16_t q[6] = {b, uint16_t(b + 2), uint16_t(b + 1), uint16_t(b + 1), uint16_t(b + 2), uint16_t(b + 3)};
            std::copy(q, q + 6, t.begin() + 6 * i);
        }
        return t;
    }();
    return table;
}

float finiteOr(float v, float fallback) { return std::isfinite(v) ? v : fallback; }

}  // namespace

bool SpectrumDisplay::update(const player::SpectrumBands* bands, float seconds) {
    const float fall = kFallRate * std::max(0.0f, finiteOr(seconds, 0.0f));
    bool moved = false;
    for (int c = 0; c < kChannels; ++c) {
        int highest = -1;
        for (int b = 0; b < kBands; ++b) {
            const float v = bands ? (*bands)[size_t(c)][size_t(b)] : 0.0f;
            // A negative or broken magnitude is silence.
            const float l = (std::isfinite(v) && v > 0) ? std::log1p(kGain * v) : 0.0f;
            levels_[idx(c, b)] = l;
            float& d = drawn_[idx(c, b)];
            const float before = d;
            d = l > d ? l : std::max(l, d - fall);
            moved |= d != before;
            if (d > kShownLevel) highest = b;
        }
        highest_[size_t(c)] = highest;
    }
    return moved;
}

bool SpectrumDisplay::contains(const DisplayView& v, int px, int py) const {
    const float s = v.pixelScale() * placement_.size;
    const float x = s * float(px - v.halfWidth), y = s * float(v.halfHeight - py);
    return x >= placement_.x && x <= placement_.x + width() && y >= placement_.y && y <= placement_.y + height();
}

void SpectrumDisplay::move(const DisplayView& v, int dx, int dy) {
    const float s = v.pixelScale() * placement_.size;
    placement_.x = std::clamp(placement_.x + float(dx) * s, -limitX(v), limitX(v));
    placement_.y = std::clamp(placement_.y - float(dy) * s, -limitY(v), limitY(v));
}

void SpectrumDisplay::resize(const DisplayView& v, int dx, int dy) {
    // As far for the same stretch of the screen on a scaled desktop.
    placement_.size = std::clamp(placement_.size + float(dy) / v.pixelRatio, kMinSize, kMaxSize);
    float& p = placement_.params[kColourParam];
    p = std::fmod(p + kParamPerPixel * float(dx) / v.pixelRatio, 1000.0f);
    // A nearer display has nearer edges.
    placement_.x = std::clamp(placement_.x, -limitX(v), limitX(v));
    placement_.y = std::clamp(placement_.y, -limitY(v), limitY(v));
}

void SpectrumDisplay::sanitise(const DisplayView& v) {
    const DisplayPlacement d;
    DisplayPlacement& p = placement_;
    auto positive = [](float value, float fallback) {
        return std::isfinite(value) && value > 0 && value <= 1000.0f ? value : fallback;
    };
    p.scale = positive(p.scale, d.scale);
    p.widthFactor = positive(p.widthFactor, d.widthFactor);
    p.heightFactor = positive(p.heightFactor, d.heightFactor);
    p.size = std::clamp(finiteOr(p.size, d.size), kMinSize, kMaxSize);
    p.x = std::clamp(finiteOr(p.x, d.x), -limitX(v), limitX(v));
    p.y = std::clamp(finiteOr(p.y, d.y), -limitY(v), limitY(v));
    for (size_t i = 0; i < p.params.size(); ++i) p.params[i] = std::clamp(finiteOr(p.params[i], d.params[i]), -1000.0f, 1000.0f);
}

gfx::Color SpectrumDisplay::barColour(int band, float alpha) const {
    // Low bands warm, high bands cool; the phase turns the whole range.
    float h = 0.02f + 0.6f * float(band) / float(kBands) + 0.01f * placement_.params[kColourParam];
    h -= std::floor(h);
    const float f = h * 6.0f;
    const int sector = int(f) % 6;
    const float t = f - std::floor(f);
    float r = 0, g = 0, b = 0;
    switch (sector) {
        case 0: r = 1, g = t; break;
        case 1: r = 1 - t, g = 1; break;
        case 2: g = 1, b = t; break;
        case 3: g = 1 - t, b = 1; break;
        case 4: r = t, b = 1; break;
        default: r = 1, b = 1 - t; break;
    }
    auto byte = [](float x) { return uint32_t(std::lround(std::clamp(x, 0.0f, 1.0f) * 255.0f)); };
    return byte(alpha) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

void SpectrumDisplay::draw(gfx::Device& device) {
    const float w = width(), h = height();
    const auto& p = placement_.params;
    const float opacity = std::clamp(p[2], 0.0f, 1.0f) * 0.88f;
    std::vector<Vertex>& v = vertices_;
    v.clear();
    v.reserve(size_t(kMaxQuads) * 4);
    if (const float bg = std::clamp(p[4], 0.0f, 1.0f) * 0.6f; bg > 0) {
        const gfx::Color c = uint32_t(std::lround(bg * 255.0f)) << 24;
        quad(v, 0, 0, w, h, c, c);
    }
    // The channels side by side, the left one first.
    const float channelWidth = w * 0.48f, pitch = channelWidth / float(kBands);
    const float cap = std::clamp(p[1], 0.0f, 1.0f) * h;
    for (int c = 0; c < kChannels; ++c) {
        const float x0 = float(c) * w * 0.52f;
        for (int b = 0; b <= highest_[size_t(c)]; ++b) {
            const float l = drawn_[idx(c, b)];
            if (l <= kShownLevel) continue;
            const float top = h * std::clamp(p[0] * l / kFullLevel, 0.0f, 1.0f);
            const float left = x0 + float(b) * pitch, right = left + pitch * 0.8f;
            const gfx::Color colour = barColour(b, opacity);
            quad(v, left, 0, right, top, colour, colour & 0x40FFFFFF);
            if (cap > 0) quad(v, left, top, right, top + cap, 0xF0FFFFFF, 0xF0FFFFFF);
        }
    }
    if (v.empty()) return;
    gfx::OverlayStateGuard guard(device);
    auto inverse = math::matrixInverse(device.transform(gfx::TransformType::View));
    const math::Matrix inverseView = inverse ? *inverse : math::Matrix::identity();
    device.setTransform(gfx::TransformType::World,
                        math::matrixTranslation(placement_.x, placement_.y, placement_.size) * inverseView);
    device.setRenderState(gfx::RenderState::ZEnable, 0);
    device.setRenderState(gfx::RenderState::CullMode, gfx::kCullNone);
    device.setRenderState(gfx::RenderState::AlphaBlendEnable, 1);
    device.setRenderState(gfx::RenderState::SrcBlend, gfx::kBlendSrcAlpha);
    device.setRenderState(gfx::RenderState::DestBlend, gfx::kBlendInvSrcAlpha);
    device.setTexture(0, nullptr);
    device.setVertexShader(gfx::kFvfPosDiffuseTex1);
    const uint32_t quads = uint32_t(v.size() / 4);
    device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, uint32_t(v.size()), 2 * quads,
                                  indexTable().data(), v.data(), sizeof(Vertex));
}

}  // namespace tnx::soundvis
