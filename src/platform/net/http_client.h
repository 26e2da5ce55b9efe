// Fetching over HTTP(S) without waiting: a request is started and its answer
// collected later, so the frame thread never blocks on the network.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tnx::net {

struct HttpLimits {
    std::string userAgent;       // names the program and its version
    int stallMilliseconds = 15000;    // no byte for this long ends a request
    int deadlineMilliseconds = 60000; // nor may it take longer than this
    int maxRedirects = 5;
    size_t maxBodyBytes = size_t(4) << 20;
};

struct HttpResult {
    uint64_t id = 0;
    int status = 0;              // HTTP status; 0 when none arrived
    std::vector<uint8_t> body;   // only with a status
    std::string error;           // why it failed, when it did
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    // Starts a GET and returns at once; its result (success or failure)
    // arrives through takeResults() on a later call.
    virtual void get(uint64_t id, const std::string& url) = 0;
    // Drops a request: no result comes for it.
    virtual void cancel(uint64_t id) = 0;
    // The results that arrived since the last call.
    virtual std::vector<HttpResult> takeResults() = 0;
};

// The client of this platform (Qt Network on a thread of its own).
std::unique_ptr<HttpClient> makeHttpClient(const HttpLimits& limits);

}  // namespace tnx::net
