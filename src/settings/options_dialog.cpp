#include "settings/options_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMoveEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <QVBoxLayout>
#include <algorithm>
#include <tuple>

#include "platform/win/dialog_placement.h"
#include "platform/win/host_window.h"
#include "platform/win/message_queue.h"
#include "platform/win/qt_window_system.h"
#include "settings/config_globe_dialog.h"
#include "settings/option_block.h"
#include "platform/win/dialog_buttons.h"

namespace tnx::settings {

namespace {

QString id(int n) { return QString::number(n); }

class Dialog : public QDialog {
public:
    Dialog(Configuration& config, OptionsDialog::Hooks hooks) : config_(config), hooks_(std::move(hooks)) {
        setObjectName(id(OptionsDialog::kDialogId));
        setWindowTitle(QStringLiteral("Options"));
        setAttribute(Qt::WA_DeleteOnClose);
        setModal(false);
        auto* layout = new QVBoxLayout(this);
        auto* grid = new QGridLayout;
        layout->addLayout(grid);
        const OptionBlock& o = optionBlock();
        int row = 0;
        auto check = [&](int n, const char* text, bool on) {
            auto* c = new QCheckBox(QString::fromLatin1(text), this);
            c->setObjectName(id(n));
            c->setChecked(on);
            grid->addWidget(c, row / 2, row % 2);
            ++row;
            return c;
        };
        using F = OptionBlock::Field;
        auto flag = [&](int n, const char* text, F field, bool sendRedraw) {
            auto* c = check(n, text, o.on(field));
            connect(c, &QCheckBox::toggled, this, [this, field, sendRedraw](bool on) {
                optionBlock().set(field, on ? 1 : 0);
                redraw(sendRedraw);
            });
        };
        flag(OptionsDialog::kDrawCities, "Draw Cities", OptionBlock::kCities, false);
        flag(OptionsDialog::kDrawBoundary, "Draw Boundary", OptionBlock::kBoundaries, true);
        flag(OptionsDialog::kAtmosphere, "Atmosphere", OptionBlock::kAtmosphere, false);
        flag(OptionsDialog::kRivers, "River", OptionBlock::kRivers, false);
        flag(OptionsDialog::kDayNight, "Day/Night", OptionBlock::kDayNight, false);
        auto* lights = check(OptionsDialog::kCityLights, "City Lights", !o.on(OptionBlock::kCityLightsOff));
        connect(lights, &QCheckBox::toggled, this, [this](bool on) {
            optionBlock().set(OptionBlock::kCityLightsOff, on ? 0 : 1);
            redraw(false);
        });
        auto* metric = check(OptionsDialog::kMetricUnits, "Metric Units(meter,km)", o.on(OptionBlock::kMetricUnits));
        connect(metric, &QCheckBox::toggled, this, [this](bool on) {
            // The bar's handler flips the unit and tells the lists; it must
            // not flip what this box already set.
            if (optionBlock().on(OptionBlock::kMetricUnits) != on) {
                if (hooks_.mainWindow) sendCommand(OptionsDialog::kCmdMetric, true);
                else optionBlock().set(OptionBlock::kMetricUnits, on ? 1 : 0);
            }
            redraw(false);
        });
        for (auto [n, text, field] : {std::tuple{int(OptionsDialog::kIdleInactive), "Idle Inactive", OptionBlock::kIdleInactive},
                                      std::tuple{int(OptionsDialog::kIdleNoChanging), "Idle No Changing",
                                                 OptionBlock::kIdleNoChanging}}) {
            auto* c = check(n, text, o.on(field));
            const F f = field;
            connect(c, &QCheckBox::toggled, this, [f](bool on) { optionBlock().set(f, on ? 1 : 0); });
        }
        auto* status = check(OptionsDialog::kFloatingStatus, "Floating Status Messages",
                             hooks_.floatingStatusShown && hooks_.floatingStatusShown());
        status->setEnabled(bool(hooks_.floatingStatusShown));
        connect(status, &QCheckBox::toggled, this, [this] { sendCommand(OptionsDialog::kCmdFloatingStatus, false); });

        auto* entries = new QHBoxLayout;
        auto* globe = new QPushButton(QStringLiteral("Config Globe"), this);
        globe->setObjectName(id(OptionsDialog::kConfigGlobe));
        auto* colours = new QPushButton(QStringLiteral("Config"), this);
        colours->setObjectName(id(OptionsDialog::kStatusColours));
        colours->setEnabled(bool(hooks_.statusColours));
        entries->addWidget(globe);
        entries->addWidget(colours);
        layout->addLayout(entries);
        connect(globe, &QPushButton::clicked, this, [this] { configGlobe(); });
        connect(colours, &QPushButton::clicked, this, [this] { hooks_.statusColours(this); });

        // Every change is live: both buttons only close.
        platform::addOkCancel(this, layout, true);
    }

