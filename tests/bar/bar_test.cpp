#include "bar/form1.h"
#include "menu/form2.h"
#include "platform/files.h"
#include "support/app_harness.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace osyl {
namespace {

using test::AppHarness;
using test::digit_colour;

constexpr int bar_top = 577;
constexpr Point prg{20, bar_top + 10};
constexpr Point opt{568, bar_top + 12};
constexpr Point res{590, bar_top + 11};
constexpr Point outside{400, 100};

class BarTest : public testing::Test {
protected:
    BarTest() { h.write_labels("abc\n"); }

    // The digits the four clock elements show, read from the bar's pixels.
    std::string clock_digits() {
        std::string shown;
        for (int x : {69, 80, 97, 108}) {
            Rgb colour = h.pixel("Form1", x, bar_top + 11);
            char digit = '?';
            for (char d = '0'; d <= '9'; ++d)
                if (colour == digit_colour(d)) digit = d;
            shown += digit;
        }
        return shown;
    }

    Point position(const Element& element) { return {element.left(), element.top()}; }

    AppHarness h;
};

TEST_F(BarTest, BarSitsAtTheBottomAndTheFirstTickDrawsTheTime) {
    h.backend().set_time(14, 7, 33);
    h.start();
    EXPECT_EQ(h.window("Form1").bounds, (Rect{0, 577, 800, 24}));
    EXPECT_TRUE(h.window("Form1").shown);
    EXPECT_FALSE(h.window("Form2").shown);
    EXPECT_EQ(h.backend().focused_window(), "Form1");
    EXPECT_EQ(clock_digits(), "1407");
    // The 12-pixel digits overlap by one column: c2 lies over c1, c3 over c4.
    EXPECT_EQ(h.pixel("Form1", 75, bar_top + 11), digit_colour('4'));
    EXPECT_EQ(h.pixel("Form1", 103, bar_top + 11), digit_colour('0'));
}

TEST_F(BarTest, LeftPressMovesTheButtonUntilReleasedAnywhere) {
    h.start();
    h.backend().press(opt);
    h.run();
    EXPECT_EQ(position(Form1->Opt), (Point{565, 9}));
    EXPECT_EQ(h.pixel("Form1", 563, bar_top + 7),
              h.pixel("Form1", 563, bar_top + 8));  // uncovered panel
    h.backend().release(outside);
    h.run();
    EXPECT_EQ(position(Form1->Opt), (Point{563, 7}));
}

TEST_F(BarTest, RightPressOnOneButtonReleasedOverAnotherMovesBoth) {
    h.start();
    h.backend().press(opt, Button::Right);
    h.backend().release(res, Button::Right);
    h.run();
    EXPECT_EQ(position(Form1->Opt), (Point{565, 9}));
    EXPECT_EQ(position(Form1->res), (Point{583, 4}));
    // Released over no button at all: the pressed one stays moved.
    h.backend().press({610, bar_top + 10}, Button::Middle);
    h.backend().release(outside, Button::Middle);
    h.run();
    EXPECT_EQ(position(Form1->shut), (Point{611, 8}));
}

TEST_F(BarTest, StartButtonTogglesTheMenuAndEachShowReadsTheLabels) {
    h.start();
    h.backend().click(prg);
    h.run();
    EXPECT_TRUE(h.window("Form2").shown);
    EXPECT_EQ(h.window("Form2").bounds, (Rect{0, 277, 200, 300}));
    EXPECT_EQ(h.backend().focused_window(), "Form2");
    EXPECT_EQ(Form1->menu_shown(), 1);
    EXPECT_EQ(position(Form1->Prg), (Point{9, 5}));

    h.backend().click(prg);
    h.run();
    EXPECT_FALSE(h.window("Form2").shown);
    EXPECT_EQ(Form1->menu_shown(), 0);

    h.write_labels("z\n");
    h.backend().click(prg, Button::Right);  // any button's release toggles
    h.run();
    EXPECT_TRUE(h.window("Form2").shown);
    EXPECT_EQ(Form2->cell(1, 1).picture().at(0, 0), test::letter_colour('z'));
}

TEST_F(BarTest, DoubleClickOnStartButtonShowsAndHidesAgain) {
    h.start();
    h.backend().click(prg);
    h.backend().click(prg);  // same moment and place: the second press is a double click
    h.run();
    EXPECT_FALSE(h.window("Form2").shown);
    EXPECT_EQ(position(Form1->Prg), (Point{9, 5}));
    EXPECT_EQ(Form1->menu_shown(), 0);
}

TEST_F(BarTest, MenuClosedByTheWindowManagerLeavesTheFlagSet) {
    h.start();
    h.backend().click(prg);
    h.backend().close("Form2");
    h.run();
    EXPECT_FALSE(h.window("Form2").shown);
    EXPECT_EQ(Form1->menu_shown(), 1);
    h.backend().click(prg);  // closes the already hidden menu
    h.run();
    EXPECT_FALSE(h.window("Form2").shown);
    EXPECT_EQ(Form1->menu_shown(), 0);
    h.backend().click(prg);
    h.run();
    EXPECT_TRUE(h.window("Form2").shown);
}

TEST_F(BarTest, MissingDigitIsReportedOncePerChangeThatNeedsIt) {
    h.backend().set_time(12, 4, 50);
    h.start();
    ASSERT_EQ(clock_digits(), "1204");
    std::filesystem::remove(h.skin_dir() / "c5.bmp");
    h.backend().advance(15'000);  // 12:05
    h.run();
    ASSERT_EQ(h.backend().boxes().size(), 1U);
    std::string path = (h.skin_dir() / "c5.bmp").string();
    EXPECT_EQ(h.backend().boxes()[0].spec.text,
              "Cannot open file \"" + path + "\". " + test::no_such_file_text() + ".");
    EXPECT_EQ(h.backend().boxes()[0].spec.caption, "osyl");
    EXPECT_EQ(clock_digits(), "1204");  // c4 failed and keeps its picture

    h.backend().advance(60'000);  // 12:06, no 5 needed
    h.run();
    EXPECT_EQ(h.backend().boxes().size(), 1U);
    EXPECT_EQ(clock_digits(), "1206");

    h.backend().advance(9 * 60'000);  // 12:15: c3 1 loads, c4 5 fails
    h.run();
    EXPECT_EQ(h.backend().boxes().size(), 2U);
    EXPECT_EQ(clock_digits(), "1214");
}

TEST_F(BarTest, TicksWithinOneMinuteLoadNothing) {
    h.backend().set_time(8, 30, 1);
    h.start();
    std::uint64_t opens = file_open_count();
    h.backend().advance(50'000);
    h.run();
    EXPECT_EQ(file_open_count(), opens);
    std::size_t sends = h.window("Form1").sends;
    h.backend().advance(10'000);  // 8:31 loads c1..c4 again
    h.run();
    EXPECT_EQ(file_open_count(), opens + 4);
    EXPECT_EQ(clock_digits(), "0831");
    // Only the digit that changed goes to the display.
    EXPECT_EQ(h.window("Form1").sends, sends + 1);
    EXPECT_EQ(h.window("Form1").last_sent, (Rect{103, 6, 12, 12}));
    h.backend().advance(29 * 60'000);  // 9:00 changes c2, c3 and c4 (c3 lies over c4)
    h.run();
    EXPECT_EQ(h.window("Form1").last_sent, (Rect{75, 6, 40, 12}));
    EXPECT_EQ(clock_digits(), "0900");
}

TEST_F(BarTest, ChangedTimeFormatRedrawsAtTheNextTick) {
    h.backend().set_time(21, 5, 0);
    h.start();
    EXPECT_EQ(clock_digits(), "2105");
    h.backend().set_locale({false, true, false, ':', "AM", "PM"});
    h.backend().settings_changed();
    h.backend().advance(2000);
    h.run();
    EXPECT_EQ(clock_digits(), "0905");
}

TEST_F(BarTest, ReportBetweenPressAndReleaseLeavesTheButtonMoved) {
    h.backend().set_time(12, 4, 59);
    h.start();
    std::filesystem::remove(h.skin_dir() / "c5.bmp");
    h.backend().press(opt);
    h.backend().advance(2000);  // the clock fails while the button is held
    h.backend().dismiss_box();
    h.backend().release(outside);  // no longer captured: goes to nothing
    h.run();
    EXPECT_EQ(h.backend().boxes().size(), 1U);
    EXPECT_EQ(position(Form1->Opt), (Point{565, 9}));
}

}  // namespace
}  // namespace osyl
