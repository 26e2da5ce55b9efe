// Window messages with the classic numeric ids and parameter packing. The
// viewer's logic (camera, HUD, scene, saver rules) reads these; the Qt window
// produces them from its events, and tests inject them directly.
#pragma once

#include <cstdint>

namespace tnx::win {

using WindowId = int32_t;  // 0 = none
using WParam = uintptr_t;
using LParam = intptr_t;

struct Message {
    WindowId window = 0;
    uint32_t id = 0;
    WParam wParam = 0;
    LParam lParam = 0;
};

enum MessageId : uint32_t {
    kWmCreate = 0x0001,
    kWmDestroy = 0x0002,
    kWmMove = 0x0003,
    kWmSize = 0x0005,
    kWmActivate = 0x0006,
    kWmSetFocus = 0x0007,
    kWmKillFocus = 0x0008,
    kWmPaint = 0x000F,
    kWmClose = 0x0010,
    kWmQuit = 0x0012,
    kWmEraseBkgnd = 0x0014,
    kWmActivateApp = 0x001C,
    kWmSetCursor = 0x0020,
    kWmKeyDown = 0x0100,
    kWmKeyUp = 0x0101,
    kWmChar = 0x0102,
    kWmSysKeyDown = 0x0104,
    kWmSysKeyUp = 0x0105,
    kWmInitDialog = 0x0110,
    kWmCommand = 0x0111,
    kWmSysCommand = 0x0112,
    kWmTimer = 0x0113,
    kWmMouseMove = 0x0200,
    kWmLButtonDown = 0x0201,
    kWmLButtonUp = 0x0202,
    kWmLButtonDblClk = 0x0203,
    kWmRButtonDown = 0x0204,
    kWmRButtonUp = 0x0205,
    kWmRButtonDblClk = 0x0206,
    kWmMButtonDown = 0x0207,
    kWmMButtonUp = 0x0208,
    kWmMButtonDblClk = 0x0209,
    kWmMouseWheel = 0x020A,
    kWmPowerBroadcast = 0x0218,
    kWmExitSizeMove = 0x0232,
    kWmUser = 0x0400,
};

// Mouse-message key state flags (in wParam).
enum MouseKeys : uint32_t {
    kMkLButton = 0x0001,
    kMkRButton = 0x0002,
    kMkShift = 0x0004,
    kMkControl = 0x0008,
    kMkMButton = 0x0010,
};

// wParam of kWmSize.
enum SizeKind : uint32_t { kSizeRestored = 0, kSizeMinimized = 1, kSizeMaximized = 2 };

// System commands (wParam of kWmSysCommand, low four bits masked off).
enum SysCommand : uint32_t {
    kScSize = 0xF000,
    kScMove = 0xF010,
    kScMinimize = 0xF020,
    kScMaximize = 0xF030,
    kScNextWindow = 0xF040,
    kScPrevWindow = 0xF050,
    kScClose = 0xF060,
    kScScreenSave = 0xF140,
    kScMonitorPower = 0xF170,
};

constexpr uint32_t kPbtApmSuspend = 0x0004;

// Virtual keys used by the viewer; letters and digits are their ASCII codes.
enum VirtualKey : uint32_t {
    kVkBack = 0x08,
    kVkTab = 0x09,
    kVkReturn = 0x0D,
    kVkShift = 0x10,
    kVkControl = 0x11,
    kVkMenu = 0x12,
    kVkEscape = 0x1B,
    kVkSpace = 0x20,
    kVkPrior = 0x21,
    kVkNext = 0x22,
    kVkEnd = 0x23,
    kVkHome = 0x24,
    kVkLeft = 0x25,
    kVkUp = 0x26,
    kVkRight = 0x27,
    kVkDown = 0x28,
    kVkDelete = 0x2E,
    kVkAdd = 0x6B,        // keypad +
    kVkSubtract = 0x6D,   // keypad -
    kVkF1 = 0x70,
    kVkOemPlus = 0xBB,    // the "=+" key
    kVkOemMinus = 0xBD,   // the "-_" key
    kVkOem4 = 0xDB,       // the "[{" key
    kVkOem5 = 0xDC,       // the "\|" key
    kVkOem6 = 0xDD,       // the "]}" key
};

constexpr uint16_t loWord(uintptr_t v) { return uint16_t(v & 0xFFFF); }
constexpr uint16_t hiWord(uintptr_t v) { return uint16_t((v >> 16) & 0xFFFF); }
constexpr LParam makeLParam(int lo, int hi) {
    return LParam(int32_t(uint32_t(uint16_t(lo)) | (uint32_t(uint16_t(hi)) << 16)));
}
constexpr WParam makeWParam(int lo, int hi) { return WParam(uint32_t(makeLParam(lo, hi))); }
// Signed pointer coordinates packed into lParam.
constexpr int xFromLParam(LParam l) { return int16_t(loWord(uintptr_t(l))); }
constexpr int yFromLParam(LParam l) { return int16_t(hiWord(uintptr_t(l))); }
// Wheel delta in the high word of wParam, multiples of 120.
constexpr int wheelDelta(WParam w) { return int16_t(hiWord(w)); }
constexpr int kWheelDelta = 120;

inline bool isMouseMessage(uint32_t id) { return id >= kWmMouseMove && id <= kWmMButtonDblClk; }

}  // namespace tnx::win
