// The main window's modes (windowed, transparent shaped, full screen), its
// placement and always-on-top flag, kept in the "cwindowoptions" record of
// the preferences store.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/win/popup_menu.h"
#include "platform/win/region.h"
#include "platform/win/window_system.h"

namespace tnx::app {

enum WindowMode : int32_t { kWindowed = 1, kTransparent = 2, kFullScreen = 3 };

struct Placement {
    int32_t x = 0, y = 0, width = 0, height = 0, clientWidth = 0, clientHeight = 0;
    uint32_t style = 0;
};

constexpr uint32_t kWindowedStyle = 0x90CF0000;
constexpr uint32_t kBorderlessStyle = 0x800A0000;
constexpr uint32_t kCmdAlwaysOnTop = 40050;

class WindowOptions {
public:
    static constexpr size_t kRecordSize = 200;
    static constexpr const char* kRecordName = "cwindowoptions";

    WindowOptions();
    // Loads the record from the preferences store, if there is one.
    void load();
    // Writes the record into the preferences store.
    void save() const;

    std::array<uint8_t, kRecordSize> toRecord() const;
    // Takes the mode, the windowed block and the flags; false if malformed.
    bool fromRecord(const std::vector<uint8_t>& bytes);

    int32_t mode() const { return mode_; }
    bool alwaysOnTop() const { return flags_ & 1; }
    const Placement& windowed() const { return windowed_; }
    // The placement of the current mode for a screen of the given size (in
    // device pixels) and pixel ratio: a windowed placement never remembered
    // is the default one, scaled as the screen is.
    Placement placement(int screenWidth, int screenHeight, double pixelRatio = 1) const;

    // Switches mode: false when it is the current one already.
    bool applyMode(win::WindowId window, int32_t mode);
    void rememberWindowedPlacement(win::WindowId window);
    // Flips always-on-top; applies it to the window and checks the menu item.
    void toggleAlwaysOnTop(win::WindowId window, win::Menu* menu, uint32_t item);
    // Marks the item with the current state without changing it.
    void checkAlwaysOnTop(win::Menu& menu, uint32_t item) const { menu.check(item, alwaysOnTop()); }
    void clearRegion(win::WindowId window);
    void setRegion(win::WindowId window, const win::Region& region);
    void setWindow(win::WindowId w) { window_ = w; }
    win::WindowId window() const { return window_; }

    // The three carried float values; the first starts as the stored bit
    // pattern 0x3F490FD0 (just under a quarter turn).
    std::array<float, 3> extra{std::bit_cast<float>(0x3F490FD0u), 0.0f, 0.0f};

private:
    void screenSize(int& w, int& h, double& pixelRatio) const;

    win::WindowId window_ = 0;
    int32_t mode_ = kFullScreen;
    Placement windowed_{50, 50, 800, 600, 0, 0, kWindowedStyle};
    bool windowedRemembered_ = false;
    int32_t flags_ = 0;
};

// The process-wide object (created by the application object).
WindowOptions* windowOptions();
void setWindowOptions(WindowOptions* w);

}  // namespace tnx::app
