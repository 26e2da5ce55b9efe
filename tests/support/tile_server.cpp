#include "support/tile_server.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <map>
#include <mutex>

namespace tnx::test {

struct TileServer::Impl {
    Handler handler;
    QThread thread;
    QObject* anchor = nullptr;     // lives on `thread`
    QTcpServer* server = nullptr;  // lives on `thread`
    uint16_t port = 0;
    mutable std::mutex mutex;
    std::vector<std::string> requests;
    int waiting = 0;

    void change(int& value, int by) {
        std::lock_guard lock(mutex);
        value += by;
    }

    void accept() {
        while (QTcpSocket* socket = server->nextPendingConnection()) {
            change(waiting, 1);
            auto buffer = std::make_shared<QByteArray>();
            auto done = std::make_shared<bool>(false);
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket, done] {
                if (!*done) change(waiting, -1);
                *done = true;
                socket->deleteLater();
            });
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer, done] {
                buffer->append(socket->readAll());
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end < 0 || *done) return;
                const QList<QByteArray> line = buffer->left(buffer->indexOf("\r\n")).split(' ');
                const std::string path = line.size() > 1 ? line[1].toStdString() : std::string();
                {
                    std::lock_guard lock(mutex);
                    requests.push_back(path);
                }
                const ServerReply reply = handler(path);
                if (reply.kind == ServerReply::Kind::Hang) return;  // the socket stays open, silent
                *done = true;
                change(waiting, -1);
                QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + " X\r\n";
                head += "Content-Type: " + QByteArray::fromStdString(reply.contentType) + "\r\n";
                if (!reply.location.empty()) head += "Location: " + QByteArray::fromStdString(reply.location) + "\r\n";
                const size_t sent = reply.kind == ServerReply::Kind::CutShort ? reply.body.size() / 2 : reply.body.size();
                head += "Content-Length: " + QByteArray::number(qulonglong(reply.body.size())) + "\r\n";
                head += "Connection: close\r\n\r\n";
                socket->write(head);
                socket->write(reinterpret_cast<const char*>(reply.body.data()), qint64(sent));
                socket->disconnectFromHost();
            });
        }
    }
};

TileServer::TileServer(Handler handler) : impl_(std::make_unique<Impl>()) {
    impl_->handler = std::move(handler);
    impl_->anchor = new QObject;
    impl_->anchor->moveToThread(&impl_->thread);
    impl_->thread.start();
    QMetaObject::invokeMethod(
        impl_->anchor,
        [impl = impl_.get()] {
            impl->server = new QTcpServer;
            QObject::connect(impl->server, &QTcpServer::newConnection, impl->server, [impl] { impl->accept(); });
            impl->server->listen(QHostAddress::LocalHost, 0);
            impl->port = impl->server->serverPort();
        },
        Qt::BlockingQueuedConnection);
}

TileServer::~TileServer() {
    stop();
    impl_->thread.quit();
    impl_->thread.wait();
    delete impl_->anchor;
}

std::string TileServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(impl_->port) + "/" + path;
}

std::vector<std::string> TileServer::requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

int TileServer::waiting() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->waiting;
}

void TileServer::stop() {
    if (!impl_->server) return;
    QMetaObject::invokeMethod(
        impl_->server,
        [impl = impl_.get()] {
            impl->server->close();
            for (QTcpSocket* s : impl->server->findChildren<QTcpSocket*>()) s->abort();
            delete impl->server;
            impl->server = nullptr;
        },
        Qt::BlockingQueuedConnection);
}

}  // namespace tnx::test
