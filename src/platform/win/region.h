// A window region as a list of rectangles (one per scan row for the shaped
// window); an empty list means "no region" unless marked as explicitly empty.
#pragma once

#include <vector>

namespace tnx::win {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

struct Region {
    std::vector<Rect> rects;
    bool contains(int x, int y) const {
        for (const Rect& r : rects)
            if (r.contains(x, y)) return true;
        return false;
    }
};

}  // namespace tnx::win
