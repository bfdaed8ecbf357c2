#pragma once

#include "platform/picture.h"

#include <initializer_list>
#include <string_view>

namespace osyl::art {

// What one character of a text map stands for.
struct Ink {
    char symbol;
    Rgb colour;
};

// One pixel that differs from the map or layout it is drawn over.
struct Dot {
    int x;
    int y;
    Rgb colour;
};

// Builds a picture from rows of characters, top row first, one character per pixel.
// Every row must be as long as the first and use only symbols of the legend; a map that
// breaks this is a mistake in the source, reported as std::logic_error.
Picture picture_from_map(std::initializer_list<std::string_view> rows,
                         std::initializer_list<Ink> legend);

// The common case: X is ink, . is paper.
Picture picture_from_map(std::initializer_list<std::string_view> rows, Rgb ink, Rgb paper);

void put_dots(Picture& picture, std::initializer_list<Dot> dots);

}  // namespace osyl::art
