// The default skin that the build generates beside the executable, and the generator itself.
#include "art/builtin_art.h"
#include "art_checks.h"
#include "skin/bmp_reader.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

#include <sys/wait.h>

namespace osyl {
namespace {

using test::black;
using test::blue;

std::vector<std::byte> read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chars{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::byte> bytes(chars.size());
    for (std::size_t i = 0; i < chars.size(); ++i) bytes[i] = static_cast<std::byte>(chars[i]);
    return bytes;
}

std::vector<std::string> skin_names() {
    std::vector<std::string> names;
    for (char c = '0'; c <= '9'; ++c) names.push_back(std::string("c") + c);
    for (char c = 'a'; c <= 'z'; ++c) names.push_back(std::string("b") + c);
    return names;
}

TEST(DefaultSkin, ThirtySixTwoColourPicturesOfTwelveByTwelve) {
    std::map<std::string, Picture> seen;
    for (const std::string& name : skin_names()) {
        std::filesystem::path path = std::filesystem::path(OSYL_TEST_SKIN_DIR) / (name + ".bmp");
        ASSERT_TRUE(std::filesystem::is_regular_file(path)) << path;
        std::vector<std::byte> bytes = read_bytes(path);
        test::Bmp24 bmp = test::unpack_bmp24(bytes);
        ASSERT_EQ(bmp.header_size, 40U) << name;
        ASSERT_EQ(bmp.bits, 24) << name;
        ASSERT_EQ(bmp.compression, 0U) << name;
        ASSERT_EQ(bmp.width, 12) << name;
        ASSERT_EQ(bmp.height, 12) << name;
        const Picture& p = bmp.picture;
        EXPECT_EQ(decode_bmp(bytes), p) << name << " reads differently in the program";
        int ink = test::count_of(p, black);
        EXPECT_EQ(ink + test::count_of(p, blue), 144) << name << " uses a third colour";
        EXPECT_GE(ink, 8) << name;
        if (name[0] == 'c') {
            EXPECT_EQ(test::count_of(p, black, 2, 1, 8, 10), ink) << name << " ink strays";
        }
        for (const auto& [other, picture] : seen) EXPECT_NE(picture, p) << name << " = " << other;
        seen.emplace(name, p);
    }
    EXPECT_EQ(seen.at("c0"), art::digit()) << "the skin's 0 matches the built-in one";
}

// Runs the generator on a glyph file and returns its exit status and what it printed.
std::pair<int, std::string> run_generator(const std::string& glyphs) {
    test::TempDir dir;
    test::write_file(dir / "glyphs.txt", glyphs);
    std::string command = std::string(OSYL_TEST_MAKE_SKIN) + " " + (dir / "glyphs.txt").string() +
                          " " + (dir / "out").string() + " 2>" + (dir / "err").string();
    int status = std::system(command.c_str());
    std::ifstream err(dir / "err");
    std::stringstream text;
    text << err.rdbuf();
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
}

TEST(SkinGenerator, RejectsBrokenGlyphFilesNamingTheLine) {
    std::string row(12, '.');
    std::string glyph = "c0\n";
    for (int i = 0; i < 12; ++i) glyph += row + "\n";

    auto [short_status, short_text] = run_generator("# one glyph\nc0\n" + row + "\n.....\n");
    EXPECT_EQ(short_status, 1);
    EXPECT_NE(short_text.find("line 4: a row must be 12 characters"), std::string::npos)
        << short_text;

    auto [twice_status, twice_text] = run_generator(glyph + glyph);
    EXPECT_EQ(twice_status, 1);
    EXPECT_NE(twice_text.find("line 14: glyph 'c0' given twice"), std::string::npos) << twice_text;

    auto [missing_status, missing_text] = run_generator(glyph);
    EXPECT_EQ(missing_status, 1);
    EXPECT_NE(missing_text.find("glyph 'c1' is missing"), std::string::npos) << missing_text;
}

}  // namespace
}  // namespace osyl
