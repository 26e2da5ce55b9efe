#include "geodata/distance_tool.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tnx::geodata {

using math::Matrix;
using math::Vec3;

namespace {

struct DVec {
    double x = 0, y = 0, z = 0;
    DVec operator+(const DVec& o) const { return {x + o.x, y + o.y, z + o.z}; }
    DVec operator-(const DVec& o) const { return {x - o.x, y - o.y, z - o.z}; }
    DVec operator*(double s) const { return {x * s, y * s, z * s}; }
};
double dot(const DVec& a, const DVec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
DVec cross(const DVec& a, const DVec& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double norm(const DVec& v) { return std::sqrt(dot(v, v)); }

DVec direction(double longitude, double latitude) {
    return {std::cos(longitude) * std::cos(latitude), std::sin(latitude), std::sin(longitude) * std::cos(latitude)};
}

// The unit normal of the plane through the centre, a and b. Coinciding or
// antipodal ends leave that plane open: any great circle through a will do.
DVec arcAxis(const DVec& a, const DVec& b) {
    DVec c = cross(a, b);
    double s = norm(c);
    if (s > 1e-12) return c * (1.0 / s);
    DVec other = std::fabs(a.y) < 0.9 ? DVec{0, 1, 0} : DVec{1, 0, 0};
    c = cross(a, other);
    return c * (1.0 / norm(c));
}

constexpr float kLabelShadowOffset = 0.22f;  // a tenth of the glyph height

}  // namespace

DistanceTool::DistanceTool(float globeRadius, const text::TextureFont* font)
    : radius_(globeRadius), font_(font), measurements_(std::make_unique<std::array<DistanceMeasurement, kCapacity>>()) {
    // Quad k of a strip: (2k, 2k+1, 2k+3) and (2k, 2k+3, 2k+2); label quads
    // follow the font's layout, four vertices a character.
    for (int k = 0; k < kMaxSteps; ++k) {
        const auto b = uint16_t(2 * k);
        const uint16_t quad[6] = {b, uint16_t(b + 1), uint16_t(b + 3), b, uint16_t(b + 3), uint16_t(b + 2)};
        std::copy(quad, quad + 6, ribbonIndices_.begin() + 6 * k);
    }
    for (int k = 0; k < DistanceMeasurement::kLabelCharacters; ++k) {
        const auto b = uint16_t(4 * k);
        const uint16_t quad[6] = {b, uint16_t(b + 1), uint16_t(b + 3), b, uint16_t(b + 3), uint16_t(b + 2)};
        std::copy(quad, quad + 6, labelIndices_.begin() + 6 * k);
    }
}

DistanceTool::~DistanceTool() = default;

void DistanceTool::addPoint(float longitude, float latitude) {
    if (state_ == kWaitingFirst) {
        int index = count_ < kCapacity ? count_++ : kCapacity - 1;
        DistanceMeasurement& m = (*measurements_)[size_t(index)];
        m.startLongitude = m.endLongitude = longitude;
        m.startLatitude = m.endLatitude = latitude;
        state_ = kWaitingSecond;
        compute(index);
        return;
    }
    DistanceMeasurement& m = (*measurements_)[size_t(count_ - 1)];
    m.endLongitude = longitude;
    m.endLatitude = latitude;
    compute(count_ - 1);
    state_ = kWaitingFirst;
}

bool DistanceTool::cancelPendingPoint() {
    if (state_ != kWaitingSecond) return false;
    --count_;
    state_ = kWaitingFirst;
    return true;
}

void DistanceTool::clear() {
    count_ = 0;
    state_ = kWaitingFirst;
}

void DistanceTool::setMetric(bool metric) {
    if (metric == metric_) return;
    metric_ = metric;
    recomputeAll();
}

void DistanceTool::recomputeAll() {
    for (int i = 0; i < count_; ++i) compute(i);
}

double DistanceTool::ellipsoidArcKm(double lon1, double lat1, double lon2, double lat2, int steps,
                                    double elevation1Km, double elevation2Km) {
    // Geographic latitude to the direction of the point on the ellipsoid:
    // tan(geocentric) = (b/a)^2 tan(geographic). Taking the geographic
    // latitude as the direction instead reads north-south distances up to
    // 0.7 % wrong.
    const double flattening = kInvASquared / kInvBSquared;  // (b/a)^2
    auto onEllipsoid = [&](double lon, double lat) {
        return direction(lon, std::atan2(flattening * std::sin(lat), std::cos(lat)));
    };
    const DVec a = onEllipsoid(lon1, lat1), b = onEllipsoid(lon2, lat2);
    const DVec n = arcAxis(a, b);
    const DVec t = cross(n, a);
    const double theta = std::atan2(norm(cross(a, b)), dot(a, b));
    steps = std::max(steps, 1);
    const double step = theta / steps;
    double sum = 0;
    for (int k = 1; k <= steps; ++k) {
        const double angle = k * step;
        const DVec d = a * std::cos(angle) + t * std::sin(angle);
        const double equatorial = d.x * d.x + d.z * d.z, polar = d.y * d.y;
        const double rho = 1.0 / std::sqrt(equatorial * kInvASquared + polar * kInvBSquared);
        const double elevation = elevation1Km + k * (elevation2Km - elevation1Km) / steps;
        sum += (elevation + rho) * step;
    }
    return sum;
}

void DistanceTool::compute(int index) {
    if (index < 0 || index >= count_) return;
    DistanceMeasurement& m = (*measurements_)[size_t(index)];
    const double R = radius_;
    const DVec a = direction(m.startLongitude, m.startLatitude);
    const DVec b = direction(m.endLongitude, m.endLatitude);
    const double theta = 2.0 * std::asin(std::min(1.0, norm(b - a) * 0.5));
    const DVec n = arcAxis(a, b);
    const DVec t = cross(n, a);

    // Arcs a hair short of a whole number of steps (float ends) count it.
    const int K = std::clamp(int(theta / (3.14159265358979323846 / 78) + 1e-5), 0, kMaxSteps - 1);
    const int steps = K + 1;
    auto height = [](const std::function<float(float, float)>& f, float lon, float lat) {
        return f ? f(lon, lat) : 0.0f;
    };
    m.startHeight = height(heights_.scaled, m.startLongitude, m.startLatitude);
    m.endHeight = height(heights_.scaled, m.endLongitude, m.endLatitude);
    const double eA = 0.001 * height(heights_.metres, m.startLongitude, m.startLatitude);
    const double eB = 0.001 * height(heights_.metres, m.endLongitude, m.endLatitude);

    m.arcAngle = float(theta);
    m.heightSlope = theta > 0 ? float((m.endHeight - m.startHeight) / theta) : 0.0f;
    m.axis = Vec3{float(n.x), float(n.y), float(n.z)};
    m.ribbonVertexCount = 2 * (K + 2);
    for (int k = 0; k <= steps; ++k) {
        const double angle = k * theta / steps;
        const double r = R + m.startHeight + k * double(m.endHeight - m.startHeight) / steps;
        const auto x = float(std::cos(angle) * r), z = float(std::sin(angle) * r);
        m.ribbon[size_t(2 * k)] = {x, kRibbonHalfWidth, z, kRibbonColour, float(k), 0.0f};
        m.ribbon[size_t(2 * k + 1)] = {x, -kRibbonHalfWidth, z, kRibbonColour, float(k), 1.0f};
    }
    // Local x goes to A, local z along the arc towards B; local y = -n
    // keeps the frame a rotation, so labels read correctly from outside.
    Matrix f;
    f.m[0][0] = float(a.x); f.m[0][1] = float(a.y); f.m[0][2] = float(a.z);
    f.m[1][0] = float(-n.x); f.m[1][1] = float(-n.y); f.m[1][2] = float(-n.z);
    f.m[2][0] = float(t.x); f.m[2][1] = float(t.y); f.m[2][2] = float(t.z);
    m.frame = f;

    m.kilometres = ellipsoidArcKm(m.startLongitude, m.startLatitude, m.endLongitude, m.endLatitude, steps, eA, eB);
    m.labelCount = m.arcAngle < 0.5f ? 1 : m.arcAngle < 1.5f ? 2 : 3;
    makeLabel(m);
}

void DistanceTool::makeLabel(DistanceMeasurement& m) {
    const double value = metric_ ? m.kilometres : m.kilometres * kKmToMiles;
    std::snprintf(m.label.data(), m.label.size(), metric_ ? "%.1fkm" : "%.1fmiles", value);
    m.labelVertexCount = 0;
    m.labelSpacing = kLabelHalfHeight / radius_;
    if (!font_ || !font_->hasGlyphs()) return;
    int chars = DistanceMeasurement::kLabelCharacters;
    font_->makeQuads(0, 0, 1.0f, m.labelText(), chars, m.labelVertices.data());
    // The font lays glyphs out one unit high; the label stretches them to
    // its own height and centres the string on its midpoint.
    const float width = chars > 0 ? m.labelVertices[size_t(4 * chars - 1)].x * kGlyphWidthScale : 0.0f;
    for (int i = 0; i < 4 * chars; ++i) {
        DistanceVertex& v = m.labelVertices[size_t(i)];
        const bool top = i % 4 == 0 || i % 4 == 2;
        v.x = v.x * kGlyphWidthScale - width / 2;
        v.y = top ? kLabelHalfHeight : -kLabelHalfHeight;
        v.z = 0;
        v.diffuse = top ? kLabelTop : kLabelBottom;
    }
    m.labelVertexCount = 4 * chars;
    m.labelSpacing = (width / 2 + kLabelHalfHeight) / radius_;
}

float DistanceTool::widthFactor(float cameraDistance) const {
    return std::clamp((cameraDistance - radius_) / radius_ + 0.01f, 0.01f, 2.0f);
}

int DistanceTool::labelAngles(const DistanceMeasurement& m, float w, std::array<float, 3>& angles) const {
    const float u = w * m.labelSpacing;
    angles = {u, 0, 0};
    if (m.labelCount == 2) angles[1] = m.arcAngle - u;
    if (m.labelCount == 3) {
        angles[1] = m.arcAngle / 2;
        angles[2] = m.arcAngle - u;
    }
    return std::clamp(m.labelCount, 1, 3);
}

void DistanceTool::draw(gfx::Device& device, const DistanceFrame& frame) {
    setMetric(frame.metric);
    if (state_ == kWaitingSecond && frame.pointerOnGlobe) {
        DistanceMeasurement& m = (*measurements_)[size_t(count_ - 1)];
        if (m.endLongitude != frame.pointerLongitude || m.endLatitude != frame.pointerLatitude) {
            m.endLongitude = frame.pointerLongitude;
            m.endLatitude = frame.pointerLatitude;
            compute(count_ - 1);
        }
    }
    if (count_ == 0) return;

    using gfx::RenderState;
    const uint32_t cull = device.renderState(RenderState::CullMode);
    const uint32_t zEnable = device.renderState(RenderState::ZEnable);
    const uint32_t zWrite = device.renderState(RenderState::ZWriteEnable);
    const uint32_t zBias = device.renderState(RenderState::ZBias);
    // Tested against the relief, so arcs behind the globe stay hidden, but
    // not written: labels and ribbons overlap freely.
    device.setRenderState(RenderState::CullMode, gfx::kCullNone);
    device.setRenderState(RenderState::ZEnable, 1);
    device.setRenderState(RenderState::ZWriteEnable, 0);
    device.setRenderState(RenderState::ZBias, 1);
    device.setVertexShader(gfx::kFvfPosDiffuseTex1);
    const float w = widthFactor(frame.cameraDistance);
    const Matrix spin = math::matrixRotationY(-frame.spin);
    for (int i = 0; i < count_; ++i) {
        device.setTexture(0, frame.lineTexture);
        drawMeasurement(device, (*measurements_)[size_t(i)], w, spin);
    }
    device.setTexture(0, frame.lineTexture);
    device.setTransform(gfx::TransformType::World, spin);
    device.setRenderState(RenderState::ZBias, zBias);
    device.setRenderState(RenderState::ZWriteEnable, zWrite);
    device.setRenderState(RenderState::ZEnable, zEnable);
    device.setRenderState(RenderState::CullMode, cull);
}

void DistanceTool::drawMeasurement(gfx::Device& device, const DistanceMeasurement& m, float w, const Matrix& spin) {
    const Matrix placed = m.frame * spin;
    device.setTransform(gfx::TransformType::World, math::matrixScaling(1, w, 1) * placed);
    const uint32_t points = uint32_t(m.ribbonVertexCount / 2);
    if (points >= 2)
        device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, uint32_t(m.ribbonVertexCount),
                                      2 * (points - 1), ribbonIndices_.data(), m.ribbon.data(),
                                      sizeof(DistanceVertex));

    if (m.labelVertexCount <= 0 || !font_ || !font_->texture()) return;
    device.setTexture(0, font_->texture());
    // Text runs from A to B with its top towards local +y (-n); an arc
    // whose +y points south would show it upside down, so it turns round.
    const float turn = m.axis.y > 0 ? -1.0f : 1.0f;
    const int vertices = m.labelVertexCount;
    for (int i = 0; i < vertices; ++i) {
        shadow_[size_t(i)] = m.labelVertices[size_t(i)];
        shadow_[size_t(i)].x += kLabelShadowOffset;
        shadow_[size_t(i)].y -= kLabelShadowOffset;
        shadow_[size_t(i)].diffuse = kShadowColour;
    }
    std::array<float, 3> angles;
    const int labels = labelAngles(m, w, angles);
    for (int k = 0; k < labels; ++k) {
        const float a = angles[size_t(k)];
        const float r = radius_ + m.startHeight + m.heightSlope * a;
        const float c = std::cos(a), s = std::sin(a);
        Matrix local;  // label plane -> arc plane, tangent to the ribbon at angle a
        local.m[0][0] = -s * w * turn; local.m[0][1] = 0;            local.m[0][2] = c * w * turn;
        local.m[1][0] = 0;             local.m[1][1] = w * turn;     local.m[1][2] = 0;
        local.m[2][0] = c;             local.m[2][1] = 0;            local.m[2][2] = s;
        local.m[3][0] = c * r;         local.m[3][1] = 0;            local.m[3][2] = s * r;
        device.setTransform(gfx::TransformType::World, local * placed);
        const auto quads = uint32_t(vertices / 4);
        device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, uint32_t(vertices), 2 * quads,
                                      labelIndices_.data(), shadow_.data(), sizeof(DistanceVertex));
        device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, uint32_t(vertices), 2 * quads,
                                      labelIndices_.data(), m.labelVertices.data(), sizeof(DistanceVertex));
    }
}

