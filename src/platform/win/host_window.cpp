#include "platform/win/host_window.h"

#include <QExposeEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLTexture>
#include <QWheelEvent>

#include "platform/gfx/gl_blit.h"
#include "platform/win/desktop_pixels.h"
#include "platform/win/message_queue.h"
#include "platform/win/native_window.h"

namespace tnx::win {

using gfx::drawTextureOverViewport;

HostWindow::HostWindow(WindowId id) : id_(id) {
    setSurfaceType(QSurface::OpenGLSurface);
    QSurfaceFormat fmt;
    fmt.setRenderableType(QSurfaceFormat::OpenGL);
    fmt.setProfile(QSurfaceFormat::CompatibilityProfile);
    fmt.setVersion(2, 1);
    setFormat(fmt);
    // The desktop has no begin/end of an interactive resize; a short quiet
    // period after the last size or move change stands for its end.
    sizeMoveTimer_.setSingleShot(true);
    sizeMoveTimer_.setInterval(150);
    QObject::connect(&sizeMoveTimer_, &QTimer::timeout, [this] { post(kWmExitSizeMove); });
}

HostWindow::~HostWindow() = default;

void HostWindow::post(uint32_t msg, WParam w, LParam l) { messageQueue().post({id_, msg, w, l}); }

WParam HostWindow::mouseKeys(Qt::MouseButtons b, Qt::KeyboardModifiers m) const {
    WParam w = 0;
    if (b & Qt::LeftButton) w |= kMkLButton;
    if (b & Qt::RightButton) w |= kMkRButton;
    if (b & Qt::MiddleButton) w |= kMkMButton;
    if (m & Qt::ShiftModifier) w |= kMkShift;
    if (m & Qt::ControlModifier) w |= kMkControl;
    return w;
}

LParam HostWindow::pointParam(const QPointF& p) const {
    // Qt divided the device pixel by the ratio; rounding undoes that exactly.
    const QPoint device = (p * devicePixelRatio()).toPoint();
    return makeLParam(device.x(), device.y());
}

QSize HostWindow::deviceSize() const {
    return deviceSize_.isValid() ? deviceSize_ : size() * devicePixelRatio();
}

void HostWindow::setDeviceSize(const QSize& size) {
    if (handle()) readDeviceSize();
    else deviceSize_ = size;
}

void HostWindow::readDeviceSize() {
    // Qt's size is in whole scaled pixels: times a fractional ratio it can
    // be a device pixel off the window's real size.
    if (handle() && NativeWindow::available())
        if (std::optional<NativeWindow::Size> s = NativeWindow::size(winId())) {
            deviceSize_ = QSize(s->width, s->height);
            return;
        }
    deviceSize_ = size() * devicePixelRatio();
}

bool HostWindow::event(QEvent* e) {
    switch (e->type()) {
        case QEvent::Close:
            // The shell decides whether closing ends the program.
            e->ignore();
            post(kWmClose);
            return true;
        // The application's own activation comes from the window system,
        // not from one window passing activation to another of ours.
        case QEvent::WindowActivate:
            post(kWmActivate, 1);
            break;
        case QEvent::WindowDeactivate:
            post(kWmActivate, 0);
            break;
        case QEvent::WindowStateChange:
            if (windowStates() & Qt::WindowMaximized)
                post(kWmSize, kSizeMaximized, makeLParam(deviceSize().width(), deviceSize().height()));
            break;
        default: break;
    }
    return QWindow::event(e);
}

void HostWindow::exposeEvent(QExposeEvent*) {
    if (!isExposed()) return;
    readDeviceSize();
    post(kWmPaint);
}

void HostWindow::resizeEvent(QResizeEvent*) {
    readDeviceSize();
    WParam kind = (windowStates() & Qt::WindowMaximized) ? kSizeMaximized : kSizeRestored;
    post(kWmSize, kind, makeLParam(deviceSize_.width(), deviceSize_.height()));
    sizeMoveTimer_.start();
}

void HostWindow::moveEvent(QMoveEvent*) {
    const QPoint at = toDevicePixels(position());
    post(kWmMove, 0, makeLParam(at.x(), at.y()));
    sizeMoveTimer_.start();
}

void HostWindow::mouseMoveEvent(QMouseEvent* e) {
    post(kWmSetCursor, WParam(id_), makeLParam(1, kWmMouseMove));
    post(kWmMouseMove, mouseKeys(e->buttons(), e->modifiers()), pointParam(e->position()));
}

namespace {
uint32_t buttonMessage(Qt::MouseButton b, uint32_t left, uint32_t right, uint32_t middle) {
    switch (b) {
        case Qt::LeftButton: return left;
        case Qt::RightButton: return right;
        case Qt::MiddleButton: return middle;
        default: return 0;
    }
}
}  // namespace

void HostWindow::mousePressEvent(QMouseEvent* e) {
    if (uint32_t m = buttonMessage(e->button(), kWmLButtonDown, kWmRButtonDown, kWmMButtonDown))
        post(m, mouseKeys(e->buttons(), e->modifiers()), pointParam(e->position()));
}

void HostWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (uint32_t m = buttonMessage(e->button(), kWmLButtonUp, kWmRButtonUp, kWmMButtonUp))
        post(m, mouseKeys(e->buttons(), e->modifiers()), pointParam(e->position()));
}

