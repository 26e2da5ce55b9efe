#include "app/display_settings_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/saver_framework.h"
#include "platform/win/dialog_buttons.h"

namespace tnx::app {

int displayHelpStringId(bool hasHw, bool hwDisabled, bool hwCanRender, bool swCanRender) {
    if (!hasHw) return swCanRender ? 2200 : 2201;
    if (hwDisabled) {
        if (swCanRender) return hwCanRender ? 2202 : 2203;
        return hwCanRender ? 2204 : 2205;
    }
    if (hwCanRender) return swCanRender ? 2206 : 2207;
    return swCanRender ? 2208 : 2209;
}

std::string displayHelpString(int id) {
    switch (id) {
        case 2200:
            return "This monitor has no OpenGL renderer of its own, but Terranox can draw on it at a reduced "
                   "render resolution that is scaled up to fill the screen.";
        case 2201:
            return "Terranox cannot draw on this monitor: no OpenGL renderer is available for it. Check that "
                   "your graphics driver (or Mesa) is installed.";
        case 2202:
            return "You have turned off full-resolution rendering on this monitor. Terranox draws at a reduced "
                   "render resolution here. Clear the check box to use the full resolution again.";
        case 2203:
            return "You have turned off full-resolution rendering on this monitor and the reduced resolution "
                   "cannot be used with the current desktop settings. Clear the check box.";
        case 2204:
            return "You have turned off full-resolution rendering on this monitor, and no reduced-resolution "
                   "renderer is available. Clear the check box so Terranox can draw here.";
        case 2205:
            return "You have turned off full-resolution rendering on this monitor and no other renderer can "
                   "draw with the current desktop settings, so this monitor stays black.";
        case 2206:
            return "Terranox draws on this monitor with its OpenGL renderer at the chosen render resolution. "
                   "\"Automatic\" uses the monitor's own resolution; smaller resolutions are faster and are "
                   "scaled to fill the screen.";
        case 2207:
            return "Terranox draws on this monitor with its OpenGL renderer. Only the full render resolution is "
                   "available with the current desktop settings.";
        case 2208:
            return "The OpenGL renderer cannot draw at full resolution with the current desktop settings; "
                   "Terranox uses a reduced render resolution on this monitor instead.";
        case 2209:
        default:
            return "With the current desktop settings no renderer can draw on this monitor. Try another "
                   "desktop colour depth or resolution.";
    }
}

std::string renderingText(const Adapter& a) {
    if (a.hasHardware && !a.settings.disableHardware)
        return "The application can use hardware 3D rendering on this monitor.";
    if (a.hasSoftware) return "The application can use software 3D rendering on this monitor.";
    return "The application cannot be displayed on this monitor.";
}

std::string modeText(uint32_t width, uint32_t height, int depth) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d by %d, %d bit color", int(width), int(height), depth);
    return buf;
}

namespace {

QString name(int id) { return QString::number(id); }

class Dialog : public QDialog {
public:
    Dialog(SaverFramework& fw, int adapterIndex) : fw_(fw), index_(adapterIndex) {
        setObjectName("200");
        setWindowTitle("Display Settings");
        Adapter& a = fw_.adapters()[size_t(index_)];
        auto* layout = new QVBoxLayout(this);
        auto* adapterName = new QLabel(QString::fromStdString(a.info.description), this);
        adapterName->setObjectName(name(2002));
        adapterName->setWordWrap(true);
        layout->addWidget(adapterName);
        rendering_ = new QLabel(this);
        rendering_->setObjectName(name(2003));
        rendering_->setWordWrap(true);
        layout->addWidget(rendering_);
        disable_ = new QCheckBox("&Disable hardware 3D rendering", this);
        disable_->setObjectName(name(2005));
        layout->addWidget(disable_);
        auto* automatic = new QLabel("Automatic", this);
        automatic->setObjectName(name(2012));
        automatic->hide();
        layout->addWidget(new QLabel("Full-screen render resolution:", this));
        modes_ = new QComboBox(this);
        modes_->setObjectName(name(2011));
        layout->addWidget(modes_);
        modes_->addItem(automatic->text());
        int selected = 0;
        for (size_t i = 0; i < a.modes.size(); ++i) {
            const auto& m = a.modes[i];
            modes_->addItem(QString::fromStdString(modeText(m.width, m.height, m.depth())));
            if (m.width == a.settings.width && m.height == a.settings.height && uint32_t(m.format) == a.settings.format)
                selected = int(i) + 1;
        }
        modes_->setCurrentIndex(selected);
        auto* help = platform::addOkCancel(this, layout).box->addButton("&Help", QDialogButtonBox::HelpRole);
        help->setObjectName(name(2004));
        connect(help, &QPushButton::clicked, this, [this] { showHelp(); });
        connect(disable_, &QCheckBox::toggled, this, [this](bool on) {
            fw_.adapters()[size_t(index_)].settings.disableHardware = on;
            refresh();
        });
        connect(modes_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int i) {
            Adapter& ad = fw_.adapters()[size_t(index_)];
            if (i <= 0) {
                ad.settings.width = ad.settings.height = ad.settings.format = 0;
            } else if (size_t(i - 1) < ad.modes.size()) {
                const auto& m = ad.modes[size_t(i - 1)];
                ad.settings.width = m.width;
                ad.settings.height = m.height;
                ad.settings.format = uint32_t(m.format);
            }
        });
        refresh();
    }

    void refresh() {
        Adapter& a = fw_.adapters()[size_t(index_)];
        rendering_->setText(QString::fromStdString(renderingText(a)));
        QSignalBlocker block(disable_);
        disable_->setEnabled(a.hasHardware);
        disable_->setChecked(a.settings.disableHardware);
    }

    void showHelp() {
        Adapter& a = fw_.adapters()[size_t(index_)];
        bool canRender = !a.modes.empty();
        int id = displayHelpStringId(a.hasHardware, a.settings.disableHardware, a.hasHardware && canRender,
                                     a.hasSoftware && canRender);
        QMessageBox box(QMessageBox::Information, QString::fromStdString(a.info.description),
                        QString::fromStdString(displayHelpString(id)), QMessageBox::Ok, this);
        box.setObjectName("helpBox");
        box.exec();
    }

private:
    SaverFramework& fw_;
    int index_;
    QLabel* rendering_;
    QCheckBox* disable_;
    QComboBox* modes_;
};

int mainAdapter(SaverFramework& fw) {
    for (const auto& m : fw.monitors())
        if (m.info.primary && m.adapter >= 0) return m.adapter;
    return fw.adapters().empty() ? -1 : 0;
}

}  // namespace

QWidget* DisplaySettingsDialog::build(SaverFramework& fw, int adapterIndex) { return new Dialog(fw, adapterIndex); }

bool DisplaySettingsDialog::run(win::WindowId, SaverFramework& fw) {
    int index = mainAdapter(fw);
    if (index < 0 || !qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
    std::vector<Adapter> copies = fw.adapters();
    Dialog d(fw, index);
    if (d.exec() == QDialog::Accepted) {
        fw.writeScreenSettings();
        return true;
    }
    fw.adapters() = copies;
    return false;
}

}  // namespace tnx::app
