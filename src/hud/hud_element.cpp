#include "hud/hud_element.h"

#include <algorithm>
#include <cmath>

#include "hud/hud_root.h"
#include "platform/io/byte_io.h"

namespace tnx::hud {

namespace {
constexpr float kSnap = 0.0001f;
constexpr float kMaxSize = 100.0f;  // larger than the view at any depth

bool finite(std::initializer_list<float> values) {
    for (float v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

// Moves a coordinate toward its target; true once it has arrived.
bool approach(float& value, float target, float rate) {
    value += (target - value) * rate;
    if (std::fabs(target - value) < kSnap) {
        value = target;
        return true;
    }
    return false;
}

// A strip of four vertices in the shared quad pattern (top-left, bottom-left,
// top-right, bottom-right) with a colour per vertex.
void strip(HudVertex* v, const float (&pos)[4][2], float z, const gfx::Color (&colour)[4]) {
    for (int i = 0; i < 4; ++i) {
        v[i].x = pos[i][0];
        v[i].y = pos[i][1];
        v[i].z = z;
        v[i].diffuse = colour[i];
        v[i].u = v[i].v = 0;
    }
}
}  // namespace

HudElement::HudElement(int32_t id) : id_(id) {}

HudElement::~HudElement() = default;

void HudElement::init(int32_t textureMode, float width, float height, float frameArgument, int32_t glyphCapacity,
                      gfx::Color faceColour, gfx::Color frameColour, gfx::Color textColour) {
    textureMode_ = textureMode;
    width_ = width;
    height_ = height;
    frameArgument_ = frameArgument;
    faceTop_ = faceBottom_ = faceColour;
    frameColour_ = frameColour;
    textColour_ = textColour;
    glyphCapacity_ = std::clamp(glyphCapacity, 0, kMaxGlyphs);
    flags_ = kShown | kEnabled;
    animating_ = 1;
    vertices_.assign(size_t(kFrameVertices + 4 * glyphCapacity_), HudVertex{});
    glyphVertexCount_ = 0;
    buildFrame();
}

std::span<const HudVertex> HudElement::glyphVertices() const {
    if (vertices_.size() < size_t(kFrameVertices)) return {};
    return {vertices_.data() + kFrameVertices, size_t(glyphVertexCount_)};
}

void HudElement::quadGeometry(HudVertex* v, float x0, float y0, float x1, float y1, float z, gfx::Color top,
                              gfx::Color bottom) const {
    const float pos[4][2] = {{x0, y0}, {x0, y1}, {x1, y0}, {x1, y1}};
    const gfx::Color colour[4] = {top, bottom, top, bottom};
    strip(v, pos, z, colour);
    v[0].u = 0, v[0].v = 0;
    v[1].u = 0, v[1].v = 1;
    v[2].u = 1, v[2].v = 0;
    v[3].u = 1, v[3].v = 1;
}

void HudElement::buildFrame() {
    if (vertices_.size() < size_t(kFrameVertices)) return;
    const float w = width_, h = height_, b = frameWidth(), d = frameDepth();
    const gfx::Color in = frameColour_, out = kFrameOuterColour;
    HudVertex* v = vertices_.data();
    // Four strips from the face's edge outwards, behind the face; the face
    // comes last so it covers where the strips meet it.
    strip(v + 0, {{-b, b}, {0, 0}, {w + b, b}, {w, 0}}, d, {out, in, out, in});
    strip(v + 4, {{0, -h}, {-b, -h - b}, {w, -h}, {w + b, -h - b}}, d, {in, out, in, out});
    strip(v + 8, {{-b, b}, {-b, -h - b}, {0, 0}, {0, -h}}, d, {out, out, in, in});
    strip(v + 12, {{w, 0}, {w, -h}, {w + b, b}, {w + b, -h - b}}, d, {in, in, out, out});
    quadGeometry(v + 16, 0, 0, w, -h, 0, faceTop_, faceBottom_);
    HudVertex* g = glyphStore();
    if (textureMode_ == kButtonImage) {
        for (int q = 0; q < glyphVertexCount_ / 4; ++q) {
            HudVertex* t = g + 4 * q;
            const float x0 = float(q) * w, x1 = x0 + w;
            t[0].x = x0, t[0].y = 0;
            t[1].x = x0, t[1].y = -h;
            t[2].x = x1, t[2].y = 0;
            t[3].x = x1, t[3].y = -h;
        }
    }
    for (int i = 0; i < glyphVertexCount_; ++i) {
        g[i].diffuse = textColour_;
        g[i].z = 0;
    }
}

void HudElement::setFaceColour(gfx::Color colour) {
    if (vertices_.size() < size_t(kFrameVertices)) return;
    for (int i = 16; i < 20; ++i) vertices_[size_t(i)].diffuse = colour;
}

void HudElement::setTile(int column, int row) {
    if (glyphCapacity_ < 1) return;
    HudVertex* t = glyphStore();
    const float u0 = float(column) / 4, v0 = float(row) / 4;
    quadGeometry(t, 0, 0, width_, -height_, 0, textColour_, textColour_);
    t[0].u = u0, t[0].v = v0;
    t[1].u = u0, t[1].v = v0 + 0.25f;
    t[2].u = u0 + 0.25f, t[2].v = v0;
    t[3].u = u0 + 0.25f, t[3].v = v0 + 0.25f;
    glyphVertexCount_ = 4;
    animating_ = 1;
}

void HudElement::placeAt(float x, float y, float depth) {
    x_ = tx_ = x;
    y_ = ty_ = y;
    z_ = tz_ = depth;
}

void HudElement::setTarget(float x, float y, float depth) {
    tx_ = x;
    ty_ = y;
    tz_ = depth;
    animating_ = 1;
}

void HudElement::show(int mode) {
    if (mode == 0) flags_ &= ~kShown;
    else if (mode == 1) flags_ |= kShown;
    else if (mode == 2) flags_ ^= kShown;
    animating_ = 1;
}

// --- mouse ---------------------------------------------------------------------

bool HudElement::mouse(const win::Message& m) {
    switch (m.id) {
        case win::kWmMouseMove: {
            const camera::MouseStateTracker* t = root_ ? &root_->tracker() : nullptr;
            if (!t) return false;
            const bool dragging = (t->buttons() & (camera::MouseStateTracker::kLeftMoved |
                                                   camera::MouseStateTracker::kRightMoved)) != 0;
            if (!dragging) return false;
            const bool left = (m.wParam & win::kMkLButton) != 0, right = (m.wParam & win::kMkRButton) != 0;
            if (left && right) dragBoth(t->dx(), t->dy());
            else if (right) dragRight(t->dx(), t->dy());
            else if (left) dragLeft(t->dx(), t->dy());
            else return false;
            return true;
        }
        // A button going down keeps the mouse too: a quick first move that
        // leaves the element at once still drags it instead of the globe.
        case win::kWmLButtonDown: leftButtonDown(); return true;
        case win::kWmLButtonUp: leftButtonUp(); return false;
        case win::kWmRButtonDown: rightButtonDown(); return true;
        case win::kWmRButtonUp: rightButtonUp(); return false;
        case win::kWmMouseWheel: wheel(); return false;
        default: return false;
    }
}

void HudElement::leftButtonUp() {
    if (!(flags_ & (kLeftDragged | kRightDragged))) flags_ ^= kToggled;
    animating_ = 1;
    flags_ &= ~(kLeftDown | kLeftDragged);
}

void HudElement::rightButtonUp() {
    if (!(flags_ & (kLeftDragged | kRightDragged)) && root_) {
        auto colours = colourLocations();
        root_->openColourEditor(colours, this);
    }
    flags_ &= ~(kRightDown | kRightDragged);
    animating_ = 1;
}

void HudElement::leftButtonDown() {
    flags_ |= kLeftDown;
    animating_ = 0;
    z_ += 0.001f;
}

void HudElement::rightButtonDown() {
    flags_ |= kRightDown;
    animating_ = 0;
    z_ += 0.001f;
}

void HudElement::moveByPixels(int dx, int dy) {
    const float s = root_ ? root_->pixelScale() : 0.0f;
    x_ += float(dx) * s * z_;
    y_ -= float(dy) * s * z_;
    tx_ = x_;
    ty_ = y_;
    if (root_) keepInView(root_->halfExtentX(), root_->halfExtentY());
}

void HudElement::dragLeft(int dx, int dy) {
    flags_ |= kLeftDragged;
    moveByPixels(dx, dy);
}

void HudElement::dragRight(int dx, int dy) {
    flags_ |= kRightDragged;
    moveByPixels(dx, dy);
}

void HudElement::dragBoth(int, int dy) {
    flags_ |= kLeftDragged | kRightDragged;
    const float ratio = root_ ? root_->pixelRatio() : 1.0f;
    z_ = std::clamp(z_ - float(dy) / ratio * depthPerPixel(), minDepth(), maxDepth());
    tz_ = z_;
    if (root_) keepInView(root_->halfExtentX(), root_->halfExtentY());
}

// --- placement --------------------------------------------------------------

void HudElement::keepInView(float X, float Y) {
    const float z = tz_;
    tx_ = std::max(-X * z, std::min(tx_, X * z - width_));
    ty_ = std::min(Y * z, std::max(ty_, height_ - Y * z));
    animating_ = 1;
}

void HudElement::animate(float step) {
    const bool ax = approach(x_, tx_, 3 * step);
    const bool ay = approach(y_, ty_, 3 * step);
    const bool az = approach(z_, tz_, 0.3f);
    if (ax && ay && az) animating_ = 0;
}

bool HudElement::hitTest(float mx, float my) {
    if (!HudRoot::hudShown() || !visible()) {
        flags_ &= ~kHover;
        return false;
    }
    const float px = mx * z_, py = my * z_;
    const bool inside = x_ < px && px < x_ + width_ && y_ - height_ < py && py < y_;
    if (inside) flags_ |= kHover;
    else flags_ &= ~kHover;
    return inside;
}

// --- text ---------------------------------------------------------------------

int HudElement::layoutLine(std::string_view text, int first, int room, float height, float& width) {
    width = 0;
    const text::TextureFont* font = root_ ? root_->font() : nullptr;
    if (!font || room <= 0) return 0;
    int count = room;
    HudVertex* g = glyphStore() + 4 * first;
    font->makeQuads(0, 0, height, text, count, g);
    if (count > 0) width = g[4 * (count - 1) + 2].x;
    return count;
}

void HudElement::shiftGlyphs(int first, int count, float dx, float dy, float scaleX) {
    HudVertex* g = glyphStore() + 4 * first;
    for (int i = 0; i < 4 * count; ++i) {
        g[i].x = g[i].x * scaleX + dx;
        g[i].y += dy;
    }
}

void HudElement::finishGlyphs(int count) {
    glyphVertexCount_ = 4 * count;
    HudVertex* g = glyphStore();
    for (int i = 0; i < glyphVertexCount_; ++i) {
        g[i].z = 0;
        g[i].diffuse = textColour_;
    }
    animating_ = 1;
}

void HudElement::setText(std::string_view text, uint32_t options) {
    text_.assign(text.data(), text.size());
    textOptions_ = options;
    if (vertices_.size() < size_t(kFrameVertices)) return;
    const int lines = int(options & 0xFF);
    const float w = width_, h = height_;
    if (lines == 0) {
        float tw = 0;
        const int n = layoutLine(text, 0, glyphCapacity_, h, tw);
        if (tw <= w) {
            shiftGlyphs(0, n, (w - tw) / 2, 0, 1);
        } else if (tw < 1.8f * w) {
            shiftGlyphs(0, n, 0, 0, w / tw);
        } else {
            // Two lines of half height: the break comes before the glyph
            // preceding the first one that ends past 1.8 widths.
            const HudVertex* g = glyphStore();
            int i = 0;
            while (i < n && g[4 * i + 2].x <= 1.8f * w) ++i;
            const int split = std::max(i - 1, 0);
            const float start = g[4 * split].x;
            HudVertex* v = glyphStore();
            for (int k = 0; k < 4 * n; ++k) {
                const bool second = k >= 4 * split;
                v[k].x = (second ? v[k].x - start : v[k].x) / 1.8f;
                v[k].y = v[k].y / 2 - (second ? h / 2 : 0);
            }
        }
        finishGlyphs(n);
        return;
    }
    const float lineHeight = h / float(lines);
    int used = 0;
    size_t pos = 0;
    for (int j = 0; j < lines && used < glyphCapacity_ && pos <= text.size(); ++j) {
        const size_t end = std::min(text.find('\0', pos), text.size());
        float lw = 0;
        const int n = layoutLine(text.substr(pos, end - pos), used, glyphCapacity_ - used, lineHeight, lw);
        const float dy = -float(j) * lineHeight;
        if (lw > w) shiftGlyphs(used, n, 0, dy, w / lw);
        else shiftGlyphs(used, n, (options & kCentreLines) ? (w - lw) / 2 : 0, dy, 1);
        used += n;
        pos = end + 1;
    }
    finishGlyphs(used);
}

// --- drawing --------------------------------------------------------------------

void HudElement::bindTexture(gfx::Device& device, int32_t mode) {
    gfx::Texture* t = nullptr;
    if (root_ && mode == kFontTexture) t = root_->fontTexture();
    else if (root_ && mode == kButtonImage) t = root_->buttonTexture();
    device.setTexture(0, t);
}

void HudElement::drawGeometry(gfx::Device& device) {
    if (!root_ || vertices_.size() < size_t(kFrameVertices)) return;
    const uint16_t* indices = root_->indexTable();
    device.setTexture(0, nullptr);
    device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, kFrameVertices, kFrameTriangles, indices,
                                  vertices_.data(), sizeof(HudVertex));
}

void HudElement::drawGlow(gfx::Device& device, float seconds) {
    const bool over = (flags_ & kHover) != 0;
    if (over) glow_ = std::min(kMaxGlow, glow_ + int32_t(30000.0f * seconds));
    else glow_ = std::max(0, glow_ - int32_t(9000.0f * seconds));
    if (glow_ <= 0 && !over) return;
    if (!root_) return;
    const float g = std::clamp(0.01f * height_, 0.05f, 1.0f);
    const float r = g * float(glow_) * 0.0002f;
    const float w = width_, h = height_;
    const gfx::Color in = (flags_ & (kLeftDown | kRightDown)) ? kGlowPressedColour : kGlowColour;
    const gfx::Color out = kGlowOuterColour;
    HudVertex v[16];
    strip(v + 0, {{-r, r}, {0, 0}, {w + r, r}, {w, 0}}, 0, {out, in, out, in});
    strip(v + 4, {{0, -h}, {-r, -h - r}, {w, -h}, {w + r, -h - r}}, 0, {in, out, in, out});
    strip(v + 8, {{-r, r}, {-r, -h - r}, {0, 0}, {0, -h}}, 0, {out, out, in, in});
    strip(v + 12, {{w, 0}, {w, -h}, {w + r, r}, {w + r, -h - r}}, 0, {in, in, out, out});
    device.setTexture(0, nullptr);
    device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, 16, 8, root_->indexTable(), v,
                                  sizeof(HudVertex));
}

bool HudElement::addCoverage(float pixelScale, int halfWidth, int halfHeight, app::OverlayArea& area) const {
    if (pixelScale <= 0) return false;
    // The extent around the element's origin, with the depth of its nearest
    // vertex: nearer is larger on screen, so that depth bounds every vertex.
    float x0 = 0, x1 = width_, y0 = -height_, y1 = 0, nearest = 0;
    auto take = [&](std::span<const HudVertex> vs) {
        for (const HudVertex& v : vs) {
            x0 = std::min(x0, v.x), x1 = std::max(x1, v.x);
            y0 = std::min(y0, v.y), y1 = std::max(y1, v.y);
            nearest = std::min(nearest, v.z);
        }
    };
    if (vertices_.size() >= size_t(kFrameVertices)) take(frameVertices());
    take(glyphVertices());
    // The glow reaches this far out (see drawGlow), growing while hovered.
    const float glow = std::clamp(0.01f * height_, 0.05f, 1.0f) * float(kMaxGlow) * 0.0002f;
    x0 -= glow, x1 += glow, y0 -= glow, y1 += glow;
    const float at[2][3] = {{x_, y_, z_}, {tx_, ty_, tz_}};
    for (const auto& p : at) {
        const float px = p[0], py = p[1], depth = std::max(0.01f, p[2] + nearest);
        const float k = 1.0f / (depth * pixelScale);
        // Two pixels more for the rasteriser's rounding and filtering.
        area.add(int(std::floor(float(halfWidth) + (px + x0) * k)) - 2,
                 int(std::floor(float(halfHeight) - (py + y1) * k)) - 2,
                 int(std::ceil(float(halfWidth) + (px + x1) * k)) + 2,
                 int(std::ceil(float(halfHeight) - (py + y0) * k)) + 2);
    }
    return true;
}

void HudElement::draw(gfx::Device& device, float seconds) {
    if (!visible() || !root_) return;
    device.setTransform(gfx::TransformType::World, math::matrixTranslation(x_, y_, z_) * root_->inverseView());
    drawGeometry(device);
    if ((flags_ & kHover) || glow_ > 0) drawGlow(device, seconds);
    const int quads = std::min(glyphVertexCount_ / 4, kMaxGlyphs);
    if (quads > 0) {
        bindTexture(device, textureMode_);
        device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, uint32_t(4 * quads), uint32_t(2 * quads),
                                      root_->indexTable(), glyphStore(), sizeof(HudVertex));
    }
}

