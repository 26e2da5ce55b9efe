// The floating status window beside the pointer: up to five texts side by
// side (the pointer's coordinates, the hovered city and country), each in the
// text and background colour of its slot. This is its logic — colours, the
// enabled flag, change detection, placement and the "cwindowstatus" record
// of the preferences store; the window on the desktop is a StatusSurface
// made on first use.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/messages.h"

namespace tnx::app {

// One text and the colour slot it is painted with.
struct StatusText {
    int slot = 0;
    std::string text;  // Windows-1252
};

// A text as laid out in the window: its left edge in window pixels.
struct PlacedText {
    std::string text;  // a blank added to every text but the last
    int x = 0;
    int width = 0;
    uint32_t textColour = 0;        // 0x00BBGGRR
    uint32_t backgroundColour = 0;  // 0x00BBGGRR
};

// What the window on the desktop does.
class StatusSurface {
public:
    virtual ~StatusSurface() = default;
    // Size of a text in the window's font, in device pixels (as everything
    // here is).
    virtual void measure(std::string_view text, int& width, int& height) = 0;
    // Shows the texts in a window at that screen rectangle, without taking
    // the focus.
    virtual void present(const std::vector<PlacedText>& texts, int screenX, int screenY, int width, int height) = 0;
    virtual void hide() = 0;
    // A dialog or menu of ours is open: the status must not lie over it.
    virtual bool covered() const { return false; }
};

class FloatingStatus {
public:
    static constexpr const char* kRecordName = "cwindowstatus";
    static constexpr size_t kRecordSize = 68;
    static constexpr int kSlots = 8;
    static constexpr int kMaxTexts = 5;
    static constexpr size_t kMaxTextBytes = 511;  // each text, NUL excluded
    // Distances of the window from the pointer and the client's edges.
    static constexpr int kBelowPointer = 32;
    static constexpr int kAbovePointer = 68;
    static constexpr int kEdgeMargin = 10;

    using SurfaceFactory = std::function<std::unique_ptr<StatusSurface>()>;

    FloatingStatus();
    ~FloatingStatus();

    // The record in the preferences store.
    void load();
    void save() const;
    std::array<uint8_t, kRecordSize> toRecord() const;
    // False, changing nothing, for a record of another size or with values
    // no status window writes.
    bool fromRecord(std::span<const uint8_t> bytes);

    // The window is made by this on first use; without one nothing shows.
    void setSurfaceFactory(SurfaceFactory factory) { factory_ = std::move(factory); }

    // Shows up to five texts beside the client point (x, y) of the main
    // window, whose client area is clientWidth x clientHeight; only while
    // enabled, and only when a text changed. No texts hide the window.
    void showTexts(std::span<const StatusText> texts, int x, int y, int clientWidth, int clientHeight,
                   win::WindowId mainWindow);
    void hide();
    bool enabled() const { return enabled_; }
    void setEnabled(bool on);
    void toggleEnabled() { setEnabled(!enabled_); }
    // Shown on the desktop now.
    bool shown() const { return shown_; }
    // A dialog or menu of ours is open (see StatusSurface::covered).
    bool covered() const { return surface_ && surface_->covered(); }

    // Colours 0x00BBGGRR; slot 0 coordinates, 1 city, 2 country.
    uint32_t textColour(int slot) const { return text_[clampSlot(slot)]; }
    uint32_t backgroundColour(int slot) const { return background_[clampSlot(slot)]; }
    void setTextColour(int slot, uint32_t colour);
    void setBackgroundColour(int slot, uint32_t colour);

    // The layout of the last texts shown: window position in client
    // coordinates and size.
    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<PlacedText>& placed() const { return placed_; }

private:
    static size_t clampSlot(int slot) { return size_t(slot < 0 ? 0 : slot >= kSlots ? kSlots - 1 : slot); }

    std::array<uint32_t, kSlots> background_{};
    std::array<uint32_t, kSlots> text_{};
    bool enabled_ = true;
    bool shown_ = false;
    std::vector<StatusText> texts_;
    std::vector<PlacedText> placed_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    SurfaceFactory factory_;
    std::unique_ptr<StatusSurface> surface_;
};

// The process-wide object (made with the first viewer core).
FloatingStatus* floatingStatus();
void setFloatingStatus(FloatingStatus* status);

}  // namespace tnx::app
