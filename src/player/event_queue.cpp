#include "player/event_queue.h"

namespace tnx::player {

void EventQueue::post(Event event) {
    {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    count_.release();
}

Event EventQueue::take() {
    // The semaphore counts the events, so a taker that got past it always
    // finds one.
    count_.acquire();
    std::lock_guard lock(mutex_);
    Event e = std::move(events_.front());
    events_.pop_front();
    return e;
}

std::optional<Event> EventQueue::tryTake() {
    if (!count_.try_acquire()) return std::nullopt;
    std::lock_guard lock(mutex_);
    Event e = std::move(events_.front());
    events_.pop_front();
    return e;
}

size_t EventQueue::size() const {
    std::lock_guard lock(mutex_);
    return events_.size();
}

}  // namespace tnx::player
