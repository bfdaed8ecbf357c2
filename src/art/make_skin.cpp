// Builds the default skin: reads the glyph text file and writes one 24-bit BMP per glyph.
//
//   osyl_make_skin <glyphs.txt> <output directory>
//
// The text file holds, for each of c0 ... c9 and ba ... bz, a line with the name followed
// by 12 rows of 12 characters: X for ink, . for background. Blank lines and lines starting
// with # are skipped.
#include "art/bmp_writer.h"
#include "art/colours.h"
#include "platform/picture.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int glyph_size = 12;

struct Glyph {
    std::vector<std::string> rows;
    int line = 0;  // where its name stands, for messages
};

struct ParseError : std::runtime_error {
    ParseError(int line, const std::string& message)
        : std::runtime_error("line " + std::to_string(line) + ": " + message) {}
};

std::vector<std::string> expected_names() {
    std::vector<std::string> names;
    for (char c = '0'; c <= '9'; ++c) names.push_back(std::string("c") + c);
    for (char c = 'a'; c <= 'z'; ++c) names.push_back(std::string("b") + c);
    return names;
}

bool is_expected_name(const std::string& name) {
    for (const std::string& candidate : expected_names())
        if (candidate == name) return true;
    return false;
}

void check_row(const std::string& row, int line) {
    if (row.size() != glyph_size)
        throw ParseError(line, "a row must be " + std::to_string(glyph_size) + " characters");
    if (row.find_first_not_of("X.") != std::string::npos)
        throw ParseError(line, "a row may hold only X and .");
}

std::map<std::string, Glyph> parse(std::istream& in) {
    std::map<std::string, Glyph> glyphs;
    Glyph* open = nullptr;  // the glyph still collecting rows
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.empty() || text.front() == '#') continue;
        if (open != nullptr && open->rows.size() < glyph_size) {
            check_row(text, line);
            open->rows.push_back(text);
            continue;
        }
        if (!is_expected_name(text)) throw ParseError(line, "unknown glyph name '" + text + "'");
        if (glyphs.count(text) != 0) throw ParseError(line, "glyph '" + text + "' given twice");
        open = &glyphs[text];
        open->line = line;
    }
    for (const auto& [name, glyph] : glyphs)
        if (glyph.rows.size() != glyph_size)
            throw ParseError(glyph.line, "glyph '" + name + "' has fewer than 12 rows");
    for (const std::string& name : expected_names())
        if (glyphs.count(name) == 0) throw std::runtime_error("glyph '" + name + "' is missing");
    return glyphs;
}

osyl::Picture to_picture(const Glyph& glyph) {
    osyl::Picture picture(glyph_size, glyph_size, osyl::art::blue);
    for (int y = 0; y < glyph_size; ++y)
        for (int x = 0; x < glyph_size; ++x)
            if (glyph.rows[y][x] == 'X') picture.set(x, y, osyl::art::black);
    return picture;
}

void write_bmp(const std::filesystem::path& path, const osyl::Picture& picture) {
    std::vector<std::byte> bytes = osyl::encode_bmp24(picture);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: osyl_make_skin <glyphs.txt> <output directory>\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1]);
        if (!in) throw std::runtime_error("cannot read " + std::string(argv[1]));
        std::map<std::string, Glyph> glyphs = parse(in);
        std::filesystem::path dir = argv[2];
        std::filesystem::create_directories(dir);
        for (const auto& [name, glyph] : glyphs)
            write_bmp(dir / (name + ".bmp"), to_picture(glyph));
    } catch (const ParseError& error) {
        std::cerr << argv[1] << ": " << error.what() << '\n';
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "osyl_make_skin: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
