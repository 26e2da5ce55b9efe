// The floating status window on the desktop: a small frameless window that
// never takes the focus or the mouse (both stay with the main window under
// it), painting each text on its slot's background.
#pragma once

#include <memory>

#include "app/floating_status.h"

namespace tnx::app {

class StatusWindow {
public:
    // The window, or null without a widget application (no display).
    static std::unique_ptr<StatusSurface> create();
};

}  // namespace tnx::app
