// The message queue: posted messages wait for the loop, sent messages reach
// their window procedure at once. Window procedures are registered per window.
#pragma once

#include <deque>
#include <functional>
#include <map>

#include "platform/win/messages.h"

namespace tnx::win {

using WindowProcedure = std::function<LParam(const Message&)>;

class MessageQueue {
public:
    void post(const Message& m) { queue_.push_back(m); }
    void postQuit(int exitCode) { post({0, kWmQuit, WParam(exitCode), 0}); }
    // Delivers at once to the window's procedure; 0 when it has none.
    LParam send(const Message& m);
    bool empty() const { return queue_.empty(); }
    // Takes the next posted message.
    bool take(Message& out);
    // Hands a message to its window's procedure.
    LParam dispatch(const Message& m) { return send(m); }

    void setProcedure(WindowId window, WindowProcedure proc) { procs_[window] = std::move(proc); }
    void removeProcedure(WindowId window) { procs_.erase(window); }
    void clear() { queue_.clear(); }
    size_t size() const { return queue_.size(); }

private:
    std::deque<Message> queue_;
    std::map<WindowId, WindowProcedure> procs_;
};

// The process-wide queue.
MessageQueue& messageQueue();

}  // namespace tnx::win
