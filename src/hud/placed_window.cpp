#include "hud/placed_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "platform/win/host_window.h"
#include "platform/win/message_queue.h"

namespace tnx::hud {

namespace {
// How long after showing the frame is still brought to where it belongs.
constexpr int kFitMilliseconds = 1500;

win::Rect toRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
QRect toQRect(const win::Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }
}  // namespace

PlacedWindow::PlacedWindow(const BrowserWindowSetup& setup, QSize defaultSize) : setup_(setup) {
    setWindowTitle(QString::fromStdString(setup_.title));
    setObjectName("Listviewclass");
    toggle_ = menuBar()->addAction("TOGGLE");
    toggle_->setObjectName(QString::number(BrowserWindow::kToggleCommand));
    connect(toggle_, &QAction::triggered, this, [this] {
        if (setup_.dispatch) setup_.dispatch(kDispatchSwitchForm, int(setup_.kind), 0);
    });
    saved_ = WindowGeometry::load(setup_.title);
    wanted_ = placement(saved_, defaultSize);
    move(wanted_.topLeft());
    resize(wanted_.size());
}

PlacedWindow::~PlacedWindow() = default;

std::vector<win::Rect> PlacedWindow::screenAreas() {
    std::vector<win::Rect> areas;
    if (QScreen* primary = QGuiApplication::primaryScreen()) areas.push_back(toRect(primary->availableGeometry()));
    for (QScreen* s : QGuiApplication::screens())
        if (s != QGuiApplication::primaryScreen()) areas.push_back(toRect(s->availableGeometry()));
    return areas;
}

QRect PlacedWindow::placement(const std::optional<WindowGeometry>& saved, QSize defaultSize) {
    const std::vector<win::Rect> screens = screenAreas();
    win::Rect fallback{0, 0, defaultSize.width(), defaultSize.height()};
    if (!screens.empty()) {
        const win::Rect& s = screens.front();
        const int left = s.left + (s.width() - defaultSize.width()) / 2, top = s.top + (s.height() - defaultSize.height()) / 2;
        fallback = {left, top, left + defaultSize.width(), top + defaultSize.height()};
    }
    const win::Rect wanted = saved ? saved->frame : win::Rect{};
    return toQRect(WindowGeometry::fitOnScreen(wanted, screens, fallback));
}

QWindow* PlacedWindow::viewerWindow(win::WindowId id) {
    for (QWindow* w : QGuiApplication::topLevelWindows())
        if (auto* host = dynamic_cast<win::HostWindow*>(w); host && (id == 0 || host->id() == id)) return host;
    return nullptr;
}

void PlacedWindow::showBrowser(bool on) {
    if (on) {
        if (isVisible()) return;
        // Owned by the viewer's window: a full-screen viewer does not hide it.
        // Only a dialog's window is kept above the window it belongs to.
        if (!owned_ && setup_.mainWindow) {
            if (QWindow* owner = viewerWindow(setup_.mainWindow)) {
                setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
                winId();
                if (QWindow* self = windowHandle()) self->setTransientParent(owner);
                owned_ = true;
            }
        }
        setAttribute(Qt::WA_ShowWithoutActivating, true);
        show();
        raise();
    } else {
        beforeHide();
        hide();
    }
}

void PlacedWindow::enableToggle(bool on) { toggle_->setEnabled(on); }

void PlacedWindow::storePlacement(const std::array<int32_t, WindowGeometry::kColumns>& widths) const {
    WindowGeometry g;
    const QRect frame = shownOnce_ ? frameGeometry() : wanted_;
    g.frame = toRect(frame);
    g.widths = widths;
    g.save(setup_.title);
}

void PlacedWindow::closeEvent(QCloseEvent* e) {
    // The window stays; the browser is hidden through its command, which
    // also unlights its button.
    e->ignore();
    beforeHide();
    if (setup_.dispatch) setup_.dispatch(kDispatchClosed, int(setup_.kind), 0);
}

void PlacedWindow::forwardKey(QKeyEvent* e, uint32_t message) {
    const uint32_t vk = win::virtualKeyFromQt(e->key());
    if (!vk || !setup_.mainWindow) {
        e->ignore();
        return;
    }
    win::messageQueue().post({setup_.mainWindow, message, vk, 0});
    e->accept();
}

void PlacedWindow::keyPressEvent(QKeyEvent* e) { forwardKey(e, win::kWmKeyDown); }
void PlacedWindow::keyReleaseEvent(QKeyEvent* e) { forwardKey(e, win::kWmKeyUp); }

void PlacedWindow::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!shownOnce_) {
        shownOnce_ = true;
        fitting_ = true;
        QTimer::singleShot(kFitMilliseconds, this, [this] { fitting_ = false; });
    }
    fitFrame();
}

void PlacedWindow::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    fitFrame();
}

void PlacedWindow::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    fitFrame();
}

void PlacedWindow::fitFrame() {
    if (!fitting_ || !isVisible()) return;
    const QRect frame = frameGeometry();
    const QSize decorations = frame.size() - size();
    const QSize client = wanted_.size() - decorations;
    if (client.width() > 0 && client.height() > 0 && size() != client) resize(client);
    if (frame.topLeft() != wanted_.topLeft()) move(wanted_.topLeft());
}

}  // namespace tnx::hud
