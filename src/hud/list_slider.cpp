#include "hud/list_slider.h"

#include <algorithm>
#include <cmath>

#include "platform/io/byte_io.h"

namespace tnx::hud {

namespace {
// The knob is 0.8 x 1.2 of the track's thickness on both sides.
constexpr float kKnobScale = 0.8f * 1.2f;
}  // namespace

ListSlider::ListSlider() : knob_(std::make_unique<HudElement>(0)) {}

ListSlider::~ListSlider() = default;

void ListSlider::build(float width, float height, HudRoot* root, std::string_view label) {
    const float weight = 1.0f;
    init(width, height, 1, 1, 16, std::span<const float>(&weight, 1));
    knobSize_ = kKnobScale * std::min(width_, height_);
    knob_->attach(root);
    knob_->init(HudElement::kNoTexture, knobSize_, knobSize_, 0, 0, kKnobFace, kKnobFrame, kKnobText);
    setText(label);
    setValue(value_);
}

int ListSlider::positions() const {
    if (!linked_ || !linked_->source()) return 0;
    return std::max(linked_->rowCount() - linked_->visibleRows() + 2, 0);
}

void ListSlider::setValue(float v) { value_ = std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 0.0f; }

void ListSlider::dragBy(float distance) {
    const float length = vertical() ? height_ : width_;
    if (!std::isfinite(distance) || length <= 0) return;
    const int N = positions();
    if (linked_ && N <= 0) {
        value_ = 0;
        return;
    }
    const float old = value_;
    setValue(value_ + distance / length);
    if (linked_) linked_->scroll(float(N) * (value_ - old) * 100.0f, true);
}

void ListSlider::syncFromDisplay() {
    const int N = positions();
    value_ = N > 0 ? std::clamp(float(linked_->firstRow()) / float(N), 0.0f, 1.0f) : 0.0f;
}

float ListSlider::knobX() const {
    return ox_ + (vertical() ? (width_ - knobSize_) / 2 : (width_ - knobSize_) * value_);
}

float ListSlider::knobY() const {
    return oy_ - (vertical() ? (height_ - knobSize_) * value_ : (height_ - knobSize_) / 2);
}

float ListSlider::valueAt(float x, float y) const {
    const float travel = (vertical() ? height_ : width_) - knobSize_;
    if (travel <= 0) return 0;
    const float along = vertical() ? (oy_ - y) - knobSize_ / 2 : (x - ox_) - knobSize_ / 2;
    return std::clamp(along / travel, 0.0f, 1.0f);
}

int ListSlider::pickKnob(float x, float y) const {
    const float centre = vertical() ? knobY() - knobSize_ / 2 : knobX() + knobSize_ / 2;
    // Along the track: "before" is above a vertical knob, left of a horizontal one.
    const float d = vertical() ? centre - y : x - centre;
    if (std::fabs(d) <= kOnKnob * knobSize_) return 0;
    return d < 0 ? -1 : 1;
}

void ListSlider::page(int direction) {
    if (!linked_ || direction == 0) return;
    const int rows = std::max(linked_->visibleRows() - 2, 1);
    linked_->scroll(float(direction * rows) * 100.0f, true);
    syncFromDisplay();
}

std::array<uint32_t*, 3> ListSlider::knobColourLocations() {
    auto c = knob_->colourLocations();
    return {c[0], c[1], c[3]};
}

void ListSlider::drawKnob(gfx::Device& device, float seconds, float px, float py, float pz) {
    knob_->placeAt(px + knobX(), py + knobY(), pz + oz_);
    knob_->draw(device, seconds);
}

size_t ListSlider::writeRecord(std::vector<uint8_t>& out) {
    settings::RecordWriter w(out, kRecordName);
    for (uint32_t c : colours_) w.data().u32(c);
    for (uint32_t c : {knob_->faceTop(), knob_->faceBottom(), knob_->textColour(), knob_->frameColour()})
        w.data().u32(c);
    return w.finish();
}

int ListSlider::readRecord(std::span<const uint8_t> record) {
    settings::RecordView view;
    const int opened = settings::openRecord(record, kRecordName, view);
    if (opened != settings::kRecordApplied) return opened;
    if (view.body.size() != colours_.size() * 4 + 16) return settings::kRecordNotMine;
    io::ByteReader r(view.body);
    for (uint32_t& c : colours_) c = r.u32();
    for (uint32_t* c : knob_->colourLocations()) *c = r.u32();
    knob_->buildFrame();
    recolour();
    return settings::kRecordApplied;
}

}  // namespace tnx::hud
