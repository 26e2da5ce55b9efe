#include "globe/sky/star_field.h"

#include <algorithm>
#include <cmath>

#include "platform/io/byte_io.h"

namespace tnx::globe {

namespace {

constexpr size_t kHeaderBytes = 4;
constexpr size_t kRecordBytes = 6;
constexpr int kTableSize = 65537;
constexpr double kAngleStep = 2 * 3.14159265358979323846 / 65536.0;

// Brightness to sprite size, and the grey ramp of stars drawn at the minimum.
constexpr float kSizePerBrightness = 3193.5483f;
constexpr float kMinimumSizeTimesFocal = 2.4e8f;
constexpr float kGreyScale = 231.81818f;

// Culling spheres: node centres are placed at this distance, with a radius of
// this much per radian of node side.
constexpr float kCullDistance = 200000.0f;
constexpr float kCullRadiusPerRadian = 141400.0f;

constexpr float kStarDistanceFactor = 0.8f;     // stars at 8e7 for a 1e8 sky
constexpr float kBackdropDistanceFactor = 0.9f;  // backdrop at 9e7

// The star catalogue's azimuth is the right ascension. The scene puts a body
// of right ascension alpha at azimuth pi + alpha - (Sun's right ascension)
// (the Sun itself at pi), so the sky is turned half a turn further than the
// Sun's right ascension to keep stars, Sun and Moon in step.
constexpr float kSkyAzimuthOffset = math::kPi;

struct TrigTables {
    float sine[kTableSize];
    float cosine[kTableSize];
    TrigTables() {
        for (int i = 0; i < kTableSize; ++i) {
            sine[i] = float(std::sin(i * kAngleStep));
            cosine[i] = float(std::cos(i * kAngleStep));
        }
    }
};

const TrigTables& trig() {
    static const TrigTables tables;
    return tables;
}

}  // namespace

StarField::StarField(float radius)
    : starDistance_(kStarDistanceFactor * radius), backdrop_(kBackdropDistanceFactor * radius) {
    clear();
}

void StarField::clear() {
    stars_.clear();
    for (int level = 0; level < kLevels; ++level)
        nodes_[level].assign(size_t(levelWidth(level)) * size_t(levelHeight(level)), Node{});
    largestTop_ = 0;
    sprites_.clear();
    spriteCount_ = 0;
}

const StarField::Node& StarField::node(int level, int x, int y) const {
    static const Node kEmpty{};
    if (level < 0 || level >= kLevels || x < 0 || y < 0 || x >= levelWidth(level) || y >= levelHeight(level))
        return kEmpty;
    return nodes_[level][size_t(y) * size_t(levelWidth(level)) + size_t(x)];
}

int StarField::load(std::span<const uint8_t> bytes) {
    clear();
    io::ByteReader reader(bytes);
    int32_t declared = reader.i32();
    if (!reader.ok() || declared <= 0) return 0;
    size_t count = std::min(size_t(declared), reader.remaining() / kRecordBytes);

    std::vector<Star> valid;
    valid.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        Star s;
        s.azimuth = reader.u16();
        s.polar = reader.u16();
        s.brightness = reader.u16();
        if (s.polar < kPolarLimit) valid.push_back(s);
    }

    // Bucket the stars by cell: count, turn counts into starts, scatter.
    std::vector<uint32_t> cellStart(size_t(kColumns * kRows) + 1, 0);
    for (const Star& s : valid) ++cellStart[size_t(cellOf(s.azimuth, s.polar)) + 1];
    for (size_t c = 1; c < cellStart.size(); ++c) cellStart[c] += cellStart[c - 1];
    std::vector<Star> byCell(valid.size());
    std::vector<uint32_t> fill(cellStart.begin(), cellStart.end() - 1);
    for (const Star& s : valid) byCell[fill[size_t(cellOf(s.azimuth, s.polar))]++] = s;

    // Lay the cells out again in quadtree (Z) order inside each top node.
    stars_.reserve(byCell.size());
    for (int row = 0; row < kTopRows; ++row)
        for (int col = 0; col < kTopColumns; ++col) {
            walk(0, col, row, byCell, cellStart);
            largestTop_ = std::max(largestTop_, node(0, col, row).count);
        }
    sprites_.assign(size_t(largestTop_) * 3, SkyVertex{});
    return int(stars_.size());
}

void StarField::walk(int level, int x, int y, const std::vector<Star>& byCell,
                     const std::vector<uint32_t>& cellStart) {
    Node& n = nodes_[level][size_t(y) * size_t(levelWidth(level)) + size_t(x)];
    n.first = uint32_t(stars_.size());
    if (level == kLevels - 1) {
        size_t cell = size_t(x) + size_t(kColumns) * size_t(y);
        stars_.insert(stars_.end(), byCell.begin() + cellStart[cell], byCell.begin() + cellStart[cell + 1]);
    } else {
        int cx = 2 * x, cy = 2 * y;
        walk(level + 1, cx, cy, byCell, cellStart);
        walk(level + 1, cx + 1, cy, byCell, cellStart);
        walk(level + 1, cx, cy + 1, byCell, cellStart);
        walk(level + 1, cx + 1, cy + 1, byCell, cellStart);
    }
    n.count = uint32_t(stars_.size()) - n.first;
}

math::Vec3 StarField::direction(uint16_t azimuth, uint16_t polar) {
    const TrigTables& t = trig();
    float sb = t.sine[polar];
    return {sb * t.cosine[azimuth], -t.cosine[polar], sb * t.sine[azimuth]};
}

