// Faults an unlucky user runs into: a skin too large for memory, errors that keep coming
// while nobody dismisses the reports, and a wall clock that is set back.

#include "menu/form2.h"
#include "platform/picture.h"
#include "support/app_harness.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace osyl {
namespace {

using test::AppHarness;

constexpr Point prg{20, 587};

TEST(Robustness, SkinLargerThanTheBudgetIsReportedAndTheCellKeepsItsPicture) {
    AppHarness h;
    h.write_skin("bp.bmp", 2000, 2000, test::letter_colour('p'));  // 16 MB of pixels each
    h.write_labels("PPPP\n");
    h.start();
    h.backend().click(prg);
    EXPECT_FALSE(h.run());
    ASSERT_EQ(h.backend().boxes().size(), 1U);
    EXPECT_EQ(h.backend().boxes()[0].spec.text.rfind("System Error.  Code: ", 0), 0U);
    EXPECT_TRUE(h.window("Form2").shown);
    EXPECT_LE(pixel_bytes_in_use(), pixel_budget_bytes);
    // The first cells took the picture; the one that did not fit is still a 12 x 12 cell.
    EXPECT_EQ(Form2->find("b11")->bounds().width, 2000);
    int refused = 0;
    for (const char* name : {"b12", "b13", "b14"})
        refused += Form2->find(name)->bounds().width == 12;
    EXPECT_EQ(refused, 1);
}

TEST(Robustness, ReportsNestSixteenDeepAndFurtherErrorsGoToStandardError) {
    AppHarness h;
    h.backend().set_time(12, 0, 30);
    h.start();
    for (char d = '0'; d <= '9'; ++d)
        std::filesystem::remove(h.skin_dir() / ("c" + std::string(1, d) + ".bmp"));
    h.backend().advance(20 * 60'000);  // twenty minute changes, nobody at the desk
    testing::internal::CaptureStderr();
    h.run();
    std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(h.backend().boxes().size(), 16U);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 4);
    EXPECT_EQ(written.rfind("osyl: Cannot open file \"", 0), 0U) << written;
    EXPECT_EQ(h.backend().open_boxes(), 0U);  // all dismissed at the end of the script
}

TEST(Robustness, ClockSetBackIsShownWithinASecond) {
    AppHarness h;
    h.backend().set_time(12, 5, 0, 500);
    h.start();
    h.backend().step_clock(-3'600'000);  // 11:05
    h.backend().advance(1'000);
    h.run();
    // c2 shows the hour's units: 1 after the step, 2 before it.
    EXPECT_EQ(h.pixel("Form1", 80, 588), test::digit_colour('1'));
}

}  // namespace
}  // namespace osyl
