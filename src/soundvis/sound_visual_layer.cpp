#include "soundvis/sound_visual_layer.h"

#include <cstdio>
#include <memory>

#include "core/process_state.h"
#include "hud/hud_clock.h"
#include "platform/io/byte_io.h"
#include "platform/win/window_system.h"

namespace tnx::soundvis {

namespace {

constexpr std::array<int32_t, SoundVisualLayer::kElementCount> kIds = {
    SoundVisualLayer::kPrevious,  SoundVisualLayer::kPlay,       SoundVisualLayer::kPause,
    SoundVisualLayer::kStop,      SoundVisualLayer::kNext,       SoundVisualLayer::kOpenFiles,
    SoundVisualLayer::kElapsed,   SoundVisualLayer::kTotalTime,  SoundVisualLayer::kNumber,
    SoundVisualLayer::kTitle,     SoundVisualLayer::kDateTime,   SoundVisualLayer::kProgress,
    SoundVisualLayer::kCaptionLeft, SoundVisualLayer::kCaptionRight};

// The buttons' tiles of the button image, in button order.
constexpr std::array<std::array<int, 2>, 6> kTiles = {{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {1, 1}}};

constexpr float kButtonWidth = 0.5f, kButtonHeight = 0.25f;
constexpr float kTextWidth = 1.6f, kTextHeight = 0.25f;
constexpr float kCaptionWidth = 3.0f, kCaptionHeight = 0.75f;
// First-run places: the controls in the lower right corner as near as the
// read-outs, the captions farther away above the spectrum.
constexpr float kControlsDepth = 10.0f;
constexpr float kCaptionDepth = 40.0f;
constexpr float kMargin = 0.15f, kGap = 0.05f;

std::string clockText(const char* label, int hours, int minutes, int seconds) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s %d:%d:%d", label, hours, minutes, seconds);
    return buf;
}

std::string numberText(int number, int count) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Number %d of %d", number, count);
    return buf;
}

}  // namespace

SoundVisualLayer::SoundVisualLayer(hud::HudRoot& root, bool spectrumShown, MusicPlayer* player, TimeSource now)
    : root_(root),
      spectrumShown_(spectrumShown),
      player_(player),
      now_(now ? std::move(now) : TimeSource(&hud::HudClock::localNow)) {
    createElements();
    showPlayerButtons(displayShown());
}

SoundVisualLayer::~SoundVisualLayer() = default;

DisplayView SoundVisualLayer::view() const {
    DisplayView v;
    v.halfX = root_.halfExtentX();
    v.halfY = root_.halfExtentY();
    v.halfWidth = std::max(1, root_.halfWidth());
    v.halfHeight = std::max(1, root_.halfHeight());
    v.pixelRatio = root_.pixelRatio();
    return v;
}

hud::HudElement* SoundVisualLayer::element(int32_t id) const {
    for (size_t i = 0; i < kIds.size(); ++i)
        if (kIds[i] == id) return elements_[i];
    return nullptr;
}

void SoundVisualLayer::createElements() {
    const float X = root_.halfExtentX(), Y = root_.halfExtentY();
    const float z = kControlsDepth;
    const float right = X * z - kMargin, bottom = -Y * z + kMargin;
    const float rowWidth = 6 * kButtonWidth + 5 * kGap;
    const float left = right - rowWidth;
    auto operation = [this](int32_t id) { buttonOperation(id); };

    for (size_t i = 0; i < kIds.size(); ++i) {
        const int32_t id = kIds[i];
        std::unique_ptr<hud::HudElement> e;
        if (i < 6) {
            e = std::make_unique<hud::PlayerButton>(id, operation);
            e->init(hud::HudElement::kButtonImage, kButtonWidth, kButtonHeight, 0, 50, 0x90808080, 0xFFA0A0A0,
                    0xFF80FFFF);
            e->setTile(kTiles[i][0], kTiles[i][1]);
            e->placeAt(left + float(i) * (kButtonWidth + kGap), bottom + kButtonHeight, z);
        } else if (i < 12) {
            const int k = int(i) - 6;
            if (id == kProgress) e = std::make_unique<hud::ProgressButton>(id, operation);
            else e = std::make_unique<hud::PlayerButton>(id, operation);
            e->init(hud::HudElement::kFontTexture, kTextWidth, kTextHeight, 0, 50, (k % 2) ? 0xA080C0C0 : 0xC0C0C080,
                    0xFFF0F0A0, 0xFFFFFF80);
            // Three rows of two above the buttons: times, then number and
            // progress, then title and clock on top.
            const int row = k / 2, column = k % 2;
            const float x = right - 2 * kTextWidth - kGap + float(column) * (kTextWidth + kGap);
            const float y = bottom + kButtonHeight + 2 * kGap + float(row + 1) * (kTextHeight + 2 * kGap);
            e->placeAt(x, y, z);
        } else {
            e = std::make_unique<hud::PlayerLabel>(id);
            e->init(hud::HudElement::kFontTexture, kCaptionWidth, kCaptionHeight, 0, 50, 0x00000000, 0x00000000,
                    0xFFFFFF80);
            // Over the two halves of the spectrum's first-run place.
            const DisplayPlacement& p = display_.placement();
            const float share = kCaptionDepth / p.size;
            const float half = display_.width() * 0.52f * float(id == kCaptionRight);
            e->placeAt((p.x + half) * share, (p.y + display_.height()) * share + kCaptionHeight + kGap, kCaptionDepth);
        }
        hud::HudElement* raw = e.get();
        if (root_.add(std::move(e)) < 0) continue;  // a full HUD: this control is missing
        raw->keepInView(X, Y);
        // Text is laid out with the root's font, so only once it is added.
        if (id == kCaptionLeft || id == kCaptionRight) raw->setText(id == kCaptionLeft ? "Left" : "Right", 0);
        elements_[i] = raw;
        if (id == kProgress) progress_ = static_cast<hud::ProgressButton*>(raw);
    }
}

