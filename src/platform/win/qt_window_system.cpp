#include "platform/win/qt_window_system.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QCursor>
#include <QFile>
#include <QIcon>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <cmath>

#include "platform/gfx/gl_device.h"
#include "platform/io/file_io.h"
#include "platform/win/cursor_file.h"
#include "platform/win/desktop_pixels.h"
#include "platform/win/host_window.h"
#include "platform/win/message_queue.h"
#include "platform/win/native_window.h"

namespace tnx::win {

QtWindowSystem::QtWindowSystem() {
    // Every window and dialog of the program carries its icon; the
    // desktop entry uses the same drawing.
    if (qGuiApp && QFile::exists(kProgramIcon)) QGuiApplication::setWindowIcon(QIcon(kProgramIcon));
}
QtWindowSystem::~QtWindowSystem() = default;

void QtWindowSystem::watchApplicationState() {
    if (stateWatch_ || !qGuiApp) return;
    stateWatch_ = std::make_unique<QObject>();
    // Qt's application state stays active while the focus moves between our
    // own windows, unlike each window's activation.
    QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, stateWatch_.get(),
                     [this](Qt::ApplicationState state) {
                         if (windows_.empty()) return;
                         messageQueue().post(
                             {windows_.begin()->first, kWmActivateApp, state == Qt::ApplicationActive ? 1u : 0u, 0});
                     });
}

HostWindow* QtWindowSystem::host(WindowId id) {
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : it->second.get();
}

