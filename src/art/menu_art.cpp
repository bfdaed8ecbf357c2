// Built-in pictures of the menu window.
#include "art/builtin_art.h"
#include "art/colours.h"
#include "art/text_map.h"

#include <iterator>
#include <string_view>

namespace osyl::art {

namespace {

// The rows where a blue line crosses the side strip; between them lie the upper section
// and the five strip boxes.
constexpr int strip_lines[] = {2, 176, 200, 224, 248, 272, 296};

void draw_side_strip(Picture& p) {
    p.fill(0, 0, 20, 298, black);
    p.fill(1, 2, 1, 296, blue);
    for (int y : strip_lines) p.fill(1, y, 20, y, blue);
}

// The word OSYL upright, letters 12 pixels tall with 2 columns between them.
// clang-format off
constexpr std::string_view lettering[] = {
    ".XXX.XX....XXXX.XX..X.....X..X.......",
    "X......X..X.........X.....X..X.......",
    "X......X..X..........X...X...X.......",
    "X......X..X...........X.X....X.......",
    "X......X..X............X.....X.......",
    "X......X...XXX.XX......X.....X.......",
    "X................X.....X.............",
    "X......X.........X.....X.....X.......",
    "X......X.........X...........X.......",
    "X......X...............X.....X.......",
    "X......X.........X.....X.....X.......",
    ".XXXXXX...XXXXXXX......X.....XXXXX.XX",
};
// clang-format on

// Writes the word along the strip turned a quarter turn counter-clockwise: the top of the
// letters faces the left edge (column 5) and the first letter lies lowest (row 108), so the
// word reads from bottom to top over rows 72-108.
void draw_lettering(Picture& p) {
    constexpr int left = 5;
    constexpr int bottom = 108;
    for (int v = 0; v < static_cast<int>(std::size(lettering)); ++v) {
        std::string_view row = lettering[v];
        for (int u = 0; u < static_cast<int>(row.size()); ++u)
            if (row[static_cast<std::size_t>(u)] == 'X') p.set(left + v, bottom - u, blue);
    }
}

// The field's outline closes it at the top, the right and the bottom; lighter shading
// lines run just inside.
void draw_field_outline(Picture& p) {
    p.fill(21, 0, 199, 0, outline);
    p.fill(21, 1, 198, 1, shade_mid);
    p.fill(198, 2, 198, 296, shade_light);
    p.fill(199, 1, 199, 298, outline);
    p.fill(21, 297, 197, 297, shade_light);
    p.set(198, 297, shade_corner);
    p.fill(21, 298, 199, 298, outline);
}

}  // namespace

void paint_window(Picture& p) {
    p.fill(0, 0, 199, 299, blue);
    draw_side_strip(p);
    draw_lettering(p);
    draw_field_outline(p);
}

Picture blank_cell() { return Picture(12, 12, blue); }

Picture ukaz() {
    // clang-format off
    return picture_from_map({
        "...X........",
        "....X.......",
        "............",
        "......X.....",
        ".......X....",
        "........X...",
        ".......X....",
        "......X.....",
        ".....X......",
        "............",
        "...X........",
        "............",
    }, black, blue);
    // clang-format on
}

Picture home() {
    // clang-format off
    return picture_from_map({
        "...............",
        ".......X.......",
        "......X.X......",
        "...............",
        "....X.....X....",
        "...X.......X...",
        "..X.........X..",
        "..XXX.XXXX.XX..",
        "..X.........X..",
        "..X.........X..",
        "..X..XX.XX..X..",
        ".....X...X.....",
        "..X..X......X..",
        "..X..X.XXX..X..",
        "..X.........X..",
        "..X.........X..",
        "..XX.XXXXX.XX..",
        "...............",
        "...............",
    }, blue, black);
    // clang-format on
}

Picture mail() {
    // clang-format off
    return picture_from_map({
        "...............",
        "..........X....",
        "...........X...",
        ".......XX.XXX..",
        ".......X...X...",
        "..........X....",
        ".......X.......",
        "...............",
        "..X.XXX.XXXXX..",
        "..XX.......XX..",
        "..X.X.......X..",
        "..X..X...X..X..",
        "......X.X...X..",
        "..X..X...X.....",
        "..X.X.....X.X..",
        "..XX.......XX..",
        "..XXX.XXX.XXX..",
        "...............",
        "...............",
    }, blue, black);
    // clang-format on
}

Picture chel() {
    // clang-format off
    return picture_from_map({
        "...............",
        "...............",
        ".....X.XX......",
        "....X....X.....",
        "....XX..XX.....",
        "....X..........",
        "....X....X.....",
        ".....XXXX......",
        "......XX.......",
        "...X.XXXXX.X...",
        "..X.........X..",
        "..X.........X..",
        "..XX.X...XXX...",
        "..X...X.X...X..",
        "...XXX...X.XX..",
        "..X.........X..",
        "...XXXX.XXXX...",
        "...............",
        "...............",
    }, blue, black);
    // clang-format on
}

Picture sleft() {
    // clang-format off
    return picture_from_map({
        "....................",
        "................XXX.",
        "..............XXXXX.",
        "............XXXXXXX.",
        "..........XXXXXXXXX.",
        "........XXXXXXXXXXX.",
        "......XXXXX.XXXXXXX.",
        "....XXXXXX.XXXXXXXX.",
        "..XXXXXX..XXXXXXXXX.",
        ".XXXXXX..........XX.",
        "..XXXXXX..XXXXXXXXX.",
        "....XXXXXX.XXXXXXXX.",
        "......XXXXX.XXXXXXX.",
        "........XXXXXXXXXXX.",
        "..........XXXXXXXXX.",
        "............XXXXXXX.",
        "..............XXXXX.",
        "................XXX.",
        "....................",
        "....................",
    }, black, blue);
    // clang-format on
}

Picture sright() {
    Picture left = sleft();
    Picture p(left.width(), left.height());
    for (int y = 0; y < left.height(); ++y)
        for (int x = 0; x < left.width(); ++x) p.set(x, y, left.at(left.width() - 1 - x, y));
    return p;
}

}  // namespace osyl::art
