#include "settings/config_globe_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "platform/home/program_home.h"
#include "platform/win/colour_button.h"
#include "platform/win/dialog_placement.h"
#include "settings/config_name_dialog.h"
#include "platform/win/dialog_buttons.h"

namespace tnx::settings {

namespace {

QString id(int n) { return QString::number(n); }

constexpr std::array<const char*, GlobeConfiguration::kBands> kBandLabels = {
    "9000", "5000", "3000", "2000", "1000", "500", "200", "0", "-100", "-500",
    "0", "-50", "-200", "-1000", "-2000", "-4000", "-7000", "-11000"};

struct SliderRow {
    int id;
    const char* label;
    int min, max, page, tick;
};

}  // namespace

ConfigGlobeDialog::ConfigGlobeDialog(Configuration& config, Preview preview, QWidget* parent)
    : QDialog(parent), config_(config), preview_(std::move(preview)), original_(config.snapshot()) {
    setObjectName(id(kDialogId));
    setWindowTitle(QStringLiteral("Config Globe"));
    buildControls();
    fillThemes();
    showConfiguration();
}

bool ConfigGlobeDialog::landMaskPresent() {
    const QFileInfo file(QString::fromStdString(home::dataFile(kLandMaskFile).string()));
    return file.isFile() && file.size() == kLandMaskSize;
}

void ConfigGlobeDialog::buildControls() {
    auto* layout = new QVBoxLayout(this);

    auto* themeRow = new QHBoxLayout;
    themeRow->addWidget(new QLabel(QStringLiteral("Theme:"), this));
    themes_ = new QComboBox(this);
    themes_->setObjectName(id(1049));
    themes_->setMinimumContentsLength(16);
    themeRow->addWidget(themes_, 1);
    auto* saveButton = new QPushButton(QStringLiteral("Save as"), this);
    saveButton->setObjectName(id(1050));
    auto* deleteButton = new QPushButton(QStringLiteral("Delete"), this);
    deleteButton->setObjectName(id(1051));
    themeRow->addWidget(saveButton);
    themeRow->addWidget(deleteButton);
    layout->addLayout(themeRow);

    auto* middle = new QHBoxLayout;
    layout->addLayout(middle);

    // The elevation bands: land from the highest down, then the sea.
    auto* bandBox = new QGroupBox(QStringLiteral("Elevation colours (m)"), this);
    auto* bandGrid = new QGridLayout(bandBox);
    bandGrid->addWidget(new QLabel(QStringLiteral("Land"), bandBox), 0, 0);
    bandGrid->addWidget(new QLabel(QStringLiteral("Sea"), bandBox), 0, 1);
    for (int i = 0; i < GlobeConfiguration::kBands; ++i) {
        auto* b = new ColourButton(QString::fromLatin1(kBandLabels[size_t(i)]), bandBox);
        b->setObjectName(id(1015 + i));
        b->setMinimumWidth(84);
        bands_[size_t(i)] = b;
        const bool land = i < GlobeConfiguration::kLandBands;
        bandGrid->addWidget(b, 1 + (land ? i : i - GlobeConfiguration::kLandBands), land ? 0 : 1);
        connect(b, &QPushButton::clicked, this, [this, b] { chooseColour(b); });
    }
    auto check = [&](int n, const char* text, QWidget* owner) {
        auto* c = new QCheckBox(QString::fromLatin1(text), owner);
        c->setObjectName(id(n));
        connect(c, &QCheckBox::toggled, this, [this] { changed(); });
        return c;
    };
    shadeLand_ = check(1014, "Shade Land", bandBox);
    colorLand_ = check(1066, "Color Land", bandBox);
    shadeOcean_ = check(1033, "Shade Ocean", bandBox);
    colorOcean_ = check(1067, "Color Ocean", bandBox);
    landMask_ = check(1041, "High Resolution Land Mask", bandBox);
    bandGrid->addWidget(shadeLand_, 11, 0);
    bandGrid->addWidget(colorLand_, 12, 0);
    bandGrid->addWidget(shadeOcean_, 11, 1);
    bandGrid->addWidget(colorOcean_, 12, 1);
    bandGrid->addWidget(landMask_, 13, 0, 1, 2);
    landMask_->setVisible(landMaskPresent());
    middle->addWidget(bandBox);

    auto* right = new QVBoxLayout;
    middle->addLayout(right, 1);
    auto addSliders = [&](const char* title, std::initializer_list<SliderRow> rows,
                          std::initializer_list<QSlider**> targets) {
        auto* box = new QGroupBox(QString::fromLatin1(title), this);
        auto* grid = new QGridLayout(box);
        auto target = targets.begin();
        int row = 0;
        for (const SliderRow& s : rows) {
            auto* label = new QLabel(QString::fromLatin1(s.label), box);
            auto* slider = new QSlider(Qt::Horizontal, box);
            slider->setObjectName(id(s.id));
            slider->setRange(s.min, s.max);
            slider->setPageStep(s.page);
            slider->setSingleStep(1);
            slider->setTickInterval(s.tick);
            slider->setTickPosition(QSlider::TicksBelow);
            slider->setMinimumWidth(200);
            auto* value = new QLabel(box);
            value->setObjectName(id(s.id) + QStringLiteral("value"));
            value->setMinimumWidth(30);
            value->setNum(slider->value());
            connect(slider, &QSlider::valueChanged, value, [value](int v) { value->setNum(v); });
            connect(slider, &QSlider::valueChanged, this, [this] { changed(); });
            grid->addWidget(label, row, 0);
            grid->addWidget(slider, row, 1);
            grid->addWidget(value, row, 2);
            **target++ = slider;
            ++row;
        }
        right->addWidget(box);
        return grid;
    };
    QGridLayout* looks = addSliders(
        "Opacity and colour",
        {{1052, "Land Opacity", 0, 255, 20, 32},
         {1053, "Ocean Opacity", 0, 255, 20, 32},
         {1055, "Longitude,Latitude Opacity And Color", 0, 255, 20, 32},
         {1056, "Atmosphere Opacity And Color", 0, 255, 20, 32},
         {1054, "Amplyfy Altitude", 1, 100, 10, 10}},
        {&landOpacity_, &oceanOpacity_, &graticuleOpacity_, &atmosphereOpacity_, &exaggeration_});
    graticuleColour_ = new ColourButton({}, this);
    graticuleColour_->setObjectName(id(1057));
    atmosphereColour_ = new ColourButton({}, this);
    atmosphereColour_->setObjectName(id(1058));
    looks->addWidget(graticuleColour_, 2, 3);
    looks->addWidget(atmosphereColour_, 3, 3);
    connect(graticuleColour_, &QPushButton::clicked, this, [this] { chooseColour(graticuleColour_); });
    connect(atmosphereColour_, &QPushButton::clicked, this, [this] { chooseColour(atmosphereColour_); });
    addSliders("Texture",
               {{1083, "Saturation", 0, 200, 10, 100},
                {1084, "Brightness", 0, 200, 10, 100},
                {1086, "Red", 0, 200, 10, 100},
                {1087, "Green", 0, 200, 10, 100},
                {1088, "Blue", 0, 200, 10, 100}},
               {&saturation_, &brightness_, &red_, &green_, &blue_});
    addSliders("Night side", {{kCityLightsSlider, "City Lights", 0, 200, 10, 100}}, {&cityLights_});
    right->addStretch(1);

    platform::addOkCancel(this, layout);
    connect(saveButton, &QPushButton::clicked, this, [this] { saveAs(); });
    connect(deleteButton, &QPushButton::clicked, this, [this] { deleteTheme(); });
    connect(themes_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int i) { themeChosen(i); });
}