std::vector<MonitorInfo> QtWindowSystem::monitors() {
    std::vector<MonitorInfo> out;
    const auto screens = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    int n = 0;
    for (QScreen* s : screens) {
        MonitorInfo m;
        m.deviceName = s->name().toStdString();
        QString desc = (s->manufacturer() + " " + s->model()).trimmed();
        m.description = desc.isEmpty() ? s->name().toStdString() : desc.toStdString();
        const QRect g = deviceGeometry(*s);
        m.rect = {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
        m.primary = s == primary;
        m.pixelRatio = s->devicePixelRatio();
        m.handle = ++n;
        m.refreshRate = s->refreshRate();
        m.depth = s->depth();
        out.push_back(m);
    }
    return out;
}

AdapterInfo QtWindowSystem::describeAdapter(const MonitorInfo& monitor) {
    // Probe the renderer once with a throw-away context.
    static std::optional<std::pair<bool, std::string>> probe;
    if (!probe) {
        QOpenGLContext ctx;
        QOffscreenSurface surface;
        surface.create();
        bool ok = ctx.create() && ctx.makeCurrent(&surface);
        std::string name = "OpenGL";
        if (ok) {
            const char* r = reinterpret_cast<const char*>(ctx.functions()->glGetString(GL_RENDERER));
            const char* v = reinterpret_cast<const char*>(ctx.functions()->glGetString(GL_VERSION));
            name = std::string(r ? r : "OpenGL") + " (OpenGL " + (v ? v : "?") + ")";
            ctx.doneCurrent();
        }
        probe = std::make_pair(ok, name);
    }
    AdapterInfo a;
    a.description = probe->second + " on " + monitor.deviceName;
    a.hasHardware = a.hasSoftware = probe->first;
    QByteArray digest = QCryptographicHash::hash(QByteArray::fromStdString(a.description), QCryptographicHash::Md5);
    for (size_t i = 0; i < a.identifier.size() && i < size_t(digest.size()); ++i) a.identifier[i] = uint8_t(digest[qsizetype(i)]);
    return a;
}

namespace {
Qt::WindowFlags flagsFor(uint32_t style, bool topmost) {
    Qt::WindowFlags f = Qt::Window;
    if (!(style & kWsCaption)) f |= Qt::FramelessWindowHint;
    if (topmost) f |= Qt::WindowStaysOnTopHint;
    return f;
}

bool framed(const QWindow* w) { return w->property("tnxStyle").toUInt() & kWsCaption; }

// A size in device pixels as Qt's pixels of the window's screen.
QSize qtSize(const QWindow* w, int width, int height) {
    const qreal dpr = w->devicePixelRatio();
    return {std::max(1, qRound(width / dpr)), std::max(1, qRound(height / dpr))};
}

// The decorations' share of the frame, in device pixels.
QSize frameExtra(const QWindow* w) {
    if (!framed(w)) return QSize(0, 0);  // QSize() would be -1 x -1
    const QMargins m = w->frameMargins();
    return QSize(m.left() + m.right(), m.top() + m.bottom()) * w->devicePixelRatio();
}

// A framed window is placed by its frame's corner (the window manager keeps
// that corner where asked) and sized by its client area: Qt's own geometry
// is the client area, while the rectangle the shell remembers is the frame.
// A borderless window's frame is its client area; a decoration still
// disappearing after a style change must not shift it. All in device pixels.
void place(HostWindow* w, int left, int top, int clientWidth, int clientHeight) {
    const QSize client = qtSize(w, clientWidth, clientHeight);
    const QPoint corner = fromDevicePixels(QPoint(left, top));
    if (!framed(w)) {
        w->setGeometry(QRect(corner, client));
    } else {
        w->resize(client);
        w->setFramePosition(corner);
    }
    w->setDeviceSize(QSize(std::max(1, clientWidth), std::max(1, clientHeight)));
}
}  // namespace

void QtWindowSystem::embed(WindowId id, HostWindow* w, uint64_t nativeParent) {
    Embedding& e = embeddings_[id];
    e.nativeParent = nativeParent;
    // Input stays with the manager: pointer events pass through to its
    // window and ours never takes the focus.
    Qt::WindowFlags flags = Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus;
    if (nativeParent == NativeWindow::root()) {
        // A child of the root is a top-level window: kept away from the
        // window manager and below everything else, like drawing on the root.
        w->setFlags(Qt::Window | Qt::BypassWindowManagerHint | flags);
    } else {
        e.parent.reset(QWindow::fromWinId(WId(nativeParent)));
        w->setFlags(flags);
        w->setParent(e.parent.get());
    }
    NativeWindow::Size size = NativeWindow::size(nativeParent).value_or(NativeWindow::Size{1, 1});
    w->setGeometry(QRect(QPoint(0, 0), qtSize(w, size.width, size.height)));
    w->setDeviceSize(QSize(size.width, size.height));
    e.watch = std::make_unique<QTimer>();
    e.watch->setInterval(250);
    QObject::connect(e.watch.get(), &QTimer::timeout, [this, id] { followParent(id); });
    e.watch->start();
}

void QtWindowSystem::followParent(WindowId id) {
    auto e = embeddings_.find(id);
    HostWindow* w = host(id);
    if (e == embeddings_.end() || !w) return;
    std::optional<NativeWindow::Size> size = NativeWindow::size(e->second.nativeParent);
    if (!size) {
        // The manager's window is gone: nothing left to draw in.
        e->second.watch->stop();
        messageQueue().post({id, kWmClose, 0, 0});
        return;
    }
    if (w->deviceSize() == QSize(size->width, size->height)) return;
    w->resize(qtSize(w, size->width, size->height));
    w->setDeviceSize(QSize(size->width, size->height));
}

WindowId QtWindowSystem::createWindow(const WindowRequest& request) {
    watchApplicationState();
    WindowId id = nextId_++;
    auto w = std::make_unique<HostWindow>(id);
    w->setTitle(QString::fromStdString(request.title));
    if (request.parent) {
        embed(id, w.get(), request.parent);
        if (!offscreen_) {
            w->show();
            if (!embeddings_[id].parent) w->lower();
        }
        windows_[id] = std::move(w);
        return id;
    }
    w->setFlags(flagsFor(request.style, request.topmost));
    if (request.monitor >= 0) {
        const auto screens = QGuiApplication::screens();
        if (request.monitor < screens.size()) w->setScreen(screens[request.monitor]);
    }
    w->setProperty("tnxStyle", request.style);
    w->setProperty("tnxTopmost", request.topmost);
    // Decorations are unknown until the window manager has framed the
    // window: without a client size the rectangle's size is taken for it.
    bool client = request.clientWidth > 0 && request.clientHeight > 0;
    place(w.get(), request.rect.left, request.rect.top, client ? request.clientWidth : request.rect.width(),
          client ? request.clientHeight : request.rect.height());
    if (request.visible && !offscreen_) w->show();
    windows_[id] = std::move(w);
    return id;
}

void QtWindowSystem::destroyWindow(WindowId id) {
    windows_.erase(id);
    embeddings_.erase(id);
}

void QtWindowSystem::showWindow(WindowId id, bool show) {
    if (auto* w = host(id)) {
        if (offscreen_) return;
        show ? w->show() : w->hide();
    }
}

void QtWindowSystem::setWindowRect(WindowId id, const Rect& r) {
    auto* w = host(id);
    if (!w) return;
    const QSize extra = frameExtra(w);
    place(w, r.left, r.top, r.width() - extra.width(), r.height() - extra.height());
}

void QtWindowSystem::placeWindow(WindowId id, int left, int top, int clientWidth, int clientHeight) {
    if (auto* w = host(id)) place(w, left, top, clientWidth, clientHeight);
}

void QtWindowSystem::setWindowStyle(WindowId id, uint32_t style) {
    if (auto* w = host(id)) {
        bool visible = w->isVisible();
        w->setProperty("tnxStyle", style);
        w->setFlags(flagsFor(style, w->property("tnxTopmost").toBool()));
        if (visible && !offscreen_) w->show();
    }
}

void QtWindowSystem::setTopmost(WindowId id, bool topmost) {
    if (auto* w = host(id)) {
        bool visible = w->isVisible();
        w->setProperty("tnxTopmost", topmost);
        w->setFlags(flagsFor(w->property("tnxStyle").toUInt(), topmost));
        if (visible && !offscreen_) w->show();
    }
}

Rect QtWindowSystem::windowRect(WindowId id) {
    auto* w = host(id);
    if (!w) return {};
    const QPoint corner = toDevicePixels(w->frameGeometry().topLeft());
    const QSize size = w->deviceSize() + frameExtra(w);
    return {corner.x(), corner.y(), corner.x() + size.width(), corner.y() + size.height()};
}

Rect QtWindowSystem::clientRect(WindowId id) {
    auto* w = host(id);
    if (!w) return {};
    return {0, 0, w->deviceSize().width(), w->deviceSize().height()};
}

double QtWindowSystem::pixelRatio(WindowId id) {
    auto* w = host(id);
    return w ? w->devicePixelRatio() : 1.0;
}

void QtWindowSystem::setRegion(WindowId id, const std::optional<Region>& region) {
    auto* w = host(id);
    if (!w) return;
    if (!region) {
        w->setMask(QRegion());
        return;
    }
    // Qt's pixels covering the device pixels of every rectangle.
    const qreal dpr = w->devicePixelRatio();
    QRegion r;
    for (const Rect& rc : region->rects) {
        const int left = int(std::floor(rc.left / dpr)), top = int(std::floor(rc.top / dpr));
        r += QRect(left, top, int(std::ceil(rc.right / dpr)) - left, int(std::ceil(rc.bottom / dpr)) - top);
    }
    // An empty region hides the whole window: keep one pixel off the client.
    if (r.isEmpty()) r = QRegion(QRect(-1, -1, 1, 1));
    w->setMask(r);
}

void QtWindowSystem::setCursor(WindowId id, CursorShape shape, const std::string& file) {
    auto* w = host(id);
    if (!w) return;
    switch (shape) {
        case CursorShape::None: w->setCursor(Qt::BlankCursor); return;
        case CursorShape::Arrow: w->setCursor(Qt::ArrowCursor); return;
        case CursorShape::SizeAll: w->setCursor(Qt::SizeAllCursor); return;
        case CursorShape::Wait: w->setCursor(Qt::WaitCursor); return;
        case CursorShape::FromFile: break;
    }
    static std::map<std::string, QCursor> cache;
    auto it = cache.find(file);
    if (it == cache.end()) {
        auto bytes = io::readWholeFile(file);
        auto img = bytes ? parseCursorFile(*bytes) : std::nullopt;
        if (!img) {
            w->setCursor(Qt::ArrowCursor);
            return;
        }
        QImage q(reinterpret_cast<const uchar*>(img->pixels.data()), img->width, img->height,
                 QImage::Format_ARGB32);
        it = cache.emplace(file, QCursor(QPixmap::fromImage(q.copy()), img->hotspotX, img->hotspotY)).first;
    }
    w->setCursor(it->second);
}

void QtWindowSystem::setTitle(WindowId id, const std::string& t) {
    if (auto* w = host(id)) w->setTitle(QString::fromStdString(t));
}

void QtWindowSystem::maximize(WindowId id) {
    if (auto* w = host(id)) w->showMaximized();
}

void QtWindowSystem::clientToScreen(WindowId id, int& x, int& y) {
    if (auto* w = host(id)) {
        const QPoint corner = toDevicePixels(w->mapToGlobal(QPoint(0, 0)));
        x += corner.x();
        y += corner.y();
    }
}

std::unique_ptr<gfx::Device> QtWindowSystem::createDevice(WindowId id, const gfx::PresentParameters& params) {
    auto* w = host(id);
    return gfx::GlDevice::create(offscreen_ ? nullptr : w, params);
}

void QtWindowSystem::pumpEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtWindowSystem::messageBox(WindowId, const std::string& text, const std::string& title,
                                MessageBoxIcon icon) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        return;
    }
    QMessageBox::Icon i = QMessageBox::NoIcon;
    switch (icon) {
        case MessageBoxIcon::Information: i = QMessageBox::Information; break;
        case MessageBoxIcon::Warning: i = QMessageBox::Warning; break;
        case MessageBoxIcon::Error: i = QMessageBox::Critical; break;
        case MessageBoxIcon::Question: i = QMessageBox::Question; break;
        case MessageBoxIcon::None: break;
    }
    QMessageBox box(i, QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok);
    box.setObjectName("messageBox");
    box.exec();
}