void HostWindow::mouseDoubleClickEvent(QMouseEvent* e) {
    if (uint32_t m = buttonMessage(e->button(), kWmLButtonDblClk, kWmRButtonDblClk, kWmMButtonDblClk))
        post(m, mouseKeys(e->buttons(), e->modifiers()), pointParam(e->position()));
}

void HostWindow::wheelEvent(QWheelEvent* e) {
    int delta = e->angleDelta().y();
    if (delta == 0) return;
    const QPoint g = toDevicePixels(e->globalPosition());
    post(kWmMouseWheel, makeWParam(int(mouseKeys(e->buttons(), e->modifiers())), delta), makeLParam(g.x(), g.y()));
}

void HostWindow::keyPressEvent(QKeyEvent* e) {
    uint32_t vk = virtualKeyFromQt(e->key());
    if (vk) post(kWmKeyDown, vk, e->isAutoRepeat() ? LParam(0x40000001) : 1);
    QString text = e->text();
    if (!text.isEmpty() && text[0].unicode() >= 0x20 && text[0].unicode() < 0x7F)
        post(kWmChar, WParam(text[0].unicode()), 1);
}

void HostWindow::keyReleaseEvent(QKeyEvent* e) {
    if (e->isAutoRepeat()) return;
    if (uint32_t vk = virtualKeyFromQt(e->key())) post(kWmKeyUp, vk, LParam(0xC0000001));
}

void HostWindow::showImage(const QImage& image) {
    if (!isExposed()) return;
    if (!blitContext_) {
        blitContext_ = std::make_unique<QOpenGLContext>();
        blitContext_->setFormat(format());
        if (!blitContext_->create()) {
            blitContext_.reset();
            return;
        }
    }
    if (!blitContext_->makeCurrent(this)) return;
    QOpenGLFunctions* f = blitContext_->functions();
    f->glViewport(0, 0, deviceSize().width(), deviceSize().height());
    f->glClearColor(0, 0, 0, 1);
    f->glClear(GL_COLOR_BUFFER_BIT);
    {
        QOpenGLTexture tex(image.mirrored());
        tex.setMinificationFilter(QOpenGLTexture::Nearest);
        tex.setMagnificationFilter(QOpenGLTexture::Nearest);
        drawTextureOverViewport(tex.textureId());
        tex.release();
    }
    blitContext_->swapBuffers(this);
    blitContext_->doneCurrent();
}

uint32_t virtualKeyFromQt(int k) {
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return uint32_t('A' + (k - Qt::Key_A));
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return uint32_t('0' + (k - Qt::Key_0));
    if (k >= Qt::Key_F1 && k <= Qt::Key_F12) return kVkF1 + uint32_t(k - Qt::Key_F1);
    switch (k) {
        case Qt::Key_Escape: return kVkEscape;
        case Qt::Key_Backspace: return kVkBack;
        case Qt::Key_Tab: return kVkTab;
        case Qt::Key_Return:
        case Qt::Key_Enter: return kVkReturn;
        case Qt::Key_Shift: return kVkShift;
        case Qt::Key_Control: return kVkControl;
        case Qt::Key_Alt: return kVkMenu;
        case Qt::Key_Space: return kVkSpace;
        case Qt::Key_PageUp: return kVkPrior;
        case Qt::Key_PageDown: return kVkNext;
        case Qt::Key_End: return kVkEnd;
        case Qt::Key_Home: return kVkHome;
        case Qt::Key_Left: return kVkLeft;
        case Qt::Key_Up: return kVkUp;
        case Qt::Key_Right: return kVkRight;
        case Qt::Key_Down: return kVkDown;
        case Qt::Key_Delete: return kVkDelete;
        // Main keyboard and keypad alike: + (also unshifted, "=") and -.
        case Qt::Key_Plus:
        case Qt::Key_Equal: return kVkOemPlus;
        case Qt::Key_Minus: return kVkOemMinus;
        case Qt::Key_BracketLeft:
        case Qt::Key_BraceLeft: return kVkOem4;
        case Qt::Key_Backslash:
        case Qt::Key_Bar: return kVkOem5;
        case Qt::Key_BracketRight:
        case Qt::Key_BraceRight: return kVkOem6;
        default: return 0;
    }
}

}  // namespace tnx::win
