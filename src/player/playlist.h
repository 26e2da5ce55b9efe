// The engine's playlist: the items in the order they were added, the order
// they are played in (shuffled or not) and the current place in it. What
// next and previous do at the ends depends on the repeat mode:
//   None   next on the last item does nothing; the last item ending stops
//          the player and goes back to the first; previous on the first
//          item plays it again.
//   Track  an item ending plays again; next and previous wrap around.
//   All    next and previous wrap around, and so does an item ending.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "player/random_source.h"

namespace tnx::player {

enum class RepeatMode : int32_t { None = 0, Track = 1, All = 2 };

class Playlist {
public:
    void clear();
    void add(std::string path);
    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const std::string& item(size_t index) const { return items_[index]; }

    // The current item's index (into the items as added), or -1 when empty.
    int32_t current() const;
    // The current place in play order, 0-based.
    int32_t position() const { return position_; }
    // Makes the item with this index current; false when out of range.
    bool select(int32_t index);

    void setRepeat(RepeatMode mode) { repeat_ = mode; }
    RepeatMode repeat() const { return repeat_; }
    // On: a fresh random order with the current item first. Off: the order
    // the items were added in, keeping the current item.
    void setShuffle(bool on, RandomSource& random);
    bool shuffled() const { return shuffled_; }

    // Moves on because the user asked; false when there is nowhere to go
    // (nothing changes then).
    bool next();
    bool previous();
    // Moves on because the current item has ended; false when the playlist
    // is over (the place is back at the start then).
    bool advanceAfterEnd();

private:
    std::vector<std::string> items_;
    std::vector<int32_t> order_;  // play order: indices into items_
    int32_t position_ = 0;
    RepeatMode repeat_ = RepeatMode::All;
    bool shuffled_ = false;
};

}  // namespace tnx::player
