// A window system without a display: windows are records, devices are
// recording devices, message boxes and menus are remembered. Tests inject
// input by posting messages to messageQueue().
#pragma once

#include <map>

#include "platform/gfx/recording_device.h"
#include "platform/win/window_system.h"

namespace tnx::win {

class HeadlessWindowSystem : public WindowSystem {
public:
    struct Window {
        WindowRequest request;
        Rect rect;
        uint32_t style = 0;
        bool visible = false;
        bool topmost = false;
        bool maximized = false;
        std::optional<Region> region;
        CursorShape cursor = CursorShape::Arrow;
        std::string cursorFile;
        int errorPaints = 0;
        Rect lastErrorBox;
    };
    struct Box {
        WindowId parent;
        std::string text, title;
        MessageBoxIcon icon;
    };

    HeadlessWindowSystem();

    void setMonitors(std::vector<MonitorInfo> m) { monitors_ = std::move(m); }
    void setMenuChoice(uint32_t id) { menuChoice_ = id; }
    void failDeviceCreation(bool on) { failDevices_ = on; }
    // The desktop's scale, as a scaled desktop reports it for every window.
    void setPixelRatio(double ratio) { pixelRatio_ = ratio; }
    double pixelRatio(WindowId) override { return pixelRatio_; }

    std::vector<MonitorInfo> monitors() override;
    AdapterInfo describeAdapter(const MonitorInfo& monitor) override;
    void setAdapter(const AdapterInfo& a) { adapter_ = a; }
    WindowId createWindow(const WindowRequest& request) override;
    void destroyWindow(WindowId id) override;
    void showWindow(WindowId id, bool show) override;
    void setWindowRect(WindowId id, const Rect& outer) override;
    void placeWindow(WindowId id, int left, int top, int clientWidth, int clientHeight) override;
    void setWindowStyle(WindowId id, uint32_t style) override;
    void setTopmost(WindowId id, bool topmost) override;
    Rect windowRect(WindowId id) override;
    Rect clientRect(WindowId id) override;
    void setRegion(WindowId id, const std::optional<Region>& region) override;
    void setCursor(WindowId id, CursorShape shape, const std::string& cursorFile) override;
    void setTitle(WindowId id, const std::string& title) override;
    void maximize(WindowId id) override;
    void clientToScreen(WindowId id, int& x, int& y) override;
    std::unique_ptr<gfx::Device> createDevice(WindowId id, const gfx::PresentParameters& params) override;
    void pumpEvents() override {}
    void messageBox(WindowId parent, const std::string& text, const std::string& title, MessageBoxIcon icon) override;
    uint32_t trackPopupMenu(WindowId owner, const Menu& menu, int x, int y) override;
    void paintErrorBox(WindowId id, const Rect& box, const std::string& text) override;

    // --- inspection ---
    const std::map<WindowId, Window>& windows() const { return windows_; }
    Window* window(WindowId id);
    const std::vector<Box>& messageBoxes() const { return boxes_; }
    const std::vector<gfx::RecordingDevice*>& devices() const { return devices_; }
    const Menu* lastMenu() const { return lastMenu_.items.empty() ? nullptr : &lastMenu_; }
    int createdWindowCount() const { return nextId_ - 1; }

private:
    std::vector<MonitorInfo> monitors_;
    std::map<WindowId, Window> windows_;
    std::vector<Box> boxes_;
    std::vector<gfx::RecordingDevice*> devices_;
    Menu lastMenu_;
    uint32_t menuChoice_ = 0;
    std::optional<AdapterInfo> adapter_;
    bool failDevices_ = false;
    double pixelRatio_ = 1.0;
    WindowId nextId_ = 1;
};

}  // namespace tnx::win
