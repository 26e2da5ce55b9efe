// A small HTTP server on 127.0.0.1 for the imagery tests, on a thread of its
// own: each request's path goes to a handler (on that thread), whose reply
// is sent, held back for ever, or cut short. Needs a QCoreApplication.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tnx::test {

struct ServerReply {
    enum class Kind { Answer, Hang, CutShort };
    Kind kind = Kind::Answer;
    int status = 200;
    std::string contentType = "image/jpeg";
    std::string location;  // sent as Location (redirects)
    std::vector<uint8_t> body;
};

class TileServer {
public:
    using Handler = std::function<ServerReply(const std::string& path)>;
    explicit TileServer(Handler handler);
    ~TileServer();
    TileServer(const TileServer&) = delete;
    std::string url(const std::string& path = "") const;  // http://127.0.0.1:PORT/path
    // The paths asked for so far, in order.
    std::vector<std::string> requests() const;
    // Connections accepted but not yet answered or closed.
    int waiting() const;
    // Stops listening and drops every connection.
    void stop();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace tnx::test
