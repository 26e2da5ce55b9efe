// The hub of the four browsers (city list, country and entity list, country
// overview, help text): it shows each as its HUD panel or its window as the
// button bar decides, carries out the panels' title commands and row picks,
// is the one dispatcher the windows report to, and is the geography
// overlay's way to the browsers (row selection on a globe click, the
// overview, the help, refilling after the city table changed).
//
// Picking a city selects it in the overlay (or deselects it when it was
// selected) and points the camera at it; picking a country points the
// camera at it, toggles its selection and shows its overview.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string_view>

#include "geodata/browser_link.h"
#include "hud/browser_panel.h"
#include "hud/browser_presenter.h"
#include "hud/browser_window.h"

namespace tnx::geodata {
class GeoOverlay;
}

namespace tnx::hud {

class ButtonBar;
class HudRoot;

class BrowserDispatcher : public BrowserPresenter, public BrowserPanel::Actions, public geodata::BrowserLink {
public:
    // How windows and "Find" prompts are made; an empty maker: that form
    // does not exist (the browser shows as a panel only).
    struct Makers {
        std::function<std::unique_ptr<BrowserWindow>(const BrowserWindowSetup&)> listWindow;
        std::function<std::unique_ptr<BrowserWindow>(const BrowserWindowSetup&)> textWindow;
        std::function<std::unique_ptr<FindPrompt>(BrowserKind, std::function<void(std::string_view)>)> findPrompt;
    };
    // Posts a window command (with its long parameter) to the main window.
    using CommandPoster = std::function<void(uint32_t command, intptr_t value)>;
    // Glides the camera to above a point (radians).
    using CameraPointer = std::function<void(float longitude, float latitude)>;

    static constexpr uint32_t kCmdUpdateFrame = 40051;
    static constexpr size_t kHelpWindowBytes = geodata::InfoTexts::kHelpWindowLimit;

    // Takes the panels and the button bar the HUD builder made (any may be
    // missing) and becomes the bar's presenter.
    explicit BrowserDispatcher(HudRoot& root);
    ~BrowserDispatcher() override;
    BrowserDispatcher(const BrowserDispatcher&) = delete;
    BrowserDispatcher& operator=(const BrowserDispatcher&) = delete;

    // The geography is loaded: fills the lists, makes the windows, links
    // the overlay to the browsers, then shows the help and the world's
    // overview and every browser as the option block says.
    void connect(geodata::GeoOverlay& overlay, CameraPointer pointCamera, CommandPoster post, Makers makers,
                 win::WindowId mainWindow = 0);
    // Saves the windows' geometry and unlinks the overlay (before either goes).
    void disconnect();

    // The browser window dispatcher.
    void dispatch(int operation, int kind, intptr_t value);

    // BrowserPresenter
    void showPanel(BrowserKind kind, bool shown) override;
    void showWindow(BrowserKind kind, bool shown) override;
    void unitsChanged() override;

    // BrowserPanel::Actions
    void titleCommand(BrowserPanel& panel, int cell) override;
    void rowPicked(BrowserPanel& panel, int dataRow) override;

    // geodata::BrowserLink
    void cityClicked(int city) override;
    void countryClicked(int country) override;
    void selectionCleared() override;
    void refillCities() override;
    // BrowserPresenter: a text made by the read-outs (the overview after
    // "Unselect And Clear All", the help) for a text panel and its window.
    void showText(BrowserKind kind, const geodata::BrowserText& text) override;

    // The overlay's list picks.
    void pickCity(int city);
    void pickCountry(int country);
    // Text typed into a panel's "Find".
    void findInPanel(BrowserKind kind, std::string_view text);

    BrowserPanel* panel(BrowserKind kind) const { return panels_[index(kind)]; }
    BrowserWindow* window(BrowserKind kind) const { return windows_[index(kind)].get(); }
    FindPrompt* panelFind(BrowserKind kind) const { return finds_[index(kind)].get(); }

private:
    static size_t index(BrowserKind kind) { return size_t(int(kind) - 1) & 3; }
    bool metric() const;
    void redraw();
    void closeFind(BrowserKind kind);
    void placeBeside(BrowserPanel& panel);

    HudRoot& root_;
    ButtonBar* bar_ = nullptr;
    std::array<BrowserPanel*, 4> panels_{};
    std::array<std::unique_ptr<BrowserWindow>, 4> windows_;
    std::array<std::unique_ptr<FindPrompt>, 4> finds_;
    geodata::GeoOverlay* overlay_ = nullptr;
    CameraPointer pointCamera_;
    CommandPoster post_;
    Makers makers_;
};

}  // namespace tnx::hud