float StarField::minimumSize(float focalLength) {
    return kMinimumSizeTimesFocal / std::max(focalLength, 1.0f);
}

uint32_t StarField::spriteColor(float size, float minSize) {
    if (!(size < minSize)) return 0xFFFFFFFF;
    float level = std::trunc((size + 0.1f * minSize) * kGreyScale / minSize);
    uint32_t g = uint32_t(std::clamp(level, 0.0f, 255.0f));
    return 0xFF000000 | (g << 16) | (g << 8) | g;
}

void StarField::buildSprite(const Star& star, float minSize, SkyVertex out[3], float distance) {
    const TrigTables& t = trig();
    float sa = t.sine[star.azimuth], ca = t.cosine[star.azimuth];
    float sb = t.sine[star.polar], cb = t.cosine[star.polar];

    float size = float(star.brightness) * kSizePerBrightness;
    uint32_t color = spriteColor(size, minSize);
    if (size < minSize) size = minSize;

    math::Vec3 centre{distance * sb * ca, -distance * cb, distance * sb * sa};
    math::Vec3 up{cb * ca, sb, cb * sa};
    math::Vec3 east{-sa, 0, ca};
    math::Vec3 down = up * (0.5f * size);
    math::Vec3 side = east * (0.866f * size);
    math::Vec3 p0 = centre - down + side;
    math::Vec3 p1 = centre + up * size;
    math::Vec3 p2 = centre - down - side;
    out[0] = {p0.x, p0.y, p0.z, color, -0.366f, 1.0f};
    out[1] = {p1.x, p1.y, p1.z, color, 0.5f, -0.5f};
    out[2] = {p2.x, p2.y, p2.z, color, 1.366f, 1.0f};
}

void StarField::emitNode(const Node& n, float minSize) {
    for (uint32_t i = 0; i < n.count; ++i) {
        buildSprite(stars_[n.first + i], minSize, &sprites_[size_t(spriteCount_) * 3], starDistance_);
        ++spriteCount_;
    }
}

void StarField::cull(int level, int x, int y, const math::Matrix& world, const SphereTest& inView, float minSize) {
    const Node& n = node(level, x, y);
    if (n.count == 0) return;
    int side = kTopSide >> level;  // cells
    // Centre of the node: the middle of its middle cell for a single cell.
    int azimuth = (2 * x * side + side) * kCellUnits / 2;
    int polar = (2 * y * side + side) * kCellUnits / 2;
    math::Vec3 centre =
        math::transformCoord(direction(uint16_t(azimuth), uint16_t(polar)) * kCullDistance, world);
    float radius = float(side) * (2 * math::kPi / float(kColumns)) * kCullRadiusPerRadian;
    SphereVisibility v = inView(centre, radius);
    if (v == SphereVisibility::Outside) return;
    if (v == SphereVisibility::Inside || level == kLevels - 1) {
        emitNode(n, minSize);
        return;
    }
    cull(level + 1, 2 * x, 2 * y, world, inView, minSize);
    cull(level + 1, 2 * x + 1, 2 * y, world, inView, minSize);
    cull(level + 1, 2 * x, 2 * y + 1, world, inView, minSize);
    cull(level + 1, 2 * x + 1, 2 * y + 1, world, inView, minSize);
}

int StarField::buildTopNode(int column, int row, const math::Matrix& world, const SphereTest& inView,
                            float focalLength) {
    spriteCount_ = 0;
    if (column < 0 || row < 0 || column >= kTopColumns || row >= kTopRows || !inView) return 0;
    cull(0, column, row, world, inView, minimumSize(focalLength));
    return int(spriteCount_);
}

math::Matrix StarField::skyWorld(float skyRotation) {
    return math::matrixRotationY(skyRotation + kSkyAzimuthOffset);
}

void StarField::draw(gfx::Device& device, float skyRotation, const SphereTest& inView, float focalLength) {
    uint32_t oldLighting = device.renderState(gfx::RenderState::Lighting);
    uint32_t oldBlend = device.renderState(gfx::RenderState::AlphaBlendEnable);
    uint32_t oldSrc = device.renderState(gfx::RenderState::SrcBlend);
    uint32_t oldDest = device.renderState(gfx::RenderState::DestBlend);

    device.setRenderState(gfx::RenderState::Lighting, 0);
    device.setVertexShader(gfx::kFvfPosDiffuseTex1);
    math::Matrix base = skyWorld(skyRotation);

    backdrop_.draw(device, base, spaceTexture_);

    device.setRenderState(gfx::RenderState::AlphaBlendEnable, 1);
    device.setRenderState(gfx::RenderState::SrcBlend, gfx::kBlendSrcColor);
    device.setRenderState(gfx::RenderState::DestBlend, gfx::kBlendOne);
    device.setTransform(gfx::TransformType::World, base);
    device.setTexture(0, starTexture_);
    for (int row = 0; row < kTopRows; ++row)
        for (int col = 0; col < kTopColumns; ++col) {
            int n = buildTopNode(col, row, base, inView, focalLength);
            if (n > 0)
                device.drawPrimitiveUP(gfx::PrimitiveType::TriangleList, uint32_t(n), sprites_.data(),
                                       sizeof(SkyVertex));
        }

    device.setRenderState(gfx::RenderState::SrcBlend, oldSrc);
    device.setRenderState(gfx::RenderState::DestBlend, oldDest);
    device.setRenderState(gfx::RenderState::AlphaBlendEnable, oldBlend);
    device.setRenderState(gfx::RenderState::Lighting, oldLighting);
}

}  // namespace tnx::globe
