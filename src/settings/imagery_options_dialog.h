// The "Online imagery" group of the Options dialog: the layer, the source's
// URL template (empty: the NASA service), the disk cache's size and whether
// the screen saver goes online too. Each change is kept at once.
#pragma once

#include <functional>
#include <string>

class QGroupBox;
class QWidget;

namespace tnx::settings {

struct ImagerySettings;

class ImageryOptionsGroup {
public:
    enum ControlId {
        kLayer = 1100,
        kSource = 1101,
        kCacheSize = 1102,
        kSaverOnline = 1103,
        kSourceError = 1104,
    };
    // `check` answers why a template cannot be used (empty when it can);
    // `changed` is called after every change that was kept.
    static QGroupBox* make(QWidget* parent, ImagerySettings& settings,
                           std::function<std::string(const std::string&)> check, std::function<void()> changed);
};

}  // namespace tnx::settings
