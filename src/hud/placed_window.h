// What the browsers' windows share: a top-level window beside the viewer
// that opens where it was left (wholly on a screen that exists now), keeps
// its placement in the preferences store under its title, hides the browser
// through the dispatcher when its close box is used, switches back to the
// HUD form with "TOGGLE", and hands the keys it does not use to the main
// window so the globe can still be steered.
#pragma once

#include <QMainWindow>
#include <QRect>
#include <array>
#include <optional>

#include "hud/browser_window.h"
#include "hud/window_geometry.h"

class QAction;

namespace tnx::hud {

class PlacedWindow : public QMainWindow {
public:
    PlacedWindow(const BrowserWindowSetup& setup, QSize defaultSize);
    ~PlacedWindow() override;

    const BrowserWindowSetup& setup() const { return setup_; }
    // Shown without taking the focus, or hidden.
    void showBrowser(bool on);
    void enableToggle(bool on);
    QAction* toggleAction() const { return toggle_; }
    // The remembered geometry, if there was one.
    const std::optional<WindowGeometry>& saved() const { return saved_; }
    // The frame rectangle the window was placed at.
    QRect wantedFrame() const { return wanted_; }
    // Stores the frame rectangle (the placed one while never shown) and the
    // given column widths under the title.
    void storePlacement(const std::array<int32_t, WindowGeometry::kColumns>& widths) const;
    // The viewer's window of that id (any of them for 0), or null; browser
    // windows and prompts stay above it, as windows it owns.
    static QWindow* viewerWindow(win::WindowId id);
    // The usable areas of the screens, the primary first.
    static std::vector<win::Rect> screenAreas();
    // Where the window opens: the saved frame (or a default size in the
    // middle of the primary screen) put wholly on a screen.
    static QRect placement(const std::optional<WindowGeometry>& saved, QSize defaultSize);

protected:
    // Before the window hides (an open "Find" closes).
    virtual void beforeHide() {}
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void forwardKey(QKeyEvent* e, uint32_t message);
    // Until the window manager has framed the window, its frame is brought
    // to the wanted rectangle (the client area is what Qt sizes).
    void fitFrame();

    BrowserWindowSetup setup_;
    std::optional<WindowGeometry> saved_;
    QRect wanted_;
    QAction* toggle_ = nullptr;
    bool shownOnce_ = false;
    bool owned_ = false;
    bool fitting_ = false;
};

}  // namespace tnx::hud
