// The button bar: nine command buttons ("City" ... "North Lock") that send
// the same window commands as the context menu, and the one command handler
// both share: it flips the view options of the option block, lights the
// buttons, and shows or hides the browsers in their panel or window form.
//
// A right drag moves the whole bar and a drag with both buttons pushes it,
// as for any element; a left drag moves one button, which snaps to a grid
// of a tenth of a cell when let go. The layout, colours and the whole option
// block are kept in "savecbuttonarry".
#pragma once

#include <array>
#include <functional>
#include <memory>

#include "hud/browser_presenter.h"
#include "hud/hud_element.h"
#include "platform/win/popup_menu.h"

namespace tnx::hud {

class ButtonBar : public HudElement {
public:
    static constexpr int32_t kId = 0x105;
    static constexpr int kButtons = 9;
    static constexpr const char* kRecordName = "savecbuttonarry";
    static constexpr size_t kRecordFixedSize = 720;
    static constexpr size_t kOptionsOffset = 32;
    static constexpr size_t kButtonsOffset = 432;

    enum Command : uint32_t {
        kCmdMetric = 1092,
        kCmdHideToolBars = 40020,
        kCmdShowToolBars = 40023,
        kCmdBoundary = 40034,
        kCmdCities = 40035,
        kCmdOverview = 40036,
        kCmdCityBrowser = 40037,
        kCmdCountryBrowser = 40038,
        kCmdDayNight = 40039,
        kCmdRotate = 40043,
        kCmdMove = 40042,
        kCmdZoom = 40044,
        kCmdDistance = 40045,
        kCmdHelp = 40048,
        kCmdFloatingStatus = 40049,
        kCmdNorthLock = 40052,
        kCmdSwitchForm = 40053,
        kCmdMenu = 40060,
    };
    static constexpr std::array<const char*, kButtons> kLabels = {
        "City", "Country", "Day/N", "Boundary", "Distance", "Info", "Help", "Menu", "North Lock"};
    static constexpr std::array<uint32_t, kButtons> kCommands = {
        kCmdCityBrowser, kCmdCountryBrowser, kCmdDayNight, kCmdBoundary, kCmdDistance,
        kCmdOverview,    kCmdHelp,           kCmdMenu,     kCmdNorthLock};

    ButtonBar();
    ~ButtonBar() override;

    // Makes the nine buttons; call once attached to a root.
    void build();
    void init(int32_t textureMode, float width, float height, float frameArgument, int32_t glyphCapacity,
              gfx::Color faceColour, gfx::Color frameColour, gfx::Color textColour) override;
    void buildFrame() override;
    bool mouse(const win::Message& m) override;
    void leftButtonUp() override;
    void leftButtonDown() override;
    void rightButtonUp() override;
    void dragLeft(int dx, int dy) override;
    bool hitTest(float mx, float my) override;
    void keepInView(float X, float Y) override;
    // Draws children of its own: changes redraw everything over the scene.
    bool addCoverage(float, int, int, app::OverlayArea&) const override { return false; }
    void draw(gfx::Device& device, float seconds) override;
    size_t writeRecord(std::vector<uint8_t>& out) override;
    int readRecord(std::span<const uint8_t> record) override;

    // Lights a button in the bar's face colour, or gives it back its own.
    void setLit(int index, bool on);
    bool lit(int index) const { return index >= 0 && index < kButtons && lit_[size_t(index)]; }
    // Lights exactly the buttons whose options are on.
    void syncLit();
    // The shared command handler: 1 when the command was the bar's.
    int command(uint32_t id, intptr_t kind);
    // A browser asks to be hidden (keep 0) or to switch form (keep = its kind).
    void browserClosed(int kind, int keep);
    // Check marks of the context menu from the option block.
    static void checkMenu(win::Menu& menu, bool floatingStatusShown);

    void setPresenter(BrowserPresenter* p) { presenter_ = p; }
    BrowserPresenter* presenter() const { return presenter_; }
    // Where the bar's commands go; by default to the window of the last
    // mouse message, through its window procedure.
    void setCommandSender(std::function<void(uint32_t, intptr_t)> send) { send_ = std::move(send); }

    HudElement* button(int index) const;
    int hoveredButton() const { return hovered_; }
    float cellWidth() const { return cellWidth_; }
    float cellHeight() const { return cellHeight_; }
    // A button's place relative to the bar.
    float buttonX(int index) const { return rel_[size_t(index)][0]; }
    float buttonY(int index) const { return rel_[size_t(index)][1]; }
    void setButtonPlace(int index, float x, float y);
    int pressState(int index) const { return press_[size_t(index)]; }

protected:
    float frameWidth() const override { return 0.01f * height_; }
    float frameDepth() const override { return 0.1f * frameArgument_; }

private:
    void sendCommand(uint32_t id, intptr_t kind);
    void showBrowser(BrowserKind kind, intptr_t how);
    void updateBox();
    void placeButtons();

    std::array<std::unique_ptr<HudElement>, kButtons> buttons_;
    std::array<std::array<float, 2>, kButtons> rel_{};
    std::array<bool, kButtons> lit_{};
    std::array<uint8_t, kButtons> press_{};
    int hovered_ = -1;
    float cellWidth_ = 0, cellHeight_ = 0, gap_ = 0;
    float boxLeft_ = 0, boxRight_ = 0, boxTop_ = 0, boxBottom_ = 0;
    bool buttonDragged_ = false;
    win::WindowId window_ = 0;
    BrowserPresenter* presenter_ = nullptr;
    std::function<void(uint32_t, intptr_t)> send_;
};

}  // namespace tnx::hud
