// A top-level Qt window that turns its events into posted window messages.
#pragma once

#include <QTimer>
#include <QWindow>

#include "platform/win/messages.h"

class QOpenGLContext;

namespace tnx::win {

class HostWindow : public QWindow {
public:
    explicit HostWindow(WindowId id);
    ~HostWindow() override;
    WindowId id() const { return id_; }
    // Shows an image filling the window (used for the error box).
    void showImage(const QImage& image);
    // The client area in device pixels: as the display has it once the
    // window is there, before that as asked for.
    QSize deviceSize() const;
    // A new size asked for: taken from the display once the window is there.
    void setDeviceSize(const QSize& size);

protected:
    bool event(QEvent* e) override;
    void exposeEvent(QExposeEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    void post(uint32_t msg, WParam w = 0, LParam l = 0);
    WParam mouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) const;
    LParam pointParam(const QPointF& p) const;
    // Takes the client size from the display.
    void readDeviceSize();

    WindowId id_;
    QTimer sizeMoveTimer_;
    std::unique_ptr<QOpenGLContext> blitContext_;
    QSize deviceSize_;
};

// Maps a Qt key to the virtual-key code the viewer reads (0 when unknown).
uint32_t virtualKeyFromQt(int qtKey);

}  // namespace tnx::win
