// The overview or the help text as a window: one read-only multi-line text
// (control 1097) under a menu bar with "TOGGLE". Its title is the window's
// own followed by "-" and the text given as title (a country's name,
// "Readme.txt").
#pragma once

#include "hud/placed_window.h"

class QPlainTextEdit;

namespace tnx::hud {

class TextWindow : public PlacedWindow, public BrowserWindow {
public:
    static constexpr int kEditId = 1097;

    explicit TextWindow(const BrowserWindowSetup& setup);

    // BrowserWindow
    void show(bool on) override { showBrowser(on); }
    bool isShown() const override { return isVisible(); }
    void setToggleEnabled(bool on) override { enableToggle(on); }
    void setText(int which, std::string_view text) override;
    void storeGeometry() override { storePlacement({}); }

    QPlainTextEdit* edit() const { return edit_; }

private:
    QPlainTextEdit* edit_ = nullptr;
};

}  // namespace tnx::hud
