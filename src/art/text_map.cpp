#include "art/text_map.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace osyl::art {

namespace {

Rgb colour_of(char symbol, std::initializer_list<Ink> legend) {
    auto found = std::find_if(legend.begin(), legend.end(),
                              [symbol](const Ink& ink) { return ink.symbol == symbol; });
    if (found == legend.end())
        throw std::logic_error(std::string("text map: unknown symbol '") + symbol + "'");
    return found->colour;
}

}  // namespace

Picture picture_from_map(std::initializer_list<std::string_view> rows,
                         std::initializer_list<Ink> legend) {
    int height = static_cast<int>(rows.size());
    int width = height == 0 ? 0 : static_cast<int>(rows.begin()->size());
    Picture picture(width, height);
    int y = 0;
    for (std::string_view row : rows) {
        if (static_cast<int>(row.size()) != width)
            throw std::logic_error("text map: rows of different lengths");
        for (int x = 0; x < width; ++x) picture.set(x, y, colour_of(row[x], legend));
        ++y;
    }
    return picture;
}

Picture picture_from_map(std::initializer_list<std::string_view> rows, Rgb ink, Rgb paper) {
    return picture_from_map(rows, {{'X', ink}, {'.', paper}});
}

void put_dots(Picture& picture, std::initializer_list<Dot> dots) {
    for (const Dot& dot : dots) picture.set(dot.x, dot.y, dot.colour);
}

}  // namespace osyl::art