void SoundVisualLayer::showPlayerButtons(bool on) {
    buttonsShown_ = on;
    for (hud::HudElement* e : elements_)
        if (e) e->setFlags(on ? (e->flags() | hud::HudElement::kEnabled) : (e->flags() & ~hud::HudElement::kEnabled));
    app::processState().forceRedraw = true;
}

void SoundVisualLayer::buttonOperation(int32_t id) {
    if (id >= kPrevious && id <= kOpenFiles) command(kCmdPrevious + uint32_t(id - kPrevious));
}

bool SoundVisualLayer::command(uint32_t id, win::WindowId window) {
    switch (id) {
        case kCmdPrevious: if (player_) player_->previous(); return true;
        case kCmdPlay: if (player_) player_->play(); return true;
        case kCmdPause: if (player_) player_->pause(); return true;
        case kCmdStop: if (player_) player_->stop(); return true;
        case kCmdNext: if (player_) player_->next(); return true;
        case kCmdOpenFiles: openFiles(window); return true;
        case kCmdShowButtons: showPlayerButtons(displayShown()); return true;
        case kCmdHideButtons: showPlayerButtons(false); return true;
        default: return false;
    }
}

void SoundVisualLayer::openFiles(win::WindowId owner) {
    if (!player_ || !openFilesPrompt_) return;
    std::vector<std::string> paths = openFilesPrompt_(owner);
    if (!paths.empty()) player_->openFiles(paths);
}

void SoundVisualLayer::update(float seconds) {
    if (!player_) return;
    bool redraw = updateStatus();
    if (displayShown()) {
        player::SpectrumBands bands{};
        const bool playing = player_->spectrum(bands);
        redraw |= display_.update(playing ? &bands : nullptr, seconds);
    }
    // The status texts and the bars lie over the scene, which is unchanged.
    if (redraw) app::processState().overlayRedraw.addWhole();
}

bool SoundVisualLayer::updateStatus() {
    const player::PlayerStatus s = player_->status();
    const int64_t elapsed = int64_t(s.elapsedHours) * 3600 + int64_t(s.elapsedMinutes) * 60 + s.elapsedSeconds;
    const bool newItem = s.fileNumber != shownFile_ || s.mediaSerial != shownSerial_;
    // A new error (no sound device, a damaged file) takes the title line
    // until the next item begins: the user hears nothing and is told why.
    if (s.lastError != 0 && s.message != shownError_) {
        shownError_ = s.message;
        errorShown_ = true;
    } else if (newItem) {
        errorShown_ = false;
    }
    const std::string& title = errorShown_ ? shownError_ : s.title;
    // A new item shows at once, even before its first second has passed.
    const bool titleChanged = newItem || title != shownTitle_;
    if (elapsed == shownElapsed_ && !titleChanged) return false;
    shownElapsed_ = elapsed;
    auto set = [this](int32_t id, const std::string& text) {
        if (hud::HudElement* e = element(id)) e->setText(text, 0);
    };
    set(kElapsed, clockText("Elapsed", s.elapsedHours, s.elapsedMinutes, s.elapsedSeconds));
    if (progress_) progress_->setProgress(double(s.position), double(s.length));
    if (titleChanged) {
        shownFile_ = s.fileNumber;
        shownSerial_ = s.mediaSerial;
        shownTitle_ = title;
        set(kTotalTime, clockText("Total time", s.totalHours, s.totalMinutes, s.totalSeconds));
        set(kNumber, numberText(s.fileNumber, s.fileCount));
        set(kTitle, title);
    }
    set(kDateTime, hud::HudClock::format(now_()));
    return buttonsShown_;
}

void SoundVisualLayer::draw(gfx::Device& device, float) {
    if (displayShown()) display_.draw(device);
}

