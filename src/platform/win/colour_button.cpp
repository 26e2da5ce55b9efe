#include "platform/win/colour_button.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace tnx::platform {

namespace {
QColor toQColor(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }
uint32_t toColorRef(const QColor& q) { return uint32_t(q.red()) | uint32_t(q.green()) << 8 | uint32_t(q.blue()) << 16; }
}  // namespace

ColourButton::ColourButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setMinimumSize(48, 20);
}

void ColourButton::setColour(uint32_t colorRef) {
    colour_ = colorRef;
    setProperty("colour", uint(colorRef & 0xFFFFFF));
    update();
}

void ColourButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    p.drawControl(QStyle::CE_PushButton, option);
    const QRect inner = rect().adjusted(4, 4, -4, -4);
    const QColor fill = toQColor(colour_);
    p.fillRect(inner, fill);
    p.setPen(isEnabled() ? palette().color(QPalette::WindowText) : palette().color(QPalette::Mid));
    p.drawRect(inner.adjusted(0, 0, -1, -1));
    if (!text().isEmpty()) {
        // Labels stay readable on light and dark fills alike.
        p.setPen(fill.lightness() > 140 ? Qt::black : Qt::white);
        p.drawText(inner, Qt::AlignCenter, text());
    }
}

std::optional<uint32_t> ColourButton::choose(uint32_t current, QWidget* parent) {
    QColorDialog dialog(toQColor(current), parent);
    dialog.setObjectName(QStringLiteral("colourChooser"));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QColor chosen = dialog.selectedColor();
    if (!chosen.isValid()) return std::nullopt;
    return toColorRef(chosen);
}

}  // namespace tnx::platform
