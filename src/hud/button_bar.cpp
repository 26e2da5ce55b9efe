#include "hud/button_bar.h"

#include <algorithm>
#include <cmath>

#include "core/process_state.h"
#include "hud/hud_root.h"
#include "platform/io/byte_io.h"
#include "platform/win/message_queue.h"
#include "settings/option_block.h"

namespace tnx::hud {

using settings::OptionBlock;
using settings::optionBlock;

namespace {
// Unlit buttons are a dimmer shade of the bar's face, so a lit one shows.
constexpr gfx::Color kButtonFace = 0x90485078;
constexpr float kMaxOffset = 100.0f;

// The option each button shows lit, in button order; -1: none.
constexpr std::array<int, ButtonBar::kButtons> kLitOption = {
    OptionBlock::kCityBrowser, OptionBlock::kCountryBrowser, OptionBlock::kDayNight,
    OptionBlock::kBoundaries,  OptionBlock::kDistanceTool,   OptionBlock::kCountryOverview,
    OptionBlock::kHelpText,    -1,                           OptionBlock::kNorthUpLock};

struct BrowserInfo {
    BrowserKind kind;
    uint32_t command;
    OptionBlock::Field shown, windowForm;
    int button;
};
constexpr std::array<BrowserInfo, 4> kBrowsers = {{
    {BrowserKind::City, ButtonBar::kCmdCityBrowser, OptionBlock::kCityBrowser, OptionBlock::kCityBrowserWindow, 0},
    {BrowserKind::Country, ButtonBar::kCmdCountryBrowser, OptionBlock::kCountryBrowser,
     OptionBlock::kCountryBrowserWindow, 1},
    {BrowserKind::Overview, ButtonBar::kCmdOverview, OptionBlock::kCountryOverview, OptionBlock::kOverviewWindow, 5},
    {BrowserKind::Help, ButtonBar::kCmdHelp, OptionBlock::kHelpText, OptionBlock::kHelpWindow, 6},
}};

const BrowserInfo& browser(BrowserKind k) { return kBrowsers[size_t(int(k) - 1)]; }
}  // namespace

ButtonBar::ButtonBar() : HudElement(kId) {}

ButtonBar::~ButtonBar() = default;

void ButtonBar::init(int32_t textureMode, float width, float height, float frameArgument, int32_t glyphCapacity,
                     gfx::Color faceColour, gfx::Color frameColour, gfx::Color textColour) {
    cellWidth_ = width / kButtons;
    cellHeight_ = height / kButtons;
    gap_ = 0.12f * cellWidth_;
    HudElement::init(textureMode, width, height, frameArgument, glyphCapacity, faceColour, frameColour, textColour);
}

void ButtonBar::build() {
    for (int i = 0; i < kButtons; ++i) {
        auto b = std::make_unique<HudElement>(kId);
        b->attach(root_);
        b->init(textureMode_, 0.88f * cellWidth_, 0.44f * cellHeight_, 0, glyphCapacity_, kButtonFace, frameColour_,
                textColour_);
        b->setText(kLabels[size_t(i)], 1);
        rel_[size_t(i)] = {0, -float(i) * cellWidth_};
        buttons_[size_t(i)] = std::move(b);
    }
    updateBox();
    syncLit();
    placeButtons();
}

HudElement* ButtonBar::button(int i) const { return i >= 0 && i < kButtons ? buttons_[size_t(i)].get() : nullptr; }

void ButtonBar::setButtonPlace(int i, float x, float y) {
    if (i < 0 || i >= kButtons) return;
    rel_[size_t(i)] = {x, y};
    updateBox();
    placeButtons();
}

void ButtonBar::updateBox() {
    boxLeft_ = boxTop_ = -1e30f;
    boxRight_ = boxBottom_ = 1e30f;
    float left = 1e30f, right = -1e30f, top = -1e30f, bottom = 1e30f;
    for (const auto& r : rel_) {
        left = std::min(left, r[0]);
        right = std::max(right, r[0] + cellWidth_);
        top = std::max(top, r[1]);
        bottom = std::min(bottom, r[1] - cellHeight_);
    }
    boxLeft_ = left, boxRight_ = right, boxTop_ = top, boxBottom_ = bottom;
}

void ButtonBar::placeButtons() {
    for (int i = 0; i < kButtons; ++i)
        if (buttons_[size_t(i)]) buttons_[size_t(i)]->placeAt(x_ + rel_[size_t(i)][0], y_ + rel_[size_t(i)][1], z_);
}

void ButtonBar::buildFrame() {
    HudElement::buildFrame();
    for (int i = 0; i < kButtons; ++i) {
        HudElement* b = buttons_[size_t(i)].get();
        if (!b) continue;
        b->buildFrame();
        if (lit_[size_t(i)]) b->setFaceColour(faceTop_);
    }
}

void ButtonBar::setLit(int i, bool on) {
    HudElement* b = button(i);
    if (!b) return;
    lit_[size_t(i)] = on;
    if (on) b->setFaceColour(faceTop_);
    else b->buildFrame();
}

void ButtonBar::syncLit() {
    for (int i = 0; i < kButtons; ++i)
        setLit(i, kLitOption[size_t(i)] >= 0 && optionBlock().on(OptionBlock::Field(kLitOption[size_t(i)])));
}

// --- mouse ------------------------------------------------------------------------

bool ButtonBar::hitTest(float mx, float my) {
    auto leave = [&] {
        flags_ &= ~kHover;
        if (HudElement* b = button(hovered_)) b->setFlags(b->flags() & ~kHover);
        hovered_ = -1;
        return false;
    };
    if (!HudRoot::hudShown() || !visible() || !buttons_[0]) return leave();
    const float px = mx * z_, py = my * z_;
    if (!(x_ + boxLeft_ < px && px < x_ + boxRight_ && y_ + boxBottom_ < py && py < y_ + boxTop_)) return leave();
    for (int i = 0; i < kButtons; ++i) {
        const HudElement* b = buttons_[size_t(i)].get();
        const float bx = x_ + rel_[size_t(i)][0], by = y_ + rel_[size_t(i)][1];
        if (bx < px && px < bx + b->width() && by - b->height() < py && py < by) {
            if (i != hovered_)
                if (HudElement* old = button(hovered_)) old->setFlags(old->flags() & ~kHover);
            hovered_ = i;
            buttons_[size_t(i)]->setFlags(buttons_[size_t(i)]->flags() | kHover);
            flags_ |= kHover;
            return true;
        }
    }
    return leave();
}

bool ButtonBar::mouse(const win::Message& m) {
    window_ = m.window;
    return HudElement::mouse(m);
}

void ButtonBar::leftButtonDown() {
    if (hovered_ >= 0) press_[size_t(hovered_)] = 1;
    buttonDragged_ = false;
    HudElement::leftButtonDown();
}

void ButtonBar::leftButtonUp() {
    const int h = hovered_;
    const bool dragged = buttonDragged_;
    flags_ &= ~(kLeftDown | kLeftDragged);
    buttonDragged_ = false;
    animating_ = 1;
    if (h < 0 || h >= kButtons) return;
    press_[size_t(h)] = 2;
    if (dragged) {
        const float gx = 0.1f * cellWidth_, gy = 0.1f * cellHeight_;
        auto& r = rel_[size_t(h)];
        r = {std::round(r[0] / gx) * gx, std::round(r[1] / gy) * gy};
        updateBox();
        placeButtons();
        return;
    }
    sendCommand(kCommands[size_t(h)], 0);
}

void ButtonBar::rightButtonUp() {
    const bool leftHeld = (flags_ & kLeftDown) != 0;
    if (!leftHeld && !(flags_ & (kLeftDragged | kRightDragged)) && root_)
        if (HudElement* b = button(hovered_)) root_->openColourEditor(b->colourLocations(), this);
    flags_ &= ~(kRightDown | kRightDragged);
    animating_ = 1;
}

void ButtonBar::dragLeft(int dx, int dy) {
    if (hovered_ < 0 || !root_) return;
    flags_ |= kLeftDragged;
    buttonDragged_ = true;
    const float s = root_->pixelScale();
    auto& r = rel_[size_t(hovered_)];
    r[0] += float(dx) * s * z_;
    r[1] -= float(dy) * s * z_;
    // Inside the view at the bar's depth, on whole grid steps.
    const float gx = 0.1f * cellWidth_, gy = 0.1f * cellHeight_;
    const float halfW = std::floor(root_->halfExtentX() * z_ / gx) * gx;
    const float halfH = std::floor(root_->halfExtentY() * z_ / gy) * gy;
    const float ax = std::max(-halfW, std::min(x_ + r[0], halfW - cellWidth_));
    const float ay = std::min(halfH, std::max(y_ + r[1], -halfH + cellHeight_));
    r = {ax - x_, ay - y_};
    updateBox();
    placeButtons();
}

void ButtonBar::keepInView(float X, float Y) {
    updateBox();
    const float z = tz_;
    tx_ = std::max(-X * z - boxLeft_, std::min(tx_, X * z - boxRight_));
    ty_ = std::min(Y * z - boxTop_, std::max(ty_, -Y * z - boxBottom_));
    animating_ = 1;
}

void ButtonBar::draw(gfx::Device& device, float seconds) {
    if (!visible() || !root_) return;
    placeButtons();
    for (auto& b : buttons_)
        if (b) b->draw(device, seconds);
}

// --- commands -----------------------------------------------------------------------

void ButtonBar::sendCommand(uint32_t id, intptr_t kind) {
    if (send_) {
        send_(id, kind);
        return;
    }
    win::messageQueue().send({window_, win::kWmCommand, id, win::LParam(kind)});
}

void ButtonBar::showBrowser(BrowserKind kind, intptr_t how) {
    const BrowserInfo& b = browser(kind);
    OptionBlock& o = optionBlock();
    if (how == 0) o.flip(b.shown);
    const bool shown = o.on(b.shown);
    setLit(b.button, shown);
    if (!presenter_) return;
    if (o.on(b.windowForm)) {
        presenter_->showWindow(kind, shown);
        presenter_->showPanel(kind, false);
    } else {
        presenter_->showWindow(kind, false);
        presenter_->showPanel(kind, shown);
    }
}

int ButtonBar::command(uint32_t id, intptr_t kind) {
    OptionBlock& o = optionBlock();
    auto flipLit = [&](OptionBlock::Field f, int button) {
        o.flip(f);
        if (button >= 0) setLit(button, o.on(f));
    };
    switch (id) {
        case kCmdMetric:
            o.flip(OptionBlock::kMetricUnits);
            if (presenter_) presenter_->unitsChanged();
            break;
        case kCmdBoundary: flipLit(OptionBlock::kBoundaries, 3); break;
        case kCmdCities: flipLit(OptionBlock::kCities, -1); break;
        case kCmdDayNight: flipLit(OptionBlock::kDayNight, 2); break;
        case kCmdDistance: flipLit(OptionBlock::kDistanceTool, 4); break;
        case kCmdNorthLock: flipLit(OptionBlock::kNorthUpLock, 8); break;
        case kCmdCityBrowser: showBrowser(BrowserKind::City, kind); break;
        case kCmdCountryBrowser: showBrowser(BrowserKind::Country, kind); break;
        case kCmdOverview: showBrowser(BrowserKind::Overview, kind); break;
        case kCmdHelp: showBrowser(BrowserKind::Help, kind); break;
        case kCmdSwitchForm: {
            if (kind < 1 || kind > 4) break;
            const BrowserInfo& b = browser(BrowserKind(kind));
            o.flip(b.shown);
            o.flip(b.windowForm);
            command(b.command, 0);  // flips the shown flag back and shows it in its new form
            break;
        }
        default: return 0;
    }
    app::processState().forceRedraw = true;
    return 1;
}

void ButtonBar::browserClosed(int kind, int keep) {
    uint32_t cmd = 0;
    switch (kind) {
        case 0: cmd = kCmdCityBrowser; break;
        case 1: cmd = kCmdCountryBrowser; break;
        case 5: cmd = kCmdOverview; break;
        case 6: cmd = kCmdHelp; break;
        default: return;
    }
    if (keep == 0) sendCommand(cmd, 0);
    else sendCommand(kCmdSwitchForm, keep);
}

void ButtonBar::checkMenu(win::Menu& menu, bool floatingStatusShown) {
    const OptionBlock& o = optionBlock();
    menu.check(kCmdBoundary, o.on(OptionBlock::kBoundaries));
    menu.check(kCmdCities, o.on(OptionBlock::kCities));
    menu.check(kCmdOverview, o.on(OptionBlock::kCountryOverview));
    menu.check(kCmdCityBrowser, o.on(OptionBlock::kCityBrowser));
    menu.check(kCmdCountryBrowser, o.on(OptionBlock::kCountryBrowser));
    menu.check(kCmdDayNight, o.on(OptionBlock::kDayNight));
    menu.check(kCmdDistance, o.on(OptionBlock::kDistanceTool));
    menu.check(kCmdNorthLock, o.on(OptionBlock::kNorthUpLock));
    menu.check(kCmdHelp, o.on(OptionBlock::kHelpText));
    menu.check(kCmdFloatingStatus, floatingStatusShown);
    menu.check(kCmdMetric, o.on(OptionBlock::kMetricUnits));
    const int32_t tool = o.get(OptionBlock::kPointerTool);
    menu.check(kCmdRotate, tool == 1);
    menu.check(kCmdMove, tool == 2);
    menu.check(kCmdZoom, tool == 3);
}

// --- record ---------------------------------------------------------------------------

size_t ButtonBar::writeRecord(std::vector<uint8_t>& out) {
    settings::RecordWriter w(out, kRecordName);
    io::ByteWriter& d = w.data();
    d.i32(id_);
    for (float f : {tx_, ty_, tz_}) d.f32(f);
    for (uint32_t c : {faceTop_, faceBottom_, textColour_, frameColour_}) d.u32(c);
    const auto options = optionBlock().toBytes();
    d.bytes(options.data(), options.size());
    for (int i = 0; i < kButtons; ++i) {
        const HudElement* b = buttons_[size_t(i)].get();
        d.i32(id_);
        d.f32(rel_[size_t(i)][0]);
        d.f32(rel_[size_t(i)][1]);
        d.f32(0);
        d.u32(b ? b->faceTop() : 0);
        d.u32(b ? b->faceBottom() : 0);
        d.u32(b ? b->textColour() : 0);
        d.u32(b ? b->frameColour() : 0);
    }
    return w.finish();
}

int ButtonBar::readRecord(std::span<const uint8_t> record) {
    settings::RecordView view;
    const int opened = settings::openRecord(record, kRecordName, view);
    if (opened != settings::kRecordApplied) return opened;
    // An older, shorter layout is passed over like another element's record.
    if (view.body.size() < kRecordFixedSize) return settings::kRecordNotMine;
    io::ByteReader r(view.body.first(kRecordFixedSize));
    if (r.i32() != id_) return settings::kRecordNotMine;
    const float tx = r.f32(), ty = r.f32(), tz = r.f32();
    uint32_t colours[4];
    for (auto& c : colours) c = r.u32();
    r.skip(OptionBlock::kSize);
    std::array<std::array<float, 2>, kButtons> rel{};
    std::array<std::array<uint32_t, 4>, kButtons> buttonColours{};
    for (int i = 0; i < kButtons; ++i) {
        r.skip(4);
        rel[size_t(i)] = {r.f32(), r.f32()};
        r.skip(4);
        for (auto& c : buttonColours[size_t(i)]) c = r.u32();
    }
    auto sane = [](float v, float limit) { return std::isfinite(v) && std::fabs(v) <= limit; };
    bool ok = r.ok() && std::isfinite(tx) && std::isfinite(ty) && std::isfinite(tz) && tz > 0;
    for (const auto& p : rel) ok = ok && sane(p[0], kMaxOffset) && sane(p[1], kMaxOffset);
    if (!ok) return settings::kRecordNotMine;

    faceTop_ = colours[0], faceBottom_ = colours[1], textColour_ = colours[2], frameColour_ = colours[3];
    optionBlock().fromBytes(view.body.data() + kOptionsOffset, OptionBlock::kSize);
    for (int i = 0; i < kButtons; ++i) {
        rel_[size_t(i)] = rel[size_t(i)];
        if (HudElement* b = button(i)) {
            auto loc = b->colourLocations();
            for (int k = 0; k < 4; ++k) *loc[size_t(k)] = buttonColours[size_t(i)][size_t(k)];
        }
    }
    placeAt(tx, ty, std::clamp(tz, minDepth(), maxDepth()));
    animating_ = 1;
    updateBox();
    buildFrame();
    // Each browser back in its saved form, its flag kept; the other buttons
    // lit from their options too.
    for (uint32_t cmd : {kCmdCityBrowser, kCmdCountryBrowser, kCmdOverview, kCmdHelp}) command(cmd, 1);
    syncLit();
    placeButtons();
    return settings::kRecordApplied;
}

}  // namespace tnx::hud
