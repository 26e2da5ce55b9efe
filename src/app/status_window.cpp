#include "app/status_window.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QWidget>
#include <cmath>

#include "platform/text/text_encoding.h"
#include "platform/win/desktop_pixels.h"

namespace tnx::app {

namespace {

QColor fromColorRef(uint32_t c) { return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)); }

bool isDialogOrMenu(const QWidget* w) { return qobject_cast<const QDialog*>(w) || qobject_cast<const QMenu*>(w); }

QString fromWindows1252(std::string_view text) {
    return QString::fromStdString(text::windows1252ToUtf8(text));
}

class StatusWidget : public QWidget, public StatusSurface {
public:
    StatusWidget()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                               Qt::WindowTransparentForInput) {
        setObjectName("statusWindow");
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        font_.setFamily("Arial");
        font_.setPixelSize(16);
        font_.setWeight(QFont::Bold);
        setFont(font_);
        // Gone the moment a dialog or menu of ours appears, also when it runs
        // a loop of its own in which no frame updates this window.
        qApp->installEventFilter(this);
    }
    ~StatusWidget() override { qApp->removeEventFilter(this); }

    bool covered() const override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != this && w->isVisible() && isDialogOrMenu(w)) return true;
        return false;
    }

    // The shell counts device pixels; the widget, Qt's scaled ones.
    void measure(std::string_view text, int& width, int& height) override {
        QFontMetrics m(font_);
        const qreal r = devicePixelRatioF();
        width = int(std::ceil(m.horizontalAdvance(fromWindows1252(text)) * r));
        height = int(std::ceil(m.height() * r));
    }

    void present(const std::vector<PlacedText>& texts, int x, int y, int width, int height) override {
        texts_ = texts;
        const qreal r = devicePixelRatioF();
        setGeometry(QRect(win::fromDevicePixels(QPoint(x, y)),
                          QSize(std::max(int(std::ceil(width / r)), 1), std::max(int(std::ceil(height / r)), 1))));
        if (!isVisible()) show();
        update();
    }

    void hide() override { QWidget::hide(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched != this && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow() && isDialogOrMenu(static_cast<QWidget*>(watched)))
            QWidget::hide();
        return false;
    }

    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setFont(font_);
        const qreal scale = devicePixelRatioF();
        for (const PlacedText& t : texts_) {
            const int left = int(t.x / scale);
            QRect r(left, 0, int(std::ceil((t.x + t.width) / scale)) - left, height());
            p.fillRect(r, fromColorRef(t.backgroundColour));
            p.setPen(fromColorRef(t.textColour));
            p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, fromWindows1252(t.text));
        }
    }

private:
    QFont font_;
    std::vector<PlacedText> texts_;
};

}  // namespace

std::unique_ptr<StatusSurface> StatusWindow::create() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
    return std::make_unique<StatusWidget>();
}

}  // namespace tnx::app
