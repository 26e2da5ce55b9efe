// HttpClient on Qt Network: a QNetworkAccessManager on a thread of its own,
// fed through queued calls; finished answers wait in a locked list. Needs a
// QCoreApplication (or QApplication) for that thread's event loop.
#pragma once

#include <memory>
#include <mutex>
#include <set>

#include <QThread>

#include "platform/net/http_client.h"

namespace tnx::net {

class HttpSession;

class QtHttpClient final : public HttpClient {
public:
    explicit QtHttpClient(HttpLimits limits);
    ~QtHttpClient() override;

    void get(uint64_t id, const std::string& url) override;
    void cancel(uint64_t id) override;
    std::vector<HttpResult> takeResults() override;

    // Called on the network thread with each finished request.
    void deliver(HttpResult result);

private:
    QThread thread_;
    HttpSession* session_ = nullptr;  // lives on thread_
    std::mutex mutex_;
    std::vector<HttpResult> done_;
    std::set<uint64_t> cancelled_;
};

}  // namespace tnx::net
