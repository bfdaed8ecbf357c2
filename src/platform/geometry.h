#pragma once

#include <algorithm>

namespace osyl {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int right() const { return left + width; }  // exclusive
    int bottom() const { return top + height; }
    bool contains(Point p) const {
        return p.x >= left && p.x < right() && p.y >= top && p.y < bottom();
    }
    bool contains(Rect r) const {
        return r.left >= left && r.top >= top && r.right() <= right() && r.bottom() <= bottom();
    }
    bool empty() const { return width <= 0 || height <= 0; }
    // The smallest rectangle holding both; an empty one adds nothing.
    Rect united(Rect o) const {
        if (empty()) return o;
        if (o.empty()) return *this;
        return spanning(std::min(left, o.left), std::min(top, o.top), std::max(right(), o.right()),
                        std::max(bottom(), o.bottom()));
    }
    Rect intersected(Rect o) const {
        Rect r = spanning(std::max(left, o.left), std::max(top, o.top),
                          std::min(right(), o.right()), std::min(bottom(), o.bottom()));
        return r.empty() ? Rect{} : r;
    }
    static Rect spanning(int l, int t, int r, int b) { return {l, t, r - l, b - t}; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace osyl
