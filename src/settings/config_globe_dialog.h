// "Config Globe": the globe's look — band colours, shading and colouring,
// opacities, graticule and atmosphere colours, exaggeration and the texture
// adjustments — with named themes. Every change shows on the globe at once
// through the preview; Cancel gives back the look live when it opened, while
// themes saved or deleted stay (and are written at once).
// Controls carry their numeric ids as object names.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "settings/configuration.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;

namespace tnx::platform {
class ColourButton;
}

namespace tnx::settings {

using platform::ColourButton;

class ConfigGlobeDialog : public QDialog {
public:
    // Shows a configuration on the globe while the dialog is open.
    using Preview = std::function<void(const GlobeConfiguration&)>;

    static constexpr int kDialogId = 143;
    // Our own control: the city lights' brightness in percent.
    static constexpr int kCityLightsSlider = 1089;
    static constexpr const char* kLandMaskFile = "globe04096.lan";
    static constexpr long long kLandMaskSize = 16789514;

    ConfigGlobeDialog(Configuration& config, Preview preview = {}, QWidget* parent = nullptr);

    // Runs the dialog modally: true on OK (the configuration changed).
    static bool run(Configuration& config, Preview preview = {}, QWidget* parent = nullptr);
    // The high-resolution land mask is offered only when its file is there.
    static bool landMaskPresent();

    void done(int result) override;

private:
    void buildControls();
    // Controls from the live configuration, without previewing.
    void showConfiguration();
    void fillThemes();
    // Controls into the live configuration.
    void readControls();
    // Something changed: read it and show it on the globe.
    void changed();
    void chooseColour(ColourButton* button);
    void themeChosen(int index);
    void saveAs();
    void deleteTheme();
    void storeThemes();

    Configuration& config_;
    Preview preview_;
    Configuration::Snapshot original_;
    bool showing_ = false;
    std::array<ColourButton*, GlobeConfiguration::kBands> bands_{};
    ColourButton* graticuleColour_ = nullptr;
    ColourButton* atmosphereColour_ = nullptr;
    QCheckBox* shadeLand_ = nullptr;
    QCheckBox* shadeOcean_ = nullptr;
    QCheckBox* landMask_ = nullptr;
    QCheckBox* colorLand_ = nullptr;
    QCheckBox* colorOcean_ = nullptr;
    QSlider* landOpacity_ = nullptr;
    QSlider* oceanOpacity_ = nullptr;
    QSlider* graticuleOpacity_ = nullptr;
    QSlider* exaggeration_ = nullptr;
    QSlider* atmosphereOpacity_ = nullptr;
    QSlider* saturation_ = nullptr;
    QSlider* brightness_ = nullptr;
    QSlider* red_ = nullptr;
    QSlider* green_ = nullptr;
    QSlider* blue_ = nullptr;
    QSlider* cityLights_ = nullptr;  // percent, 0 .. 200
    QComboBox* themes_ = nullptr;
};

}  // namespace tnx::settings
