#include "app/floating_status.h"

#include <algorithm>
#include <cmath>

#include "platform/io/byte_io.h"
#include "platform/win/window_system.h"
#include "settings/preferences_store.h"

namespace tnx::app {

namespace {
FloatingStatus* g_status = nullptr;
// Room the store is asked for: a longer value is not ours.
constexpr uint32_t kReadBuffer = 200;
}  // namespace

FloatingStatus* floatingStatus() { return g_status; }
void setFloatingStatus(FloatingStatus* status) { g_status = status; }

FloatingStatus::FloatingStatus() {
    background_.fill(0x00FFFFFF);
    text_.fill(0);
    background_[0] = 0x00FFFF80;  // coordinates: black on light cyan
    background_[1] = 0x0080FFFF;  // city: dark blue on light yellow
    text_[1] = 0x00800000;
    background_[2] = 0x0080FFC0;  // country: black on light green
}

FloatingStatus::~FloatingStatus() = default;

std::array<uint8_t, FloatingStatus::kRecordSize> FloatingStatus::toRecord() const {
    std::array<uint8_t, kRecordSize> b{};
    io::storeI32(&b[0], enabled_ ? 1 : 0);
    for (int i = 0; i < kSlots; ++i) {
        io::storeU32(&b[size_t(4 + 4 * i)], background_[size_t(i)]);
        io::storeU32(&b[size_t(36 + 4 * i)], text_[size_t(i)]);
    }
    return b;
}

bool FloatingStatus::fromRecord(std::span<const uint8_t> b) {
    if (b.size() != kRecordSize) return false;
    const int32_t enabled = io::loadI32(&b[0]);
    if (enabled != 0 && enabled != 1) return false;
    std::array<uint32_t, kSlots> background{}, text{};
    for (int i = 0; i < kSlots; ++i) {
        background[size_t(i)] = io::loadU32(&b[size_t(4 + 4 * i)]);
        text[size_t(i)] = io::loadU32(&b[size_t(36 + 4 * i)]);
        // A colour here has nothing in its top byte.
        if ((background[size_t(i)] | text[size_t(i)]) & 0xFF000000u) return false;
    }
    enabled_ = enabled != 0;
    background_ = background;
    text_ = text;
    return true;
}

void FloatingStatus::load() {
    auto* store = settings::preferences();
    if (!store) return;
    std::vector<uint8_t> buf(kReadBuffer);
    uint32_t len = kReadBuffer;
    if (store->getBinary(kRecordName, buf.data(), &len) != 0) return;
    fromRecord(std::span<const uint8_t>(buf.data(), std::min<size_t>(len, buf.size())));
}

void FloatingStatus::save() const {
    auto* store = settings::preferences();
    if (!store) return;
    auto rec = toRecord();
    store->setBinary(kRecordName, rec.data(), uint32_t(rec.size()));
}

void FloatingStatus::setTextColour(int slot, uint32_t colour) {
    if (slot >= 0 && slot < kSlots) text_[size_t(slot)] = colour & 0x00FFFFFF;
}

void FloatingStatus::setBackgroundColour(int slot, uint32_t colour) {
    if (slot >= 0 && slot < kSlots) background_[size_t(slot)] = colour & 0x00FFFFFF;
}

void FloatingStatus::setEnabled(bool on) {
    enabled_ = on;
    if (!on) hide();
}

void FloatingStatus::hide() {
    // Forget the texts: the same ones coming back must show the window again.
    texts_.clear();
    placed_.clear();
    if (shown_ && surface_) surface_->hide();
    shown_ = false;
}

void FloatingStatus::showTexts(std::span<const StatusText> texts, int x, int y, int clientWidth, int clientHeight,
                               win::WindowId mainWindow) {
    if (!enabled_) return;
    const size_t count = std::min(texts.size(), size_t(kMaxTexts));
    if (count == 0) {
        hide();
        return;
    }
    bool changed = count != texts_.size();
    texts_.resize(count);
    for (size_t i = 0; i < count; ++i) {
        StatusText t{int(clampSlot(texts[i].slot)), texts[i].text.substr(0, kMaxTextBytes)};
        if (t.slot != texts_[i].slot || t.text != texts_[i].text) {
            texts_[i] = std::move(t);
            changed = true;
        }
    }
    if (!changed) return;
    if (!surface_ && factory_) surface_ = factory_();
    if (!surface_) return;

    placed_.clear();
    int w = 0, h = 0;
    for (size_t i = 0; i < count; ++i) {
        PlacedText p;
        p.text = texts_[i].text;
        if (i + 1 < count) p.text += ' ';
        int tw = 0, th = 0;
        surface_->measure(p.text, tw, th);
        p.x = w;
        p.width = std::max(tw, 0);
        p.textColour = text_[size_t(texts_[i].slot)];
        p.backgroundColour = background_[size_t(texts_[i].slot)];
        w += p.width;
        h = std::max(h, th);
        placed_.push_back(std::move(p));
    }
    // Left of the pointer by a third, inside the client; below it unless
    // that runs past the bottom, then above. The left edge wins when the
    // client is narrower than the texts. The distances are the desktop's
    // pixels, as many more of the window's as the desktop is scaled.
    auto* ws = win::windowSystem();
    const double ratio = ws && mainWindow ? ws->pixelRatio(mainWindow) : 1.0;
    auto scaled = [ratio](int pixels) { return int(std::lround(pixels * ratio)); };
    const int margin = scaled(kEdgeMargin);
    left_ = std::max(std::min(x - w / 3, clientWidth - w - margin), margin);
    top_ = y + h + scaled(kBelowPointer) > clientHeight ? y - scaled(kAbovePointer) : y + scaled(kBelowPointer);
    width_ = w;
    height_ = h;
    int sx = left_, sy = top_;
    if (ws && mainWindow) ws->clientToScreen(mainWindow, sx, sy);
    surface_->present(placed_, sx, sy, w, h);
    shown_ = true;
}

}  // namespace tnx::app
