// The window system on Qt: top-level QWindows whose events become posted
// messages, QScreen monitors, the OpenGL device, QMessageBox and QMenu.
#pragma once

#include <map>
#include <memory>

#include "platform/win/window_system.h"

class QImage;
class QObject;
class QTimer;
class QWindow;

namespace tnx::win {

class HostWindow;

class QtWindowSystem : public WindowSystem {
public:
    // The program's icon among the Qt resources.
    static constexpr const char* kProgramIcon = ":/terranox.svg";

    QtWindowSystem();
    ~QtWindowSystem() override;

    std::vector<MonitorInfo> monitors() override;
    AdapterInfo describeAdapter(const MonitorInfo& monitor) override;
    WindowId createWindow(const WindowRequest& request) override;
    void destroyWindow(WindowId id) override;
    void showWindow(WindowId id, bool show) override;
    void setWindowRect(WindowId id, const Rect& outer) override;
    void placeWindow(WindowId id, int left, int top, int clientWidth, int clientHeight) override;
    void setWindowStyle(WindowId id, uint32_t style) override;
    void setTopmost(WindowId id, bool topmost) override;
    Rect windowRect(WindowId id) override;
    Rect clientRect(WindowId id) override;
    double pixelRatio(WindowId id) override;
    void setRegion(WindowId id, const std::optional<Region>& region) override;
    void setCursor(WindowId id, CursorShape shape, const std::string& cursorFile) override;
    void setTitle(WindowId id, const std::string& title) override;
    void maximize(WindowId id) override;
    void clientToScreen(WindowId id, int& x, int& y) override;
    std::unique_ptr<gfx::Device> createDevice(WindowId id, const gfx::PresentParameters& params) override;
    void pumpEvents() override;
    void messageBox(WindowId parent, const std::string& text, const std::string& title, MessageBoxIcon icon) override;
    uint32_t trackPopupMenu(WindowId owner, const Menu& menu, int screenX, int screenY) override;
    bool pointerOver(WindowId id) override;
    void paintErrorBox(WindowId id, const Rect& box, const std::string& text) override;

    // The error box as painted into a window of the given size (device
    // pixels): black, with the text word-wrapped in a framed box of the
    // window colour, its letters sized for a desktop of that pixel ratio.
    static QImage errorBoxImage(int width, int height, const Rect& box, const std::string& text, double ratio = 1);

    // Off-screen runs (snapshots) create windows that are never shown.
    void setOffscreen(bool on) { offscreen_ = on; }
    HostWindow* host(WindowId id);

private:
    // Posts activate-application to our first window whenever the
    // application as a whole gains or loses activation.
    void watchApplicationState();

    // A window drawn inside another program's window.
    struct Embedding {
        uint64_t nativeParent = 0;
        std::unique_ptr<QWindow> parent;  // none for the root window
        std::unique_ptr<QTimer> watch;    // follows the parent's size
    };
    void embed(WindowId id, HostWindow* w, uint64_t nativeParent);
    void followParent(WindowId id);

    // Declared before the windows: a parent outlives its child.
    std::map<WindowId, Embedding> embeddings_;
    std::map<WindowId, std::unique_ptr<HostWindow>> windows_;
    WindowId nextId_ = 1;
    bool offscreen_ = false;
    std::unique_ptr<QObject> stateWatch_;  // destroyed first: no post to a dying window
};

}  // namespace tnx::win