// --- record ---------------------------------------------------------------------

size_t HudElement::writeRecord(std::vector<uint8_t>& out) {
    settings::RecordWriter w(out, kRecordName);
    io::ByteWriter& d = w.data();
    d.u32(0);
    d.i32(textureMode_);
    d.u32(flags_);
    d.i32(glow_);
    for (float f : {x_, y_, z_, tx_, ty_, tz_, width_, height_}) d.f32(f);
    d.i32(animating_);
    d.i32(id_);
    d.i32(ownerData_);
    d.u32(faceTop_);
    d.u32(faceBottom_);
    d.u32(textColour_);
    d.u32(frameColour_);
    d.i32(0);
    d.i32(kFrameVertices);
    d.i32(kFrameTriangles);
    d.i32(glyphVertexCount_);
    d.i32(glyphCapacity_ * 4);
    d.zeros(12);  // where the vertex store and the root are referenced at run time
    return w.finish();
}

int HudElement::readRecord(std::span<const uint8_t> record) {
    settings::RecordView view;
    const int opened = settings::openRecord(record, kRecordName, view);
    if (opened != settings::kRecordApplied) return opened;
    // A list or bar record passes the name test; its size tells it apart.
    if (view.body.size() != kRecordFixedSize) return settings::kRecordNotMine;
    io::ByteReader r(view.body);
    r.skip(4);
    const int32_t mode = r.i32();
    const uint32_t flags = r.u32();
    const int32_t glow = r.i32();
    r.skip(12);  // the current position follows the target
    const float tx = r.f32(), ty = r.f32(), tz = r.f32();
    const float w = r.f32(), h = r.f32();
    r.skip(4);
    const int32_t id = r.i32();
    const int32_t owner = r.i32();
    const uint32_t faceTop = r.u32(), faceBottom = r.u32(), text = r.u32(), frame = r.u32();
    if (!r.ok() || id != id_) return settings::kRecordNotMine;
    // Damaged values leave the element as it was made.
    if (mode != textureMode_ || !finite({tx, ty, tz, w, h}) || w <= 0 || h <= 0 || w > kMaxSize || h > kMaxSize ||
        tz <= 0)
        return settings::kRecordNotMine;
    const bool resized = w != width_ || h != height_;
    glow_ = std::clamp(glow, 0, kMaxGlow);
    width_ = w;
    height_ = h;
    ownerData_ = owner;
    faceTop_ = faceTop;
    faceBottom_ = faceBottom;
    textColour_ = text;
    frameColour_ = frame;
    flags_ = (flags & kToggled) | kShown | kEnabled;
    placeAt(tx, ty, std::clamp(tz, minDepth(), maxDepth()));
    animating_ = 1;
    if (resized && textureMode_ == kFontTexture && glyphVertexCount_ > 0) setText(std::string(text_), textOptions_);
    buildFrame();
    return settings::kRecordApplied;
}

}  // namespace tnx::hud