    void place() {
        const OptionBlock& o = optionBlock();
        const int left = o.get(OptionBlock::kOptionsLeft), top = o.get(OptionBlock::kOptionsTop);
        if (left == 0 && top == 0) {
            // Never moved yet: over the middle of the screen.
            adjustSize();
            platform::centerOnScreen(this);
            return;
        }
        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect s = screen ? screen->geometry() : QRect(0, 0, 1280, 1024);
        move(std::min(left, s.width() - 70), std::min(top, s.height() - 70));
    }

protected:
    void moveEvent(QMoveEvent* event) override {
        QDialog::moveEvent(event);
        if (!isVisible()) return;
        optionBlock().set(OptionBlock::kOptionsLeft, frameGeometry().left());
        optionBlock().set(OptionBlock::kOptionsTop, frameGeometry().top());
    }

private:
    void sendCommand(uint32_t command, bool now) {
        if (!hooks_.mainWindow) return;
        const win::Message m{hooks_.mainWindow, win::kWmCommand, command, 0};
        if (now) win::messageQueue().send(m);
        else win::messageQueue().post(m);
    }
    void redraw(bool now) { sendCommand(OptionsDialog::kCmdUpdateFrame, now); }

    void configGlobe() {
        // Not run in a loop of its own: the viewer keeps drawing, so every
        // change shows on the globe while the dialog is open.
        auto* dialog = new ConfigGlobeDialog(config_, hooks_.preview, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowModality(Qt::ApplicationModal);
        connect(dialog, &QDialog::accepted, this, [this] { sendCommand(OptionsDialog::kCmdResetGlobe, true); });
        dialog->adjustSize();
        // Beside the globe rather than over its middle.
        if (QScreen* screen = this->screen()) {
            const QRect area = screen->availableGeometry();
            const QSize size = dialog->frameGeometry().size();
            dialog->move(std::max(area.left(), area.right() - size.width() - 16),
                         std::max(area.top(), area.center().y() - size.height() / 2));
        }
        dialog->show();
    }

    Configuration& config_;
    OptionsDialog::Hooks hooks_;
};

QPointer<Dialog>& openDialog() {
    static QPointer<Dialog> d;
    return d;
}

}  // namespace

void OptionsDialog::open(Configuration& config, Hooks hooks) {
    QPointer<Dialog>& d = openDialog();
    if (!d) {
        const win::WindowId owner = hooks.mainWindow;
        d = new Dialog(config, std::move(hooks));
        d->place();
        // Owned by the main window: kept above it, even when it stays on top.
        auto* qt = dynamic_cast<win::QtWindowSystem*>(win::windowSystem());
        if (QWindow* host = qt && owner ? qt->host(owner) : nullptr) {
            d->winId();
            if (d->windowHandle()) d->windowHandle()->setTransientParent(host);
        }
    }
    d->show();
    d->raise();
    d->activateWindow();
}

void OptionsDialog::close() {
    if (QPointer<Dialog>& d = openDialog()) {
        d->close();
        delete d.data();
    }
}

QWidget* OptionsDialog::current() { return openDialog().data(); }

}  // namespace tnx::settings