win::Menu SoundVisualLayer::contextMenu() const {
    win::Menu menu;
    menu.appendCommand(kCmdPrevious, "Previous");
    menu.appendCommand(kCmdPlay, "Play");
    menu.appendCommand(kCmdPause, "Pause");
    menu.appendCommand(kCmdStop, "Stop");
    menu.appendCommand(kCmdNext, "Next");
    menu.appendCommand(kCmdOpenFiles, "Open Files");
    if (buttonsShown_) menu.appendCommand(kCmdHideButtons, "Hide Player Buttons");
    else menu.appendCommand(kCmdShowButtons, "Display Player Buttons");
    return menu;
}

void SoundVisualLayer::openMenu(win::WindowId window, int px, int py) {
    auto* ws = win::windowSystem();
    if (!ws) return;
    ws->clientToScreen(window, px, py);
    if (uint32_t id = ws->trackPopupMenu(window, contextMenu(), px, py)) command(id, window);
}

bool SoundVisualLayer::mouse(const win::Message& m) {
    if (!displayShown() || app::isFullScreenSaver()) {
        drag_ = Drag::None;
        return false;
    }
    const int px = win::xFromLParam(m.lParam), py = win::yFromLParam(m.lParam);
    const DisplayView v = view();
    const bool over = display_.contains(v, px, py);
    switch (m.id) {
        case win::kWmLButtonDown:
        case win::kWmRButtonDown:
            if (!over) return false;
            drag_ = m.id == win::kWmLButtonDown ? Drag::Left : Drag::Right;
            dragMoved_ = false;
            lastX_ = px, lastY_ = py;
            return true;
        case win::kWmMouseMove: {
            if (drag_ == Drag::None) return over;
            const int dx = px - lastX_, dy = py - lastY_;
            lastX_ = px, lastY_ = py;
            if (dx == 0 && dy == 0) return true;
            dragMoved_ = true;
            if (drag_ == Drag::Left) display_.move(v, dx, dy);
            else display_.resize(v, dx, dy);
            app::processState().forceRedraw = true;
            return true;
        }
        case win::kWmLButtonUp:
            if (drag_ != Drag::Left) return over;
            drag_ = Drag::None;
            return true;
        case win::kWmRButtonUp:
            if (drag_ != Drag::Right) return over;
            drag_ = Drag::None;
            if (!dragMoved_) openMenu(m.window, px, py);
            return true;
        default: return over;
    }
}

// --- record ---------------------------------------------------------------------

size_t SoundVisualLayer::writeRecord(std::vector<uint8_t>& out) {
    const DisplayView v = view();
    settings::RecordWriter w(out, kRecordName);
    io::ByteWriter& d = w.data();
    d.u32(0);
    d.i32(int32_t(kRecordStamp));
    d.i32(reserved_);
    d.i32(buttonsShown_ ? 1 : 0);
    // 16: working state, not read back.
    d.i32(SpectrumDisplay::kBands);
    d.i32(SpectrumDisplay::kChannels);
    d.f32(SpectrumDisplay::kGain);
    d.f32(SpectrumDisplay::kFallRate);
    d.i32(display_.highestBand(0));
    d.i32(display_.highestBand(1));
    d.f32(display_.limitX(v));
    d.f32(display_.limitY(v));
    d.zeros(8);
    // 56: the display's placement and look.
    const DisplayPlacement& p = display_.placement();
    for (float f : {p.scale, p.widthFactor, p.heightFactor, p.x, p.y, p.size}) d.f32(f);
    for (float f : p.params) d.f32(f);
    // 100: band levels, then the drawn levels, of both channels.
    for (int c = 0; c < SpectrumDisplay::kChannels; ++c)
        for (int b = 0; b < SpectrumDisplay::kBands; ++b) d.f32(display_.level(c, b));
    for (int c = 0; c < SpectrumDisplay::kChannels; ++c)
        for (int b = 0; b < SpectrumDisplay::kBands; ++b) d.f32(display_.drawnLevel(c, b));
    d.zeros(kRecordFixedSize - 612);
    return w.finish();
}

int SoundVisualLayer::readRecord(std::span<const uint8_t> record) {
    settings::RecordView view;
    int result = settings::openRecord(record, kRecordName, view);
    if (result == settings::kRecordApplied) {
        auto stamp = settings::recordStamp(view);
        if (view.body.size() < kRecordFixedSize || !stamp || *stamp != kRecordStamp) {
            result = settings::kRecordNotMine;
        } else {
            io::ByteReader r(view.body.first(kRecordFixedSize));
            r.seek(12);
            buttonsShown_ = r.i32() != 0;
            r.seek(56);
            DisplayPlacement& p = display_.placement();
            for (float* f : {&p.scale, &p.widthFactor, &p.heightFactor, &p.x, &p.y, &p.size}) *f = r.f32();
            for (float& f : p.params) f = r.f32();
            display_.sanitise(this->view());
        }
    }
    // Whatever the file held, the controls are there exactly when the
    // spectrum is shown and there is a player.
    showPlayerButtons(displayShown());
    return result;
}

}  // namespace tnx::soundvis
