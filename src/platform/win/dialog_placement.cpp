#include "platform/win/dialog_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tnx::platform {

void centerOnScreen(QWidget* widget) {
    QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect area = screen->availableGeometry();
    QSize size = widget->frameGeometry().size();
    widget->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

}  // namespace tnx::platform
