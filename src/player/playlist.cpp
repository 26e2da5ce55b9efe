#include "player/playlist.h"

#include <algorithm>

namespace tnx::player {

void Playlist::clear() {
    items_.clear();
    order_.clear();
    position_ = 0;
}

void Playlist::add(std::string path) {
    items_.push_back(std::move(path));
    order_.push_back(int32_t(items_.size() - 1));
}

int32_t Playlist::current() const { return order_.empty() ? -1 : order_[size_t(position_)]; }

bool Playlist::select(int32_t index) {
    auto it = std::find(order_.begin(), order_.end(), index);
    if (it == order_.end()) return false;
    position_ = int32_t(it - order_.begin());
    return true;
}

void Playlist::setShuffle(bool on, RandomSource& random) {
    int32_t cur = current();
    shuffled_ = on;
    for (size_t i = 0; i < order_.size(); ++i) order_[i] = int32_t(i);
    if (on) {
        // Draw without repetition: the current item first, the rest in the
        // order drawn.
        std::vector<int32_t> pool;
        for (int32_t i = 0; i < int32_t(items_.size()); ++i)
            if (i != cur) pool.push_back(i);
        order_.clear();
        if (cur >= 0) order_.push_back(cur);
        while (!pool.empty()) {
            int32_t k = random.below(int32_t(pool.size()));
            order_.push_back(pool[size_t(k)]);
            pool.erase(pool.begin() + k);
        }
    }
    position_ = 0;
    if (cur >= 0) select(cur);
}

bool Playlist::next() {
    if (order_.empty()) return false;
    if (position_ + 1 < int32_t(order_.size())) {
        ++position_;
        return true;
    }
    if (repeat_ == RepeatMode::None) return false;
    position_ = 0;
    return true;
}

bool Playlist::previous() {
    if (order_.empty()) return false;
    if (position_ > 0) {
        --position_;
        return true;
    }
    if (repeat_ != RepeatMode::None) position_ = int32_t(order_.size()) - 1;
    return true;
}

bool Playlist::advanceAfterEnd() {
    if (order_.empty()) return false;
    if (repeat_ == RepeatMode::Track) return true;
    if (position_ + 1 < int32_t(order_.size())) {
        ++position_;
        return true;
    }
    position_ = 0;
    return repeat_ == RepeatMode::All;
}

}  // namespace tnx::player
