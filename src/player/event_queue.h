// Pending events: a list guarded by a mutex and counted by a semaphore, so
// the event thread sleeps while there is nothing to do.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <semaphore>

#include "player/event.h"

namespace tnx::player {

class EventQueue {
public:
    // From any thread.
    void post(Event event);
    // Blocks until an event is there.
    Event take();
    // Returns at once; nothing when the queue is empty.
    std::optional<Event> tryTake();
    size_t size() const;

private:
    mutable std::mutex mutex_;
    std::deque<Event> events_;
    std::counting_semaphore<> count_{0};
};

}  // namespace tnx::player
