#include "platform/win/desktop_pixels.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "platform/win/host_window.h"
#include "platform/win/native_window.h"

namespace tnx::win {

QRect deviceGeometry(const QScreen& screen) {
    const QRect g = screen.geometry();
    QRect device(g.topLeft(), g.size() * screen.devicePixelRatio());
    // Qt rounds a screen's size to whole pixels of its own; scaled back, the
    // size can pass the display's by one.
    if (std::optional<NativeWindow::Size> root = NativeWindow::size(NativeWindow::root())) {
        device.setRight(std::min(device.right(), root->width - 1));
        device.setBottom(std::min(device.bottom(), root->height - 1));
    }
    return device;
}

namespace {
QScreen* primary() { return QGuiApplication::primaryScreen(); }
}  // namespace

QPoint toDevicePixels(const QPointF& p) {
    QScreen* s = QGuiApplication::screenAt(p.toPoint());
    if (!s) s = primary();
    if (!s) return p.toPoint();
    const QPointF corner = s->geometry().topLeft();
    return (corner + (p - corner) * s->devicePixelRatio()).toPoint();
}

QPoint fromDevicePixels(const QPoint& p) {
    QScreen* at = primary();
    for (QScreen* s : QGuiApplication::screens())
        if (deviceGeometry(*s).contains(p)) at = s;
    if (!at) return p;
    const QPointF corner = at->geometry().topLeft();
    return (corner + (QPointF(p) - corner) / at->devicePixelRatio()).toPoint();
}

QSize deviceSize(const QWindow& window) {
    if (auto* host = dynamic_cast<const HostWindow*>(&window)) return host->deviceSize();
    return window.size() * window.devicePixelRatio();
}

}  // namespace tnx::win
