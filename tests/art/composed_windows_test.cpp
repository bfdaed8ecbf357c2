#include "art_checks.h"
#include "bar/form1.h"
#include "menu/form2.h"
#include "support/app_harness.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace osyl {
namespace {

using test::black;
using test::blue;
using test::outline;
constexpr Rgb prg_fill = 0x0595D8;

// Both windows as they are composed from their elements, with no skin at all: what a user
// sees before the first tick and with an empty skin folder.
class ComposedWindows : public testing::Test {
protected:
    ComposedWindows() {
        std::filesystem::remove_all(h.skin_dir());
        h.write_labels("");
        h.start();
        h.backend().set_auto_dismiss(true);
    }
    Rgb bar(int x, int y) { return h.window("Form1").pixels.at(x, y); }
    Rgb menu(int x, int y) { return h.window("Form2").pixels.at(x, y); }
    void show_menu() {
        h.backend().click({20, 587});
        h.run();
    }
    test::AppHarness h;
};

TEST_F(ComposedWindows, BarRowsLayersAndTheButtonFaceBelow) {
    for (int x : {0, 1, 400, 799}) EXPECT_EQ(bar(x, 23), button_face) << x;
    EXPECT_EQ(bar(0, 0), outline);
    EXPECT_EQ(bar(0, 22), black);
    EXPECT_EQ(bar(300, 10), blue);
    // Dividers cut through the outline; the panel's black rows replace it.
    EXPECT_EQ(bar(56, 0), black);
    EXPECT_EQ(bar(57, 0), 0x056E9FU);
    EXPECT_EQ(bar(121, 22), outline);
    EXPECT_EQ(bar(544, 0), black);
    EXPECT_EQ(bar(545, 1), blue);
    // c2 covers column 11 of c1, c3 covers column 0 of c4: the digits 0 read 00:00.
    EXPECT_EQ(bar(64 + 2, 6 + 1), black);
    EXPECT_EQ(bar(75, 6 + 2), blue);   // c2's column 0, not c1's column 11
    EXPECT_EQ(bar(88, 7 + 1), black);  // the colon
    EXPECT_EQ(bar(88, 7 + 4), blue);
    // Opt's ink on the panel's black interior.
    EXPECT_EQ(bar(563 + 2, 7 + 2), blue);
    EXPECT_EQ(bar(563 + 4, 7 + 2), black);
}

TEST_F(ComposedWindows, PressedStartButtonUncoversTheField) {
    EXPECT_EQ(bar(9, 5), outline);
    EXPECT_EQ(bar(9 + 1, 5 + 1), prg_fill);
    h.backend().press({20, 587});
    h.run();
    EXPECT_EQ(bar(9, 5), blue);
    EXPECT_EQ(bar(10, 6), blue);
    EXPECT_EQ(bar(11, 7), outline);
    EXPECT_EQ(bar(11 + 38, 7 + 12), outline);
    EXPECT_EQ(bar(50, 20), blue);
}

TEST_F(ComposedWindows, MenuWithoutSkinShowsOnlyItsBuiltInPictures) {
    show_menu();
    ASSERT_EQ(h.window("Form2").pixels.width(), 200);
    // The glyph grid cannot be told from the field.
    for (int x = 53; x < 173; x += 7)
        for (int y = 9; y < 237; y += 5) ASSERT_EQ(menu(x, y), blue) << x << "," << y;
    EXPECT_EQ(menu(38 + 3, 9), black);  // Ukaz beside the first row
    EXPECT_EQ(menu(38 + 8, 9 + 5), black);
    EXPECT_EQ(menu(0, 299), blue);
    EXPECT_EQ(menu(199, 0), outline);
    EXPECT_EQ(menu(4 + 7, 203 + 1), blue);      // Home's roof apex
    EXPECT_EQ(menu(128 + 1, 264 + 9), black);   // sleft's tip
    EXPECT_EQ(menu(166 + 18, 264 + 9), black);  // sright's tip, mirrored
}

TEST_F(ComposedWindows, PressedStripIconFillsItsBoxUpToTheLines) {
    show_menu();
    EXPECT_EQ(menu(4 - 2, 203), black);
    h.backend().press({4 + 7, 277 + 203 + 5});  // Home
    h.run();
    EXPECT_EQ(Form2->Home.left(), 6);
    EXPECT_EQ(menu(6 + 14, 205 + 18), black);  // its last pixel, inside the box
    EXPECT_EQ(menu(4, 203), black);            // uncovered: the strip's black
    EXPECT_EQ(menu(10, 200), blue);            // the box's line above stays
    EXPECT_EQ(menu(10, 224), blue);            // and below
    EXPECT_EQ(menu(1, 210), blue);             // and the strip's left line
}

}  // namespace
}  // namespace osyl
