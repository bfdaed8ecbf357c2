#include "bar/form1.h"
#include "menu/form2.h"
#include "support/app_harness.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace osyl {
namespace {

using test::AppHarness;
using test::letter_colour;

constexpr Point prg{20, 587};
constexpr int menu_top = 277;

Point cell_centre(int row, int column) {
    return {41 + 12 * column + 6, menu_top + 9 + 24 * (row - 1) + 6};
}

// Which letter each cell of a row shows ('.' for the blank built-in cell).
std::string row_letters(int row) {
    std::string letters;
    for (int column = 1; column <= TForm2::columns; ++column) {
        Rgb colour = Form2->cell(row, column).picture().at(0, 0);
        char shown = '.';
        for (char l = 'a'; l <= 'z'; ++l)
            if (colour == letter_colour(l)) shown = l;
        letters += shown;
    }
    return letters;
}

class MenuTest : public testing::Test {
protected:
    void show_menu() {
        h.backend().click(prg);
        h.run();
    }
    void toggle_twice() {
        h.backend().click(prg);
        h.backend().click({prg.x + 8, prg.y});  // far enough apart to be no double click
        h.run();
    }
    AppHarness h;
};

TEST_F(MenuTest, MissingLabelFileIsReportedAndTheMenuStillShows) {
    h.start();
    show_menu();
    ASSERT_EQ(h.backend().boxes().size(), 1U);
    EXPECT_EQ(h.backend().boxes()[0].spec.text, "File not found.");
    EXPECT_EQ(h.backend().boxes()[0].spec.caption, "osyl");
    EXPECT_TRUE(h.window("Form2").shown);
    EXPECT_EQ(h.backend().focused_window(), "Form2");
    EXPECT_EQ(row_letters(1), "..........");
}

TEST_F(MenuTest, LabelsFillTheGridLetterByLetter) {
    h.write_labels("Hello, world\nABC\r\nxyz\n");
    h.start();
    show_menu();
    EXPECT_TRUE(h.backend().boxes().empty());
    EXPECT_EQ(row_letters(1), "hello..wor");
    EXPECT_EQ(row_letters(2), "abc.......");
    EXPECT_EQ(row_letters(3), "xyz.......");
    EXPECT_EQ(row_letters(4), "..........");
    EXPECT_EQ(row_letters(10), "..........");
    // What the user sees: the letter's picture in the menu window's pixels.
    EXPECT_EQ(h.pixel("Form2", 54, menu_top + 10), letter_colour('h'));
}

TEST_F(MenuTest, ByteOrderMarkDigitsAndNonAsciiDrawNothing) {
    h.write_labels(
        "\xEF\xBB\xBFmenu\n1a2\xD0\x96"
        "b\n");
    h.start();
    show_menu();
    EXPECT_EQ(row_letters(1), "...menu...");
    EXPECT_EQ(row_letters(2), ".a...b....");
}

TEST_F(MenuTest, EmptyFileChangesNothing) {
    h.write_labels("");
    h.start();
    show_menu();
    EXPECT_TRUE(h.backend().boxes().empty());
    for (int row = 1; row <= 10; ++row) EXPECT_EQ(row_letters(row), "..........");
}

TEST_F(MenuTest, EachShowRereadsTheFileAndSpacesKeepOldGlyphs) {
    h.write_labels("abc\n");
    h.start();
    show_menu();
    h.write_labels("d f\n\nqq\n");
    toggle_twice();
    EXPECT_EQ(row_letters(1), "dbf.......");
    EXPECT_EQ(row_letters(3), "qq........");
}

TEST_F(MenuTest, MissingLetterStopsAtThatCellAndClosesTheFile) {
    h.write_labels("ham\nlater\n");
    std::filesystem::remove(h.skin_dir() / "bm.bmp");
    h.start();
    show_menu();
    ASSERT_EQ(h.backend().boxes().size(), 1U);
    EXPECT_EQ(h.backend().boxes()[0].spec.text, "Cannot open file \"" +
                                                    (h.skin_dir() / "bm.bmp").string() + "\". " +
                                                    test::no_such_file_text() + ".");
    EXPECT_EQ(row_letters(1), "ha........");
    EXPECT_EQ(row_letters(2), "..........");
    EXPECT_FALSE(test::held_open(h.work_dir() / "osyl.dat"));
    EXPECT_TRUE(h.window("Form2").shown);

    h.write_labels("hat\nlater\n");
    toggle_twice();
    EXPECT_EQ(h.backend().boxes().size(), 1U);
    EXPECT_EQ(row_letters(1), "hat.......");
    EXPECT_EQ(row_letters(2), "later.....");
}

TEST_F(MenuTest, PointerMarkerJumpsToTheRowUnderTheMouse) {
    h.write_labels("");
    h.start();
    EXPECT_EQ(Form2->Ukaz.top(), 9);
    show_menu();
    for (int row = 1; row <= 10; ++row) {
        h.backend().move(cell_centre(row, 1 + row % 10));
        h.run();
        EXPECT_EQ(Form2->Ukaz.top(), 9 + 24 * (row - 1)) << "row " << row;
        EXPECT_EQ(h.pixel("Form2", 38 + 5, menu_top + 9 + 24 * (row - 1)), 0x068AC7U);
    }
    h.backend().move({100, 100});  // off the menu: the marker stays
    h.run();
    EXPECT_EQ(Form2->Ukaz.top(), 225);
}

TEST_F(MenuTest, MarkerFollowsTheMouseWhileTheBarIsActive) {
    h.write_labels("");
    h.start();
    show_menu();
    h.backend().click({300, 587});  // activates the bar
    h.backend().move(cell_centre(4, 2));
    h.run();
    EXPECT_EQ(h.backend().focused_window(), "Form1");
    EXPECT_EQ(Form2->Ukaz.top(), 81);
}

TEST_F(MenuTest, LeftDragFromOneRowOverAnotherLeavesTheMarker) {
    h.write_labels("");
    h.start();
    show_menu();
    h.backend().press(cell_centre(2, 3));
    h.backend().move(cell_centre(2, 3));
    h.backend().move(cell_centre(5, 3));
    h.run();
    EXPECT_EQ(Form2->Ukaz.top(), 33);
    h.backend().release(cell_centre(5, 3));
    h.backend().move(cell_centre(5, 4));
    h.run();
    EXPECT_EQ(Form2->Ukaz.top(), 105);
}

TEST_F(MenuTest, InsertInTheActiveMenuEndsTheProgram) {
    for (Modifiers modifiers : {0U, unsigned{Shift}, unsigned{Ctrl}, unsigned{Alt}}) {
        AppHarness run;
        run.write_labels("");
        run.start();
        run.backend().click(prg);
        run.backend().key(key_insert, modifiers);
        EXPECT_TRUE(run.run()) << modifiers;
        EXPECT_EQ(run.app().exit_status(), 0);
    }
}

TEST_F(MenuTest, InsertWhileTheBarIsActiveOrOtherKeysDoNothing) {
    h.write_labels("");
    h.start();
    h.backend().key(key_insert);
    show_menu();
    h.backend().key(27);
    h.backend().key(46);
    h.run();
    EXPECT_FALSE(h.app().finished());
    EXPECT_TRUE(h.window("Form2").shown);
}

TEST_F(MenuTest, LargerLettersGrowTheWindowAndActivateItOverTheGrownPart) {
    h.write_labels("\n\n\n\n\n\n\n\n\n         a\n");
    h.write_skin("ba.bmp", 60, 90, letter_colour('a'));
    h.start();
    show_menu();
    EXPECT_EQ(h.window("Form2").bounds, (Rect{0, 277, 221, 315}));
    h.backend().click({300, 587});      // the bar takes the keyboard
    h.backend().move({215, 277 + 10});  // over the grown part: no element there
    h.run();
    EXPECT_EQ(h.backend().focused_window(), "Form2");
}

// Letters larger than a cell overlap their neighbours; the cells' creation order decides
// which letter is seen where two overlap.
TEST_F(MenuTest, OverlappingLettersStackInTheCellsCreationOrder) {
    h.write_labels("abcdefghij\nb\nc\nd\ne\nf\ng\nh\ni\nj\n");
    for (char l = 'a'; l <= 'j'; ++l)
        h.write_skin(std::string("b") + l + ".bmp", 14, 26, letter_colour(l));
    h.start();
    show_menu();
    auto letter_at = [&](int x, int y) {
        Rgb colour = h.pixel("Form2", x, menu_top + y);
        for (char l = 'a'; l <= 'j'; ++l)
            if (colour == letter_colour(l)) return l;
        return '?';
    };
    std::string across, down;
    for (int column = 2; column <= TForm2::columns; ++column)
        across += letter_at(41 + 12 * column, 9 + 1);  // the left edge of each cell in row 1
    for (int row = 2; row <= TForm2::rows; ++row)
        down += letter_at(41 + 12 + 1, 9 + 24 * (row - 1));  // the top edge of column 1
    EXPECT_EQ(across, "bcddegghj");
    EXPECT_EQ(down, "bcdefghii");
}

}  // namespace
}  // namespace osyl
