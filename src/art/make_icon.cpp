// Writes the application icon as an XPM file, the form desktops read from share/pixmaps.
//
//   osyl_make_icon <output.xpm>
#include "art/builtin_art.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

namespace {

// One character per colour; the icon has at most the 16 palette colours and transparency.
constexpr char symbols[] = "abcdefghijklmnop";

std::string colour_name(std::uint32_t argb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(argb & 0xFFFFFFU));
    return text;
}

std::string to_xpm(const osyl::art::Icon& icon) {
    std::map<std::uint32_t, char> palette;
    for (std::uint32_t pixel : icon.argb)
        if ((pixel >> 24) != 0 && !palette.contains(pixel))
            palette.emplace(pixel, symbols[palette.size()]);
    std::string xpm = "/* XPM */\nstatic char *osyl[] = {\n\"" + std::to_string(icon.width) + " " +
                      std::to_string(icon.height) + " " + std::to_string(palette.size() + 1) +
                      " 1\",\n\". c None\",\n";
    for (const auto& [pixel, symbol] : palette)
        xpm += std::string("\"") + symbol + " c " + colour_name(pixel) + "\",\n";
    for (int y = 0; y < icon.height; ++y) {
        xpm += '"';
        for (int x = 0; x < icon.width; ++x) {
            std::uint32_t pixel =
                icon.argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(icon.width) +
                          static_cast<std::size_t>(x)];
            xpm += (pixel >> 24) == 0 ? '.' : palette.at(pixel);
        }
        xpm += y + 1 < icon.height ? "\",\n" : "\"\n";
    }
    return xpm + "};\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: osyl_make_icon <output.xpm>\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::trunc);
    out << to_xpm(osyl::art::main_icon());
    if (!out) {
        std::cerr << "osyl_make_icon: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