size_t DistanceTool::writeRecord(std::vector<uint8_t>& out) {
    settings::RecordWriter w(out, kRecordName);
    io::ByteWriter& d = w.data();
    d.u32(uint32_t(count_));
    for (int i = 0; i < count_; ++i) {
        const DistanceMeasurement& m = (*measurements_)[size_t(i)];
        d.f32(m.startLongitude);
        d.f32(m.startLatitude);
        d.f32(m.endLongitude);
        d.f32(m.endLatitude);
    }
    return w.finish();
}

int DistanceTool::readRecord(std::span<const uint8_t> record) {
    settings::RecordView view;
    int r = settings::openRecord(record, kRecordName, view);
    if (r == settings::kRecordNameDiffers) return r;
    if (r != settings::kRecordApplied) return settings::kRecordNotMine;
    io::ByteReader in(view.body);
    const uint64_t n = in.u32();
    if (!in.ok() || uint64_t(view.storedSize) != kRecordFixedBytes + kEntryBytes * n) return settings::kRecordNotMine;
    clear();
    // Points that are not numbers are dropped; others are taken onto the
    // globe (latitude clamped, longitude wrapped into one turn).
    auto onGlobe = [](float& lon, float& lat) {
        if (!std::isfinite(lon) || !std::isfinite(lat)) return false;
        lat = std::clamp(lat, -math::kPi / 2, math::kPi / 2);
        lon = std::remainder(lon, 2 * math::kPi);
        return true;
    };
    for (uint64_t i = 0; i < n; ++i) {
        float lon1 = in.f32(), lat1 = in.f32(), lon2 = in.f32(), lat2 = in.f32();
        if (!in.ok()) break;
        if (!onGlobe(lon1, lat1) || !onGlobe(lon2, lat2)) continue;
        addPoint(lon1, lat1);
        addPoint(lon2, lat2);
    }
    return settings::kRecordApplied;
}

}  // namespace tnx::geodata
