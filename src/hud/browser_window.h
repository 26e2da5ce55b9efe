// A browser in its window form, as the dispatcher drives it: the list
// windows of the city and country tables and the text windows of the
// overview and the help. The windows report back through one callback, the
// dispatcher (operation, kind, value). This header is free of the platform;
// the makers are implemented by the Qt windows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "hud/browser_presenter.h"
#include "platform/win/messages.h"

namespace tnx::hud {

class BrowserTable;

// Operations of the browser window dispatcher.
enum DispatchOperation : int {
    kDispatchPick = 1,        // the user selected data row value - 1 in browser kind
    kDispatchClosed = 2,      // a window was closed: hide the browser
    kDispatchShow = 3,        // show (value != 0) or hide the window of a kind
    kDispatchSelect = 4,      // select row value in a list window
    kDispatchSwitchForm = 5,  // the window's "TOGGLE": back to the HUD form
    kDispatchRefresh = 6,     // refresh the city window's columns
    kDispatchSetText = 7,     // a text window's title (1) or body (2)
    kDispatchToggleMenu = 8,  // enable (value != 0) or grey "TOGGLE"
};
using BrowserDispatch = std::function<void(int operation, int kind, intptr_t value)>;

// What operation 7 carries: which text and the text itself.
struct WindowText {
    int which = 2;  // 1 the title, 2 the body
    std::string_view text;
};

class BrowserWindow {
public:
    // Menu command ids of the windows.
    static constexpr int kFindCommand = 2301;
    static constexpr int kToggleCommand = 2302;

    virtual ~BrowserWindow() = default;
    // On: shown without taking the focus. Off: hidden, an open "Find" closed.
    virtual void show(bool on) = 0;
    virtual bool isShown() const = 0;
    // Flag 0: a data row counted from 1; flag 1: a sorted position.
    virtual void select(int /*row*/, int /*flag*/) {}
    // No row selected, the list left where it is.
    virtual void clearSelection() {}
    // Selects the row the table finds for a name (Windows-1252).
    virtual void find(std::string_view /*text*/) {}
    virtual void setToggleEnabled(bool on) = 0;
    // Columns again (after the units or the rows changed).
    virtual void refreshColumns() {}
    // Text windows: 1 the title ("<title>-<text>"), 2 the body (Windows-1252).
    virtual void setText(int /*which*/, std::string_view /*text*/) {}
    // Placement and column widths into the preferences store.
    virtual void storeGeometry() = 0;
};

// The "Find" prompt of a browser, its window's or its panel's.
class FindPrompt {
public:
    virtual ~FindPrompt() = default;
    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

struct BrowserWindowSetup {
    BrowserKind kind = BrowserKind::City;
    std::string title;
    BrowserTable* table = nullptr;  // list windows
    BrowserDispatch dispatch;
    win::WindowId mainWindow = 0;   // where keys typed into the window go
};

// Window titles, which are also their keys in the preferences store.
const char* browserTitle(BrowserKind kind);

// The platform's windows (null when one cannot be made).
std::unique_ptr<BrowserWindow> makeListWindow(const BrowserWindowSetup& setup);
std::unique_ptr<BrowserWindow> makeTextWindow(const BrowserWindowSetup& setup);
// "Find City" (kind City) or "Find Country"; each changed text goes to onText.
std::unique_ptr<FindPrompt> makeFindDialog(BrowserKind kind, std::function<void(std::string_view)> onText);

}  // namespace tnx::hud
