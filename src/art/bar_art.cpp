// Built-in pictures of the bar window.
#include "art/builtin_art.h"
#include "art/colours.h"
#include "art/text_map.h"

#include <initializer_list>

namespace osyl::art {

namespace {

// Sets the same colour at several columns of one row.
void put_row(Picture& picture, int y, Rgb colour, std::initializer_list<int> xs) {
    for (int x : xs) picture.set(x, y, colour);
}

void draw_back_outline(Picture& p) {
    p.fill(0, 0, 799, 0, outline);
    p.fill(0, 22, 799, 22, outline);
    p.set(0, 22, black);
    p.fill(0, 1, 0, 21, outline);
    p.fill(799, 1, 799, 21, outline);
}

// Darkest at the left and along the first part of the top, lightest along the bottom.
void draw_back_shading(Picture& p) {
    p.fill(1, 1, 1, 21, shade_darkest);
    p.fill(798, 2, 798, 21, shade_mid);
    p.fill(1, 1, 171, 1, shade_darkest);
    p.fill(172, 1, 344, 1, shade_dark);
    p.set(345, 1, 0x0577AB);
    p.set(346, 1, 0x0580B9);
    p.fill(347, 1, 798, 1, shade_mid);
    p.fill(2, 21, 797, 21, shade_light);
}

// Single pixels that differ slightly from the line they sit in.
void draw_back_odd_pixels(Picture& p) {
    put_row(p, 0, 0x022637, {146, 345, 398, 399, 598, 599, 798});
    put_row(p, 0, 0x023B55, {346});
    put_row(p, 1, 0x056FA1, {146});
    put_row(p, 1, 0x067EB6, {398, 399, 598, 599, 798});
    put_row(p, 21, 0x0684BF, {52, 53, 252, 253, 452, 505, 506, 705, 706});
    put_row(p, 21, 0x0582BB, {453});
    put_row(p, 22, 0x022637, {52, 53, 252, 253, 505, 506, 705, 706});
}

}  // namespace

void paint_back(Picture& p) {
    p.fill(0, 0, 799, 22, blue);
    draw_back_outline(p);
    draw_back_shading(p);
    draw_back_odd_pixels(p);
}

Picture prg() {
    // X border and letters PRG, . fill, o the dark triangle; its exact shades follow.
    Picture p = picture_from_map(
        {
            "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX",
            "X.....................................X",
            "X.....................................X",
            "X...............XXXXX.XXXXX.XXXXX.....X",
            "X......oo.......X.....X.....X.........X",
            "X.....oooo......X...X.X...X.X.........X",
            "X....ooXXoo.....X...X.X...X.X.XXX.....X",
            "X...ooXXXXoo....X.XXX.X.XXX.X.........X",
            "X..oooooooooo...X.....X.X.......X.....X",
            "X...............X.....X..X..XXXXX.....X",
            "X.....................................X",
            "X.....................................X",
            "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX",
        },
        {{'X', outline}, {'.', button_blue}, {'o', outline}});
    // Soft edges: the slopes are shaded, and six fill pixels beside them are a shade darker.
    put_dots(p, {{6, 4, 0x0593D5}, {7, 4, 0x035073}, {8, 4, 0x034C6E}});
    put_dots(p, {{5, 5, 0x0591D2},
                 {6, 5, 0x012D41},
                 {7, 5, 0x012F43},
                 {8, 5, 0x012E42},
                 {9, 5, 0x012F43},
                 {10, 5, 0x0593D5}});
    put_dots(p, {{4, 6, 0x0591D2},
                 {5, 6, 0x022D40},
                 {6, 6, 0x022F44},
                 {9, 6, 0x022F43},
                 {10, 6, 0x022D40},
                 {11, 6, 0x0591D2}});
    put_dots(p, {{3, 7, 0x0591D2},
                 {4, 7, 0x023B55},
                 {5, 7, 0x022F43},
                 {10, 7, 0x022F43},
                 {11, 7, 0x023851}});
    put_dots(p, {{3, 8, 0x012B3E}, {4, 8, 0x012637}, {11, 8, 0x02293B}, {12, 8, 0x02405D}});
    p.fill(5, 8, 10, 8, 0x022A3C);
    return p;
}

Picture divider() {
    Picture p(2, 23, shade_darkest);
    p.fill(0, 0, 0, 21, black);
    p.set(0, 22, outline);
    return p;
}

Picture digit() {
    // clang-format off
    return picture_from_map({
        "............",
        "..XXX.XXX...",
        "..X.....X...",
        "..X.....X...",
        "..X.....X...",
        "..X.....X...",
        "..X.........",
        "..X.....X...",
        "..X.....X...",
        "........X...",
        "..XXXXXXX...",
        "............",
    }, black, blue);
    // clang-format on
}

Picture colon() {
    Picture p(3, 10, blue);
    p.fill(1, 1, 1, 3, black);
    p.fill(1, 6, 1, 8, black);
    return p;
}

Picture panel() {
    Picture p(98, 23, black);
    p.fill(1, 1, 96, 1, blue);
    p.fill(1, 21, 96, 21, blue);
    put_dots(p, {{0, 2, blue}, {97, 2, blue}, {0, 20, blue}, {97, 20, blue}});
    return p;
}

Picture opt() {
    // clang-format off
    return picture_from_map({
        "............",
        "............",
        "..XX...XX...",
        "..X.....X...",
        "..X.....X...",
        "..XXXXXXX...",
        ".....X......",
        ".....X......",
        ".....X......",
        ".....X......",
        "............",
        "............",
    }, blue, black);
    // clang-format on
}

Picture res() {
    // clang-format off
    return picture_from_map({
        "............",
        "............",
        "...XXXXX....",
        "..X.........",
        "..X....X....",
        "..X...XXX...",
        "..X..XXXXX..",
        "..X....X....",
        "..X....X....",
        "...XXXX.....",
        "............",
        "............",
    }, blue, black);
    // clang-format on
}

Picture shut() {
    // clang-format off
    return picture_from_map({
        "............",
        "............",
        "...XXXXXXX..",
        "...X.....X..",
        "...XXXXXXX..",
        "............",
        "...XXXXXXX..",
        "...XX...XX..",
        "....XX.XX...",
        ".....XXX....",
        "......X.....",
        "............",
    }, blue, black);
    // clang-format on
}

}  // namespace osyl::art
