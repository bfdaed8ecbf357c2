#include "app/startup_failure.h"
#include "app/title.h"
#include "bar/form1.h"
#include "menu/form2.h"
#include "platform/errors.h"
#include "support/app_harness.h"

#include <gtest/gtest.h>

#include <new>
#include <regex>

namespace osyl {
namespace {

using test::AppHarness;

constexpr Point prg{20, 587};

TEST(ApplicationTitle, FileNameCutAtTheFirstDotWithTheRestInLowerCase) {
    EXPECT_EQ(application_title("/opt/BAR.EXE"), "Bar");
    EXPECT_EQ(application_title("/x/my.tool.exe"), "my");
    EXPECT_EQ(application_title("/usr/local/lib/osyl/osyl"), "osyl");
    EXPECT_EQ(application_title("/home/u/OSYL"), "Osyl");
    EXPECT_EQ(application_title("noslash.v2"), "noslash");
    EXPECT_EQ(application_title("/dir.d/.hidden"), "");
    // However deep the program lies, the title is its own file name.
    EXPECT_EQ(application_title("/" + std::string(4843, 'd') + "/Osyl.exe"), "Osyl");
}

TEST(StartupFailure, NamesTheTypeTheModuleAndTheMessage) {
    std::string text =
        startup_failure_text(OutOfResources("Not enough timers available"), "/usr/bin/osyl",
                             reinterpret_cast<const void*>(&application_title));
    EXPECT_TRUE(std::regex_match(
        text, std::regex("Exception EOutOfResources in module osyl at [0-9A-F]{8}\\.\r\n"
                         "Not enough timers available\\.\r\n")))
        << text;
    // Memory running out reads as the platform's report, not as the library's type name.
    text = startup_failure_text(std::bad_alloc(), "/usr/bin/osyl", nullptr);
    EXPECT_TRUE(text.starts_with("Exception EOutOfMemory in module osyl at "));
    EXPECT_TRUE(
        text.ends_with("\r\n" + report_text(SystemError(out_of_memory_error()).what()) + "\r\n"))
        << text;
}

TEST(Application, ClosingTheBarEndsWithZeroWhileTheMenuIsShown) {
    AppHarness h;
    h.write_labels("");
    h.start();
    h.backend().click(prg);
    h.run();
    ASSERT_TRUE(h.window("Form2").shown);
    h.backend().close("Form1");
    EXPECT_TRUE(h.run());
    EXPECT_EQ(h.app().exit_status(), 0);
    EXPECT_FALSE(h.window("Form2").shown);
}

TEST(Application, TerminationRequestEndsWithZero) {
    AppHarness h;
    h.start();
    h.backend().quit();
    EXPECT_TRUE(h.run());
    EXPECT_EQ(h.app().exit_status(), 0);
}

TEST(Application, FailedHandlerIsReportedAndTheLoopGoesOn) {
    AppHarness h;
    h.start();
    h.backend().set_auto_dismiss(false);
    h.backend().click(prg);  // no label file
    h.backend().dismiss_box();
    h.backend().click({568, 589});  // Opt still answers
    h.backend().press({568, 589});
    h.run();
    ASSERT_EQ(h.backend().boxes().size(), 1U);
    EXPECT_FALSE(h.backend().boxes()[0].open);
    EXPECT_EQ(h.backend().boxes()[0].spec.caption, "osyl");
    EXPECT_EQ(Form1->Opt.left(), 565);
    EXPECT_EQ(h.backend().focused_window(), "Form1");
}

TEST(Application, ClockTicksWhileAReportIsOpenAndInputWaits) {
    AppHarness h;
    h.backend().set_time(10, 59, 30);
    h.start();
    h.backend().set_auto_dismiss(false);
    h.backend().click(prg);  // opens a report: no label file
    h.backend().advance(40'000);
    h.backend().click({568, 589});  // the bar is disabled: nothing moves
    h.backend().press({568, 589});
    h.backend().dismiss_box();
    h.run();
    EXPECT_EQ(Form1->c1.picture().at(0, 0), test::digit_colour('1'));
    EXPECT_EQ(Form1->c3.picture().at(0, 0),
              test::digit_colour('0'));  // 11:00 drawn during the report
    EXPECT_EQ(Form1->c4.picture().at(0, 0), test::digit_colour('0'));
    EXPECT_EQ(Form1->Opt.left(), 563);
    EXPECT_TRUE(h.window("Form2").shown);
    EXPECT_EQ(h.backend().focused_window(), "Form2");  // the menu was active when it opened
}

// Two reports at once: the menu's label file is missing, then the clock needs a missing
// digit and opens a second report over the first. Nothing but the boxes takes input until
// the last one closes.
TEST(Application, WhileAnyReportIsOpenTheWindowsTakeNoInput) {
    AppHarness h;
    h.backend().set_time(10, 59, 30);
    h.start();
    std::filesystem::remove(h.skin_dir() / "c0.bmp");
    h.backend().set_auto_dismiss(false);
    h.backend().click(prg);
    h.backend().advance(40'000);
    h.backend().dismiss_box();  // the first report is still open
    h.backend().press({568, 589});
    h.backend().key(key_insert);
    h.backend().close("Form1");
    h.backend().dismiss_box();
    h.run();
    ASSERT_EQ(h.backend().boxes().size(), 2U);
    EXPECT_EQ(h.backend().boxes()[0].spec.text, "File not found.");
    EXPECT_NE(h.backend().boxes()[1].spec.text.find("c0.bmp"), std::string::npos);
    EXPECT_FALSE(h.app().finished());
    EXPECT_EQ(Form1->Opt.left(), 563);
    EXPECT_EQ(h.backend().open_boxes(), 0U);
}

TEST(Application, ReportRaisedByTheClockGivesTheKeyboardBackToTheMenu) {
    AppHarness h;
    h.write_labels("");
    h.backend().set_time(10, 59, 30);
    h.start();
    std::filesystem::remove(h.skin_dir() / "c0.bmp");
    h.backend().set_auto_dismiss(false);
    h.backend().click(prg);
    h.backend().advance(40'000);
    h.backend().dismiss_box();
    h.backend().key(key_insert);
    EXPECT_TRUE(h.run());
    EXPECT_EQ(h.app().exit_status(), 0);
}

TEST(Application, WindowsAreDestroyedWithTheApplication) {
    auto h = std::make_unique<AppHarness>();
    h->start();
    EXPECT_EQ(h->backend().live_windows(), 2U);
    EXPECT_NE(Form1, nullptr);
    h.reset();
    EXPECT_EQ(Form1, nullptr);
    EXPECT_EQ(Form2, nullptr);
}

}  // namespace
}  // namespace osyl
