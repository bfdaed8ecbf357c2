#include "support/pictures.h"

#include <cstdio>

namespace osyl::test {

namespace {

std::string colour(Rgb rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", rgb);
    return text;
}

bool masked_point(const std::vector<Rect>& masked, Point p) {
    for (const Rect& r : masked)
        if (r.contains(p)) return true;
    return false;
}

}  // namespace

Picture crop(const Picture& picture, Rect area) {
    Picture out(area.width, area.height);
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x) out.set(x, y, picture.at(area.left + x, area.top + y));
    return out;
}

std::string differences(const Picture& actual, const Picture& expected,
                        const std::vector<Rect>& masked) {
    if (actual.width() != expected.width() || actual.height() != expected.height()) {
        return "size " + std::to_string(actual.width()) + "x" + std::to_string(actual.height()) +
               ", expected " + std::to_string(expected.width()) + "x" +
               std::to_string(expected.height());
    }
    int count = 0;
    std::string first;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            if (masked_point(masked, {x, y}) || actual.at(x, y) == expected.at(x, y)) continue;
            if (count++ == 0) {
                first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " +
                        colour(actual.at(x, y)) + ", expected " + colour(expected.at(x, y));
            }
        }
    }
    if (count == 0) return {};
    return std::to_string(count) + " pixels differ, the first at " + first;
}

}  // namespace osyl::test
