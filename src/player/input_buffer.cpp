#include "player/input_buffer.h"

#include <algorithm>
#include <cstring>

namespace tnx::player {

InputBuffer::InputBuffer(size_t capacity) : ring_(std::max<size_t>(capacity, 1024)) {}

size_t InputBuffer::fill() const {
    std::lock_guard lock(mutex_);
    return size_;
}

bool InputBuffer::write(const uint8_t* data, size_t n) {
    std::unique_lock lock(mutex_);
    while (n > 0) {
        changed_.wait(lock, [&] { return aborted_ || size_ < ring_.size(); });
        if (aborted_) return false;
        size_t tail = (head_ + size_) % ring_.size();
        size_t take = std::min({n, ring_.size() - size_, ring_.size() - tail});
        std::memcpy(ring_.data() + tail, data, take);
        size_ += take;
        data += take;
        n -= take;
        changed_.notify_all();
    }
    return true;
}

void InputBuffer::finish(int32_t error) {
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
        error_ = error;
    }
    changed_.notify_all();
}

size_t InputBuffer::read(uint8_t* out, size_t max) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return aborted_ || size_ > 0 || ended_; });
    if (aborted_ || size_ == 0) return 0;
    size_t done = 0;
    while (done < max && size_ > 0) {
        size_t take = std::min({max - done, size_, ring_.size() - head_});
        std::memcpy(out + done, ring_.data() + head_, take);
        head_ = (head_ + take) % ring_.size();
        size_ -= take;
        done += take;
    }
    changed_.notify_all();
    return done;
}

bool InputBuffer::ended() const {
    std::lock_guard lock(mutex_);
    return ended_;
}

int32_t InputBuffer::endError() const {
    std::lock_guard lock(mutex_);
    return error_;
}

bool InputBuffer::waitForPreBuffer(size_t amount, const std::function<void(const char*)>& report,
                                   std::chrono::milliseconds step) {
    std::unique_lock lock(mutex_);
    if (aborted_) return false;
    if (size_ * 2 >= amount) return true;
    auto ready = [&] { return aborted_ || ended_ || size_ >= amount || size_ * 10 > ring_.size() * 9; };
    lock.unlock();
    report("Buffering up...");
    lock.lock();
    // A stream shorter than the pre-buffer amount would never fill it: its
    // end counts as ready too.
    while (!ready()) changed_.wait_for(lock, step);
    if (aborted_) return false;
    lock.unlock();
    report("Playing stream...");
    return true;
}

void InputBuffer::abort() {
    aborted_ = true;
    std::lock_guard lock(mutex_);
    changed_.notify_all();
}

}  // namespace tnx::player