void ConfigGlobeDialog::fillThemes() {
    const bool was = showing_;
    showing_ = true;
    const GlobeConfigRecord& g = config_.globe();
    themes_->clear();
    themes_->addItem(QStringLiteral("random"));
    for (int i = 1; i < g.themeCount(); ++i) themes_->addItem(QString::fromStdString(g.theme(i).name));
    themes_->setCurrentIndex(g.currentTheme());
    showing_ = was;
}

void ConfigGlobeDialog::showConfiguration() {
    const bool was = showing_;
    showing_ = true;
    const GlobeConfigRecord& g = config_.globe();
    const GlobeConfiguration& c = g.live();
    shadeLand_->setChecked(c.options & GlobeConfiguration::kShadeLand);
    shadeOcean_->setChecked(c.options & GlobeConfiguration::kShadeOcean);
    landMask_->setChecked(landMask_->isVisibleTo(this) && (c.options & GlobeConfiguration::kHighResolutionLandMask));
    colorLand_->setChecked(c.options & GlobeConfiguration::kColorLand);
    colorOcean_->setChecked(c.options & GlobeConfiguration::kColorOcean);
    for (int i = 0; i < GlobeConfiguration::kBands; ++i) bands_[size_t(i)]->setColour(c.bandColors[size_t(i)]);
    graticuleColour_->setColour(c.graticuleColor);
    atmosphereColour_->setColour(c.atmosphereColor);
    landOpacity_->setValue(c.landOpacity);
    oceanOpacity_->setValue(c.oceanOpacity);
    graticuleOpacity_->setValue(c.graticuleOpacity);
    atmosphereOpacity_->setValue(c.atmosphereOpacity);
    exaggeration_->setValue(c.exaggeration);
    saturation_->setValue(c.saturation);
    brightness_->setValue(c.brightness);
    red_->setValue(c.red);
    green_->setValue(c.green);
    blue_->setValue(c.blue);
    cityLights_->setValue(100 + c.cityLights);
    themes_->setCurrentIndex(g.currentTheme());
    findChild<QPushButton*>(id(1050))->setEnabled(g.themeCount() < GlobeConfigRecord::kMaxThemes);
    findChild<QPushButton*>(id(1051))->setEnabled(g.themeCount() >= 2 && g.currentTheme() != 0);
    showing_ = was;
}

