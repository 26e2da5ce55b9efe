// The screen saver's settings (dialog 152, titled "Terranox 2.1"): the
// saver camera's speed, program and near and far points, and the way to
// "Display Settings", "Mp3 Player Settings" and "Config Globe". OK writes
// "Terranox.ini". Controls carry their numeric ids as object names.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

class QWidget;

namespace tnx::settings {

class Configuration;

class ScreenSaverSettingsDialog {
public:
    static constexpr int kDialogId = 152;
    enum ControlId {
        kNearPoint = 1035,
        kFarPoint = 1036,
        kCam1 = 1037,
        kCam2 = 1038,
        kCam3 = 1039,
        kSpeed = 1040,
        kDisplaySettings = 1045,
        kMp3Settings = 1046,
        kConfigGlobe = 1047,
        kTimeLapse = 1048,  // our own: the sky's rate, 0 for real time
    };

    // The dialogs behind the buttons, opened over the given parent; an
    // absent one greys its button.
    struct Entries {
        std::function<void(QWidget*)> displaySettings;
        std::function<void(QWidget*)> mp3Settings;
    };

    // Runs the dialog modally; on OK the configuration is written. True on OK.
    static bool run(Configuration& config, Entries entries, QWidget* parent = nullptr);
    // Builds the dialog without running it (tests drive it); OK and Cancel
    // act as in run, but nothing is written.
    static QWidget* build(Configuration& config, Entries entries, QWidget* parent = nullptr);

    // A near or far point as typed: empty is 1, whole numbers are held to
    // 1 .. 99999, anything else is no number.
    static std::optional<int32_t> parsePoint(std::string_view text);
};

}  // namespace tnx::settings
