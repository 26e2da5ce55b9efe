#include "player/output_buffer.h"

namespace tnx::player {

bool OutputBuffer::push(PcmBlock block) {
    std::unique_lock lock(mutex_);
    size_t n = block.bytes();
    changed_.wait(lock, [&] { return writersAborted_ || bytes_ == 0 || bytes_ + n <= capacity_; });
    if (writersAborted_) return false;
    bytes_ += n;
    blocks_.push_back(std::move(block));
    changed_.notify_all();
    return true;
}

std::optional<PcmBlock> OutputBuffer::pop(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    uint64_t wakes = wakes_;
    changed_.wait_for(lock, timeout, [&] { return !blocks_.empty() || wakes_ != wakes; });
    if (blocks_.empty()) return std::nullopt;
    PcmBlock b = std::move(blocks_.front());
    blocks_.pop_front();
    bytes_ -= b.bytes();
    changed_.notify_all();
    return b;
}

void OutputBuffer::wake() {
    std::lock_guard lock(mutex_);
    ++wakes_;
    changed_.notify_all();
}

void OutputBuffer::clear() {
    std::lock_guard lock(mutex_);
    blocks_.clear();
    bytes_ = 0;
    changed_.notify_all();
}

size_t OutputBuffer::bytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

void OutputBuffer::abortWriters() {
    std::lock_guard lock(mutex_);
    writersAborted_ = true;
    changed_.notify_all();
}

void OutputBuffer::resumeWriters() {
    std::lock_guard lock(mutex_);
    writersAborted_ = false;
}

}  // namespace tnx::player
