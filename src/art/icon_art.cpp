// The application icon, drawn in the 16 standard VGA colours.
#include "art/builtin_art.h"

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>

namespace osyl::art {

namespace {

struct PaletteEntry {
    char symbol;
    std::uint32_t rgb;
};

// One letter per colour of the palette; '.' is transparent.
constexpr std::array<PaletteEntry, 16> vga_palette{{
    {'k', 0x000000},  // black
    {'m', 0x800000},  // maroon
    {'g', 0x008000},  // green
    {'o', 0x808000},  // olive
    {'n', 0x000080},  // navy
    {'p', 0x800080},  // purple
    {'t', 0x008080},  // teal
    {'s', 0xC0C0C0},  // silver
    {'d', 0x808080},  // grey
    {'r', 0xFF0000},  // red
    {'l', 0x00FF00},  // lime
    {'y', 0xFFFF00},  // yellow
    {'b', 0x0000FF},  // blue
    {'f', 0xFF00FF},  // fuchsia
    {'a', 0x00FFFF},  // aqua
    {'w', 0xFFFFFF},  // white
}};

// A teal disc outlined in black and grey; in front, a striped column with a maroon and
// olive cap and a base block; behind it a yellow bolt from the lower left to the upper
// right that flares into jagged flashes on both sides of the column.
constexpr std::array<std::string_view, 32> icon_map{
    ".............................oo.", "............................oyyd",
    "............kkkkkkkk......ooyyyd", "..........kkddddddddkk...oyyydd.",
    "........kkdddttttttdddkkoyyyd...", ".......kddttkkkkkkttttooyyyd....",
    "......kddttkmmmmmmkttoyyydd.....", ".....kddttkmoooooomkoyyyddk.....",
    "....kddttkooooooooookyydoddk....", "....kdtyttttkopoysdooyyydtdk....",
    "...kdtttyyttkopoysdyyyyddttdk...", "...kdttttyttkopoysdyyddttytdk...",
    "..kddttttyytkopoysddyytyyttddk..", "..kdtttttttykopoysdyttytttttdk..",
    "..kdtyyyttttkopoysdtttttttttdk..", "..kdttttyyyykopoysdtttttttttdk..",
    "..kdtttttooykopoysdyyyytttttdk..", "..kdttttoyyykopoysdttttyyyytdk..",
    "..kdtttoyyydkopoysdyytttttttdk..", "..kddtoyyydtkopoysdttytttttddk..",
    "...kdtoyyyydkopoysdttytttttdk...", "...kdttooyydkopoysdttytttttdk...",
    "....kdtoyydtkopoysdtttyyttdk....", "....kdoyydttkopoysdttttttddk....",
    ".....oyyddttkopoysdtttttddk.....", "....oyyddtttkopoysdttttddk......",
    "...oyyydddttkopoysdtttddk.......", "..oyyyd.kkddkopoysddddkk........",
    ".oyyyd....kkkopoysddkk..........", "oyyyd.....kkkkkkmmmmm...........",
    "oyyd......kkkkkkmmmmm...........", ".dd.......kkkkkkmmmmm...........",
};

std::uint32_t argb_of(char symbol) {
    if (symbol == '.') return 0;
    for (const PaletteEntry& entry : vga_palette)
        if (entry.symbol == symbol) return 0xFF000000U | entry.rgb;
    throw std::logic_error(std::string("icon map: unknown symbol '") + symbol + "'");
}

}  // namespace

IconImage main_icon() {
    IconImage icon{32, 32, {}};
    icon.argb.reserve(std::size_t{32} * 32);
    for (std::string_view row : icon_map) {
        if (row.size() != 32) throw std::logic_error("icon map: row is not 32 wide");
        for (char symbol : row) icon.argb.push_back(argb_of(symbol));
    }
    return icon;
}

}  // namespace osyl::art
