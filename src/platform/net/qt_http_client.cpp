#include "platform/net/qt_http_client.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <map>

namespace tnx::net {

namespace {

// Proxies as the desktop sets them ($https_proxy, $no_proxy), never for
// this machine's own addresses.
class DesktopProxies : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override {
        const QString host = query.peerHostName();
        if (host == QLatin1String("localhost") || QHostAddress(host).isLoopback()) return {QNetworkProxy::NoProxy};
        return systemProxyForQuery(query);
    }
};

}  // namespace

// The requests under way, on the network thread.
class HttpSession : public QObject {
public:
    HttpSession(HttpLimits limits, QtHttpClient& client) : limits_(std::move(limits)), client_(client) {}

    void start(uint64_t id, const QString& url) {
        if (!manager_) {
            manager_ = new QNetworkAccessManager(this);
            manager_->setProxyFactory(new DesktopProxies);
        }
        QNetworkRequest request{QUrl(url)};
        request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromStdString(limits_.userAgent));
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
        request.setMaximumRedirectsAllowed(limits_.maxRedirects);
        request.setTransferTimeout(limits_.stallMilliseconds);
        QNetworkReply* reply = manager_->get(request);
        Transfer& t = transfers_[id];
        t.reply = reply;
        auto* deadline = new QTimer(reply);
        deadline->setSingleShot(true);
        QObject::connect(deadline, &QTimer::timeout, reply, [this, id] { stop(id, "took too long"); });
        deadline->start(limits_.deadlineMilliseconds);
        QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [this, id](qint64 received, qint64 total) {
            const auto max = qint64(limits_.maxBodyBytes);
            if (received > max || total > max) stop(id, "answer too large");
        });
        QObject::connect(reply, &QNetworkReply::finished, this, [this, id] { finish(id); });
    }

    void cancel(uint64_t id) {
        auto it = transfers_.find(id);
        if (it == transfers_.end()) return;
        QNetworkReply* reply = it->second.reply;
        transfers_.erase(it);
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }

    void shutdown() {
        while (!transfers_.empty()) cancel(transfers_.begin()->first);
        delete manager_;
        manager_ = nullptr;
    }

private:
    struct Transfer {
        QNetworkReply* reply = nullptr;
        std::string stopped;  // why we ended it
    };

    void stop(uint64_t id, const char* why) {
        auto it = transfers_.find(id);
        if (it == transfers_.end() || !it->second.stopped.empty()) return;
        it->second.stopped = why;
        it->second.reply->abort();  // finished() follows
    }

    void finish(uint64_t id) {
        auto it = transfers_.find(id);
        if (it == transfers_.end()) return;
        QNetworkReply* reply = it->second.reply;
        HttpResult r;
        r.id = id;
        if (!it->second.stopped.empty()) {
            r.error = it->second.stopped;
        } else {
            const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            // Errors below 200 are the connection's (refused, reset, cut
            // short, timed out, redirected too often); the others come with
            // an HTTP status, which tells more.
            const int error = int(reply->error());
            if (status.isValid() && (error == 0 || error >= 200)) {
                r.status = status.toInt();
                const QByteArray body = reply->read(qint64(limits_.maxBodyBytes) + 1);
                if (size_t(body.size()) > limits_.maxBodyBytes) {
                    r.status = 0;
                    r.error = "answer too large";
                } else {
                    r.body.assign(body.begin(), body.end());
                }
            } else {
                r.error = reply->error() == QNetworkReply::OperationCanceledError ? std::string("no answer in time")
                                                                                  : reply->errorString().toStdString();
            }
        }
        transfers_.erase(it);
        reply->deleteLater();
        client_.deliver(std::move(r));
    }

    HttpLimits limits_;
    QtHttpClient& client_;
    QNetworkAccessManager* manager_ = nullptr;
    std::map<uint64_t, Transfer> transfers_;
};

QtHttpClient::QtHttpClient(HttpLimits limits) {
    session_ = new HttpSession(std::move(limits), *this);
    session_->moveToThread(&thread_);
    thread_.setObjectName("terranox-net");
    thread_.start();
}

QtHttpClient::~QtHttpClient() {
    QMetaObject::invokeMethod(session_, [this] { session_->shutdown(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete session_;
}

void QtHttpClient::get(uint64_t id, const std::string& url) {
    {
        std::lock_guard lock(mutex_);
        cancelled_.erase(id);
    }
    const QString u = QString::fromStdString(url);
    QMetaObject::invokeMethod(session_, [this, id, u] { session_->start(id, u); }, Qt::QueuedConnection);
}

void QtHttpClient::cancel(uint64_t id) {
    {
        std::lock_guard lock(mutex_);
        // A result already here is dropped now; one still coming is dropped
        // when it arrives (ids of requests long finished do not pile up).
        const size_t before = done_.size();
        std::erase_if(done_, [id](const HttpResult& r) { return r.id == id; });
        if (done_.size() == before) cancelled_.insert(id);
        while (cancelled_.size() > 4096) cancelled_.erase(cancelled_.begin());
    }
    QMetaObject::invokeMethod(session_, [this, id] { session_->cancel(id); }, Qt::QueuedConnection);
}

std::vector<HttpResult> QtHttpClient::takeResults() {
    std::lock_guard lock(mutex_);
    std::vector<HttpResult> out;
    out.swap(done_);
    return out;
}

void QtHttpClient::deliver(HttpResult result) {
    std::lock_guard lock(mutex_);
    if (cancelled_.erase(result.id)) return;
    done_.push_back(std::move(result));
}

std::unique_ptr<HttpClient> makeHttpClient(const HttpLimits& limits) {
    if (!QCoreApplication::instance()) return nullptr;
    return std::make_unique<QtHttpClient>(limits);
}

}  // namespace tnx::net
