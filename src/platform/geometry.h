#pragma once

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
    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace osyl
