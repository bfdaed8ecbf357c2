// Writes the application icon as an XPM file, the form Linux desktops read from
// share/pixmaps, or as a Windows .ico (32 x 32, 16 colours and a transparency mask) that
// the resource compiler builds into osyl.exe as MAINICON.
//
//   osyl_make_icon <output.xpm | output.ico>
#include "art/builtin_art.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

// One character per colour; the icon has at most the 16 palette colours and transparency.
constexpr char symbols[] = "abcdefghijklmnop";

std::string colour_name(std::uint32_t argb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(argb & 0xFFFFFFU));
    return text;
}

std::string to_xpm(const osyl::IconImage& icon) {
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

void put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// One 4-bit image: its header, 16 palette entries, the colour rows and the AND mask rows,
// both bottom-up; a set mask bit is transparent.
std::string to_ico(const osyl::IconImage& icon) {
    std::vector<std::uint32_t> palette;
    for (std::uint32_t pixel : icon.argb)
        if ((pixel >> 24) != 0 && std::find(palette.begin(), palette.end(), pixel) == palette.end())
            palette.push_back(pixel);
    palette.resize(16, 0xFF000000U);
    const auto side = static_cast<std::uint32_t>(icon.width);  // 32: rows need no padding
    const std::uint32_t image_bytes = 40 + 16 * 4 + side * side / 2 + side * side / 8;
    std::string out;
    put16(out, 0), put16(out, 1), put16(out, 1);  // icon resource, one image
    out += static_cast<char>(side), out += static_cast<char>(side), out += '\x10', out += '\0';
    put16(out, 1), put16(out, 4), put32(out, image_bytes), put32(out, 22);
    put32(out, 40), put32(out, side), put32(out, side * 2), put16(out, 1), put16(out, 4);
    put32(out, 0), put32(out, image_bytes - 40 - 64), put32(out, 0), put32(out, 0);
    put32(out, 16), put32(out, 0);
    for (std::uint32_t colour : palette) put32(out, colour & 0xFFFFFFU);  // B, G, R, 0
    auto at = [&](std::uint32_t x, std::uint32_t y) { return icon.argb[y * side + x]; };
    for (std::uint32_t y = side; y-- > 0;)
        for (std::uint32_t x = 0; x < side; x += 2) {
            auto index = [&](std::uint32_t px) {
                auto found = std::find(palette.begin(), palette.end(), at(px, y));
                return static_cast<unsigned>(found == palette.end() ? 0 : found - palette.begin());
            };
            out += static_cast<char>((index(x) << 4) | index(x + 1));
        }
    for (std::uint32_t y = side; y-- > 0;)
        for (std::uint32_t x = 0; x < side; x += 8) {
            unsigned bits = 0;
            for (std::uint32_t b = 0; b < 8; ++b)
                if ((at(x + b, y) >> 24) == 0) bits |= 0x80U >> b;
            out += static_cast<char>(bits);
        }
    return out;
}

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: osyl_make_icon <output.xpm | output.ico>\n";
        return 2;
    }
    std::string path = argv[1];
    bool ico = ends_with(path, ".ico");
    std::ofstream out(path, ico ? std::ios::trunc | std::ios::binary : std::ios::trunc);
    out << (ico ? to_ico(osyl::art::main_icon()) : to_xpm(osyl::art::main_icon()));
    if (!out) {
        std::cerr << "osyl_make_icon: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
