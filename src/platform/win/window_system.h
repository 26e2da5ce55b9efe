// What the shell needs from the desktop: monitors, top-level windows with
// their styles, regions and cursors, a render device per window, message
// boxes and popup menus. Native events arrive as posted messages on
// messageQueue(). The Qt implementation drives real windows; the headless one
// lets tests run the shell with no display.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/win/messages.h"
#include "platform/win/popup_menu.h"
#include "platform/win/region.h"

namespace tnx::win {

struct MonitorInfo {
    std::string deviceName;   // e.g. "\\.\DISPLAY1" style name or the screen name
    std::string description;  // manufacturer and model
    Rect rect;                // in desktop coordinates
    bool primary = false;
    bool attached = true;
    bool mirroring = false;
    int handle = 0;           // non-zero for a monitor that can host a window
    double refreshRate = 60;
    int depth = 32;
    double pixelRatio = 1;    // the desktop's scale there (see WindowSystem::pixelRatio)
};

// Window styles the shell uses, with their classic bit values.
enum WindowStyle : uint32_t {
    kWsPopup = 0x80000000,
    kWsVisible = 0x10000000,
    kWsCaption = 0x00C00000,
    kWsSysMenu = 0x00080000,
    kWsThickFrame = 0x00040000,
    kWsMinimizeBox = 0x00020000,
    kWsMaximizeBox = 0x00010000,
};

struct WindowRequest {
    std::string title;
    Rect rect;                 // outer rectangle in desktop coordinates
    // When set, the client area's size: the window then has its outer
    // top-left corner at rect's and this client size, so a remembered
    // placement comes back exactly whatever the decorations measure.
    int clientWidth = 0, clientHeight = 0;
    uint32_t style = 0;        // kWs... bits: a caption means a framed window
    bool topmost = false;
    bool visible = true;
    int monitor = -1;          // index into monitors() the window belongs on, if any
    // A window of another program (a screen-saver manager's) to draw in: the
    // window fills it, follows its size, takes no input and gets a close
    // message when it goes away. The screen's root window is covered from
    // below every other window instead. `rect` is not used then.
    uint64_t parent = 0;
};

// The renderer behind a monitor, as the shell's device choice sees it. Here
// every monitor has its own adapter record: the OpenGL renderer on that
// screen. "Hardware" means an OpenGL context can be created; the
// "software" choice is the same renderer at a reduced render resolution.
struct AdapterInfo {
    std::array<uint8_t, 16> identifier{};
    std::string description;
    bool hasHardware = false;
    bool hasSoftware = false;
    gfx::Caps caps;
};

enum class CursorShape { None, Arrow, SizeAll, Wait, FromFile };

enum class MessageBoxIcon { None, Information, Warning, Error, Question };

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    virtual std::vector<MonitorInfo> monitors() = 0;
    virtual AdapterInfo describeAdapter(const MonitorInfo& monitor) = 0;

    virtual WindowId createWindow(const WindowRequest& request) = 0;
    virtual void destroyWindow(WindowId id) = 0;
    virtual void showWindow(WindowId id, bool show) = 0;
    virtual void setWindowRect(WindowId id, const Rect& outer) = 0;
    // Outer top-left corner and client size (see WindowRequest::clientWidth).
    virtual void placeWindow(WindowId id, int left, int top, int clientWidth, int clientHeight) = 0;
    virtual void setWindowStyle(WindowId id, uint32_t style) = 0;
    virtual void setTopmost(WindowId id, bool topmost) = 0;
    virtual Rect windowRect(WindowId id) = 0;
    // Client area in the window's own pixels (left/top 0).
    virtual Rect clientRect(WindowId id) = 0;
    // Empty region with explicitEmpty hides everything; std::nullopt removes the region.
    virtual void setRegion(WindowId id, const std::optional<Region>& region) = 0;
    virtual void setCursor(WindowId id, CursorShape shape, const std::string& cursorFile = {}) = 0;
    virtual void setTitle(WindowId id, const std::string& title) = 0;
    virtual void maximize(WindowId id) = 0;
    // Screen coordinates of a client point.
    virtual void clientToScreen(WindowId id, int& x, int& y) = 0;
    // The pointer is over the window's client area, and no other window of
    // ours lies over it there; true where that cannot be told.
    virtual bool pointerOver(WindowId /*id*/) { return true; }
    // Device pixels per pixel of an unscaled desktop where the window is
    // (the desktop's scale, 1.25, 1.5, 2 ...). Every coordinate of this
    // interface is in device pixels, the pixels frames are drawn in.
    virtual double pixelRatio(WindowId /*id*/) { return 1.0; }

    // A device rendering for the window at the given back-buffer size.
    virtual std::unique_ptr<gfx::Device> createDevice(WindowId id, const gfx::PresentParameters& params) = 0;

    // Turns waiting native events into posted messages.
    virtual void pumpEvents() = 0;

    virtual void messageBox(WindowId parent, const std::string& text, const std::string& title,
                            MessageBoxIcon icon) = 0;
    // Shows the menu at a screen point; returns the chosen command id or 0.
    virtual uint32_t trackPopupMenu(WindowId owner, const Menu& menu, int screenX, int screenY) = 0;

    // Paints the error box: black everywhere, the text in a framed box.
    virtual void paintErrorBox(WindowId id, const Rect& box, const std::string& text) = 0;
};

// The process-wide window system (Qt in the program, headless in unit tests).
WindowSystem* windowSystem();
void setWindowSystem(WindowSystem* ws);

}  // namespace tnx::win