namespace {
void fillMenu(QMenu* q, const Menu& m) {
    for (const MenuItem& it : m.items) {
        switch (it.kind) {
            case MenuItem::Separator: q->addSeparator(); break;
            case MenuItem::Popup: {
                QMenu* sub = q->addMenu(QString::fromStdString(it.text));
                sub->setEnabled(!it.greyed);
                if (it.submenu) fillMenu(sub, *it.submenu);
                break;
            }
            case MenuItem::Command: {
                QAction* a = q->addAction(QString::fromStdString(it.text));
                a->setData(it.id);
                a->setCheckable(it.checked);
                a->setChecked(it.checked);
                a->setEnabled(!it.greyed);
                break;
            }
        }
    }
}
}  // namespace

bool QtWindowSystem::pointerOver(WindowId id) {
    HostWindow* w = host(id);
    if (!w || !w->isVisible()) return false;
    const QPoint at = QCursor::pos(w->screen());
    if (!QRect(QPoint(0, 0), w->size()).contains(w->mapFromGlobal(at))) return false;
    // Windows that let the pointer through (the floating status) do not count.
    QWindow* top = QGuiApplication::topLevelAt(at);
    return !top || top == w || top->flags().testFlag(Qt::WindowTransparentForInput);
}

uint32_t QtWindowSystem::trackPopupMenu(WindowId, const Menu& menu, int x, int y) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
    QMenu q;
    q.setObjectName("contextMenu");
    fillMenu(&q, menu);
    QAction* chosen = q.exec(fromDevicePixels(QPoint(x, y)));
    return chosen ? chosen->data().toUInt() : 0;
}

QImage QtWindowSystem::errorBoxImage(int width, int height, const Rect& box, const std::string& text, double ratio) {
    QImage img(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    img.fill(Qt::black);
    // The painter counts Qt's pixels, so the text has the desktop's size.
    img.setDevicePixelRatio(ratio);
    QPainter p(&img);
    const QRectF device(box.left, box.top, box.width(), box.height());
    const QRect r = QRectF(device.topLeft() / ratio, device.size() / ratio).toRect();
    QPalette pal = QGuiApplication::palette();
    p.fillRect(r, pal.color(QPalette::Window));
    p.setPen(Qt::black);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(pal.color(QPalette::WindowText));
    p.drawText(r.adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, QString::fromStdString(text));
    p.end();
    return img;
}

void QtWindowSystem::paintErrorBox(WindowId id, const Rect& box, const std::string& text) {
    auto* w = host(id);
    if (!w) return;
    w->showImage(errorBoxImage(w->deviceSize().width(), w->deviceSize().height(), box, text, w->devicePixelRatio()));
}

}  // namespace tnx::win
