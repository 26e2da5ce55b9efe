#include "platform/win/message_queue.h"

namespace tnx::win {

LParam MessageQueue::send(const Message& m) {
    auto it = procs_.find(m.window);
    if (it == procs_.end() || !it->second) return 0;
    // Copy: the procedure may replace itself while it runs.
    WindowProcedure proc = it->second;
    return proc(m);
}

bool MessageQueue::take(Message& out) {
    if (queue_.empty()) return false;
    out = queue_.front();
    queue_.pop_front();
    return true;
}

MessageQueue& messageQueue() {
    static MessageQueue q;
    return q;
}

}  // namespace tnx::win
