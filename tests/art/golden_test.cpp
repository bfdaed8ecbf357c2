// Golden pictures: the bar and the menu as the program composes and presents them, and the
// application icon, compared pixel for pixel with files under tests/art/golden.
//
// A file is run-length text: "width height", then the colour keys ("a=068AC7 b=011C28"),
// then one line per row of runs, each a key followed by its count when above one. A row
// that repeats is written once, after its count and a star ("12*a200").
// After a deliberate change of the artwork, renew the files and read the diff before
// committing it:
//   OSYL_UPDATE_GOLDEN=1 build/tests/art/art_tests --gtest_filter='Golden*'
#include "art/builtin_art.h"
#include "support/app_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace osyl {
namespace {

namespace fs = std::filesystem;

char key_of(std::size_t index) {
    if (index >= 52) throw std::runtime_error("more than 52 colours");
    return static_cast<char>(index < 26 ? 'a' + index : 'A' + (index - 26));
}

std::string encode(const Picture& p) {
    std::map<Rgb, char> keys;
    std::ostringstream colours, rows;
    colours << std::hex << std::uppercase << std::setfill('0');
    std::vector<std::string> lines;
    for (int y = 0; y < p.height(); ++y) {
        std::ostringstream row;
        for (int x = 0, run = 1; x < p.width(); x += run, run = 1) {
            while (x + run < p.width() && p.at(x + run, y) == p.at(x, y)) ++run;
            auto [it, added] = keys.try_emplace(p.at(x, y), key_of(keys.size()));
            if (added)
                colours << (keys.size() > 1 ? " " : "") << it->second << '=' << std::setw(6)
                        << it->first;
            row << it->second;
            if (run > 1) row << run;
        }
        lines.push_back(row.str());
    }
    for (std::size_t y = 0, repeats = 1; y < lines.size(); y += repeats, repeats = 1) {
        while (y + repeats < lines.size() && lines[y + repeats] == lines[y]) ++repeats;
        if (repeats > 1) rows << repeats << '*';
        rows << lines[y] << '\n';
    }
    return std::to_string(p.width()) + ' ' + std::to_string(p.height()) + '\n' + colours.str() +
           '\n' + rows.str();
}

Picture decode(std::istream& in) {
    int width = 0, height = 0;
    std::string line;
    in >> width >> height >> std::ws;
    std::getline(in, line);
    std::map<char, Rgb> colours;
    std::istringstream keys(line);
    for (std::string entry; keys >> entry;)
        colours[entry[0]] = std::stoul(entry.substr(2), nullptr, 16);
    Picture p(width, height);
    for (int y = 0; y < height && std::getline(in, line);) {
        std::istringstream runs(line);
        int repeats = 1;
        if (std::isdigit(runs.peek())) {
            runs >> repeats;
            runs.ignore();  // the star
        }
        for (int x = 0; x < width && runs.peek() != EOF;) {
            Rgb colour = colours.at(static_cast<char>(runs.get()));
            int run = std::isdigit(runs.peek()) ? 0 : 1;
            if (run == 0) runs >> run;
            p.fill(x, y, x + run - 1, std::min(y + repeats, height) - 1, colour);
            x += run;
        }
        y += repeats;
    }
    return p;
}

testing::AssertionResult matches_golden(const Picture& seen, const std::string& name) {
    fs::path file = fs::path(OSYL_TEST_GOLDEN_DIR) / (name + ".txt");
    if (std::getenv("OSYL_UPDATE_GOLDEN")) std::ofstream(file) << encode(seen);
    std::ifstream in(file);
    if (!in) return testing::AssertionFailure() << "no golden file " << file;
    Picture golden = decode(in);
    if (seen.width() != golden.width() || seen.height() != golden.height())
        return testing::AssertionFailure()
               << name << " is " << seen.width() << " x " << seen.height()
               << ", the golden picture " << golden.width() << " x " << golden.height();
    for (int y = 0; y < seen.height(); ++y)
        for (int x = 0; x < seen.width(); ++x)
            if (seen.at(x, y) != golden.at(x, y))
                return testing::AssertionFailure()
                       << name << ": first difference at (" << x << ", " << y << "): " << std::hex
                       << std::setfill('0') << std::setw(6) << seen.at(x, y) << ", golden "
                       << std::setw(6) << golden.at(x, y);
    return testing::AssertionSuccess();
}

constexpr Point prg{20, 587};
constexpr Point home{11, 277 + 208};

// The program with no skin shows only its built-in pictures; with the default skin that
// the build generates it also shows the clock and every letter.
void without_skin(test::AppHarness& h) {
    fs::remove_all(h.skin_dir());
    h.write_labels("");
}

void with_default_skin(test::AppHarness& h) {
    // Removed first: MinGW's copy_file refuses to overwrite.
    for (const auto& entry : fs::directory_iterator(OSYL_TEST_SKIN_DIR)) {
        fs::remove(h.skin_dir() / entry.path().filename());
        fs::copy_file(entry.path(), h.skin_dir() / entry.path().filename());
    }
    h.write_labels(
        "Programs\nDocuments\nSettings\nFind\nHelp\nRun\nShut Down\n"
        "abcdefghij\nklmnopqrst\nuvwxyz\n");
    h.backend().set_time(12, 34, 56);
}

struct Scene {
    const char* name;
    const char* window;
    void (*prepare)(test::AppHarness&);
    std::vector<Point> presses;  // left presses held down, after a click on the start button
    bool show_menu;
};

void PrintTo(const Scene& scene, std::ostream* out) { *out << scene.name; }

class Golden : public testing::TestWithParam<Scene> {};

TEST_P(Golden, ComposedWindowMatchesItsPicture) {
    const Scene& scene = GetParam();
    test::AppHarness h;
    scene.prepare(h);
    h.start();
    if (scene.show_menu) h.backend().click(prg);
    for (Point at : scene.presses) h.backend().press(at);
    h.run();
    EXPECT_TRUE(matches_golden(h.window(scene.window).pixels, scene.name));
}

INSTANTIATE_TEST_SUITE_P(
    , Golden,
    testing::Values(Scene{"bar", "Form1", without_skin, {}, false},
                    Scene{"bar_start_pressed", "Form1", without_skin, {prg}, false},
                    Scene{"menu", "Form2", without_skin, {}, true},
                    Scene{"menu_home_pressed", "Form2", without_skin, {home}, true},
                    Scene{"bar_default_skin", "Form1", with_default_skin, {}, false},
                    Scene{"menu_default_skin", "Form2", with_default_skin, {}, true}),
    [](const testing::TestParamInfo<Scene>& info) { return std::string(info.param.name); });

TEST(GoldenIcon, MatchesItsPicture) {
    IconImage icon = art::main_icon();
    Picture argb(icon.width, icon.height);
    for (int y = 0; y < icon.height; ++y)
        for (int x = 0; x < icon.width; ++x)
            argb.set(x, y, icon.argb.at(static_cast<std::size_t>(y * icon.width + x)));
    EXPECT_TRUE(matches_golden(argb, "icon"));
}

}  // namespace
}  // namespace osyl
