// "Options" (dialog 151): a modeless dialog over the main window with the
// view options of the HUD option block, the way to "Config Globe" and to
// the status window's colours. Each check box takes effect at once.
// Controls carry their numeric ids as object names.
#pragma once

#include <functional>

#include "platform/win/messages.h"
#include "settings/globe_configuration.h"

class QWidget;

namespace tnx::settings {

class Configuration;

class OptionsDialog {
public:
    static constexpr int kDialogId = 151;
    enum ControlId {
        kAtmosphere = 1070,
        kRivers = 1071,
        kDrawCities = 1072,
        kDrawBoundary = 1073,
        kDayNight = 1074,
        kMetricUnits = 1075,
        kFloatingStatus = 1076,
        kConfigGlobe = 1077,
        kStatusColours = 1078,
        kIdleInactive = 1079,
        kIdleNoChanging = 1080,
        kCityLights = 1081,  // our own
    };
    // Window commands it issues.
    enum Command : uint32_t {
        kCmdMetric = 1092,
        kCmdResetGlobe = 40031,
        kCmdFloatingStatus = 40049,
        kCmdUpdateFrame = 40051,
    };

    struct Hooks {
        win::WindowId mainWindow = 0;
        // Shows a configuration on the globe while "Config Globe" is open.
        std::function<void(const GlobeConfiguration&)> preview;
        // The floating status window; absent ones grey their controls.
        std::function<bool()> floatingStatusShown;
        std::function<void(QWidget*)> statusColours;
    };

    // Opens the dialog, or brings the open one forward.
    static void open(Configuration& config, Hooks hooks);
    static void close();
    // The open dialog, or null.
    static QWidget* current();
};

}  // namespace tnx::settings