void ConfigGlobeDialog::readControls() {
    GlobeConfiguration& c = config_.globe().live();
    int32_t options = 0;
    if (shadeLand_->isChecked()) options |= GlobeConfiguration::kShadeLand;
    if (shadeOcean_->isChecked()) options |= GlobeConfiguration::kShadeOcean;
    if (landMask_->isChecked()) options |= GlobeConfiguration::kHighResolutionLandMask;
    if (colorLand_->isChecked()) options |= GlobeConfiguration::kColorLand;
    if (colorOcean_->isChecked()) options |= GlobeConfiguration::kColorOcean;
    c.options = options;
    for (int i = 0; i < GlobeConfiguration::kBands; ++i) c.bandColors[size_t(i)] = bands_[size_t(i)]->colour();
    c.graticuleColor = graticuleColour_->colour();
    // Only the colour bits of the atmosphere value are the button's.
    c.atmosphereColor = (c.atmosphereColor & 0xFF000000) | (atmosphereColour_->colour() & 0xFFFFFF);
    c.landOpacity = landOpacity_->value();
    c.oceanOpacity = oceanOpacity_->value();
    c.graticuleOpacity = graticuleOpacity_->value();
    c.atmosphereOpacity = atmosphereOpacity_->value();
    c.exaggeration = exaggeration_->value();
    c.saturation = saturation_->value();
    c.brightness = brightness_->value();
    c.red = red_->value();
    c.green = green_->value();
    c.blue = blue_->value();
    c.cityLights = cityLights_->value() - 100;
}

void ConfigGlobeDialog::changed() {
    if (showing_) return;
    readControls();
    if (preview_) preview_(config_.globe().live());
}

void ConfigGlobeDialog::chooseColour(ColourButton* button) {
    if (auto chosen = ColourButton::choose(button->colour(), this)) {
        button->setColour(*chosen);
        changed();
    }
}

void ConfigGlobeDialog::themeChosen(int index) {
    if (showing_ || index < 0) return;
    readControls();
    config_.globe().switchTheme(index);
    showConfiguration();
    if (preview_) preview_(config_.globe().live());
}

void ConfigGlobeDialog::saveAs() {
    GlobeConfigRecord& g = config_.globe();
    if (g.themeCount() >= GlobeConfigRecord::kMaxThemes) return;
    auto name = ConfigNameDialog::ask(g.proposedThemeName(), this);
    if (!name) return;
    readControls();
    g.saveThemeAs(*name);
    fillThemes();
    showConfiguration();
    storeThemes();
}

void ConfigGlobeDialog::deleteTheme() {
    if (!config_.globe().deleteCurrentTheme()) return;
    fillThemes();
    showConfiguration();
    if (preview_) preview_(config_.globe().live());
    storeThemes();
}

void ConfigGlobeDialog::storeThemes() {
    // Saving and deleting are the user's own acts: they stay whatever the
    // dialog ends with, so they go into the file now.
    if (!config_.saveThemes(original_.live))
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("The themes could not be written to %1.")
                                 .arg(QString::fromStdString(ConfigurationFile::fileName())));
}

void ConfigGlobeDialog::done(int result) {
    if (result == QDialog::Accepted) {
        readControls();
        config_.globe().live().reservedOption = 0;
        config_.markChanged();
    } else {
        config_.restore(original_);
        if (preview_) preview_(config_.globe().live());
    }
    QDialog::done(result);
}

bool ConfigGlobeDialog::run(Configuration& config, Preview preview, QWidget* parent) {
    ConfigGlobeDialog dialog(config, std::move(preview), parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace tnx::settings
