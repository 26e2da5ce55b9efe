#include "settings/screen_saver_settings_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>

#include "settings/config_globe_dialog.h"
#include "platform/win/dialog_buttons.h"

namespace tnx::settings {

namespace {

QString id(int n) { return QString::number(n); }

using S = ScreenSaverSettingsDialog;

class Dialog : public QDialog {
public:
    Dialog(Configuration& config, S::Entries entries, QWidget* parent);
    void done(int result) override;

private:
    // Reads the controls; false (with a message) when a point is no number.
    bool readControls();

    Configuration& config_;
    S::Entries entries_;
    Configuration::Snapshot original_;
    QSlider* speed_;
    QRadioButton* cams_[3];
    QLineEdit* near_;
    QLineEdit* far_;
    QDoubleSpinBox* timeLapse_;
};

Dialog::Dialog(Configuration& config, S::Entries entries, QWidget* parent)
    : QDialog(parent), config_(config), entries_(std::move(entries)), original_(config.snapshot()) {
    using enum S::ControlId;
    setObjectName(id(S::kDialogId));
    setWindowTitle(QStringLiteral("Terranox 2.1"));
    const GlobeConfiguration& c = config_.globe().live();
    auto* layout = new QVBoxLayout(this);

    auto* camera = new QGroupBox(QStringLiteral("Camera settings for screensaver"), this);
    auto* form = new QFormLayout(camera);
    speed_ = new QSlider(Qt::Horizontal, camera);
    speed_->setObjectName(id(kSpeed));
    speed_->setRange(0, 100);
    speed_->setPageStep(10);
    speed_->setSingleStep(1);
    speed_->setTickInterval(20);
    speed_->setTickPosition(QSlider::TicksBelow);
    speed_->setValue(c.cameraSpeed);
    form->addRow(QStringLiteral("Speed"), speed_);
    auto* cams = new QHBoxLayout;
    const char* camNames[3] = {"Cam1", "Cam2", "Cam3"};
    for (int i = 0; i < 3; ++i) {
        cams_[i] = new QRadioButton(QString::fromLatin1(camNames[i]), camera);
        cams_[i]->setObjectName(id(kCam1 + i));
        cams->addWidget(cams_[i]);
    }
    cams_[std::clamp(c.cameraProgram, 1, 3) - 1]->setChecked(true);
    form->addRow(QStringLiteral("Camera"), cams);
    auto edit = [&](int n, int32_t value) {
        auto* e = new QLineEdit(QString::number(value), camera);
        e->setObjectName(id(n));
        e->setMaxLength(5);
        return e;
    };
    near_ = edit(kNearPoint, c.cameraNearKm);
    far_ = edit(kFarPoint, c.cameraFarKm);
    form->addRow(QStringLiteral("Near point (km)"), near_);
    form->addRow(QStringLiteral("Far point (km)"), far_);
    // Seconds of the sky per second shown: 3600 shows an hour each second.
    timeLapse_ = new QDoubleSpinBox(camera);
    timeLapse_->setObjectName(id(kTimeLapse));
    timeLapse_->setRange(-TimeLapseRecord::kMaxRate, TimeLapseRecord::kMaxRate);
    timeLapse_->setDecimals(2);
    timeLapse_->setValue(config_.timeLapse());
    timeLapse_->setToolTip(QStringLiteral("Simulated seconds per real second; 0 is real time"));
    form->addRow(QStringLiteral("Time-lapse (0 = real time)"), timeLapse_);
    layout->addWidget(camera);

    auto* more = new QHBoxLayout;
    auto entry = [&](int n, const char* text, const std::function<void(QWidget*)>& open) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(id(n));
        b->setEnabled(bool(open));
        more->addWidget(b);
        return b;
    };
    auto* display = entry(kDisplaySettings, "Display Settings", entries_.displaySettings);
    auto* mp3 = entry(kMp3Settings, "Mp3 Player Settings", entries_.mp3Settings);
    auto* globe = entry(kConfigGlobe, "Config Globe", [](QWidget*) {});
    layout->addLayout(more);
    connect(display, &QPushButton::clicked, this, [this] { entries_.displaySettings(this); });
    connect(mp3, &QPushButton::clicked, this, [this] { entries_.mp3Settings(this); });
    connect(globe, &QPushButton::clicked, this, [this] { ConfigGlobeDialog::run(config_, {}, this); });

    platform::addOkCancel(this, layout);
}

bool Dialog::readControls() {
    const auto nearKm = S::parsePoint(near_->text().toStdString());
    const auto farKm = S::parsePoint(far_->text().toStdString());
    if (!nearKm || !farKm) {
        QLineEdit* wrong = nearKm ? far_ : near_;
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("The %1 point must be a whole number of kilometres from 1 to 99999.")
                                 .arg(nearKm ? QStringLiteral("far") : QStringLiteral("near")));
        wrong->setFocus();
        wrong->selectAll();
        return false;
    }
    GlobeConfiguration& c = config_.globe().live();
    c.cameraSpeed = speed_->value();
    c.cameraNearKm = *nearKm;
    c.cameraFarKm = *farKm;
    c.cameraProgram = cams_[1]->isChecked() ? 2 : cams_[2]->isChecked() ? 3 : 1;
    config_.setTimeLapse(float(timeLapse_->value()));
    near_->setText(QString::number(c.cameraNearKm));
    far_->setText(QString::number(c.cameraFarKm));
    return true;
}

void Dialog::done(int result) {
    if (result == QDialog::Accepted) {
        if (!readControls()) return;  // stays open until the points are numbers
    } else {
        config_.restore(original_);
    }
    QDialog::done(result);
}

}  // namespace

std::optional<int32_t> ScreenSaverSettingsDialog::parsePoint(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.empty()) return 1;
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    long long v = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error == std::errc::result_out_of_range && end == text.data() + text.size())
        return text.front() == '-' ? 1 : 99999;
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return int32_t(std::clamp<long long>(v, 1, 99999));
}

QWidget* ScreenSaverSettingsDialog::build(Configuration& config, Entries entries, QWidget* parent) {
    return new Dialog(config, std::move(entries), parent);
}

bool ScreenSaverSettingsDialog::run(Configuration& config, Entries entries, QWidget* parent) {
    Dialog dialog(config, std::move(entries), parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    config.save();
    return true;
}

}  // namespace tnx::settings
