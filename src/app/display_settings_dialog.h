// The Display Settings dialog: per-monitor renderer choice and full-screen
// render resolution. Controls carry their numeric ids as object names.
#pragma once

#include <string>
#include <vector>

#include "platform/win/messages.h"

class QWidget;

namespace tnx::app {

class SaverFramework;
struct Adapter;

// Help text ids 2200..2209 and their texts.
int displayHelpStringId(bool hasHardware, bool hardwareDisabled, bool hardwareCanRenderDesktop,
                        bool softwareCanRenderDesktop);
std::string displayHelpString(int id);
// The rendering line under the adapter name.
std::string renderingText(const Adapter& a);
// "%d by %d, %d bit color".
std::string modeText(uint32_t width, uint32_t height, int depth);

class DisplaySettingsDialog {
public:
    // Shows the dialog for the main monitor's adapter; OK keeps the changes,
    // Cancel restores the adapter records. Returns true on OK.
    static bool run(win::WindowId parent, SaverFramework& framework);
    // Builds the dialog without showing it (tests drive it).
    static QWidget* build(SaverFramework& framework, int adapterIndex);
};

}  // namespace tnx::app
