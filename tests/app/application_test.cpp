#include "app/startup_failure.h"
#include "app/title.h"
#include "bar/form1.h"
#include "menu/form2.h"
#include "platform/errors.h"
#include "platform/process.h"
#include "support/app_harness.h"

#include <gtest/gtest.h>

#include <filesystem>
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

// The offset is of code in this very executable, so it lies inside its file. The box's
// wait ends when the box is dismissed, leaving later input alone.
TEST(StartupFailure, NamesTheTypeTheModuleAndTheMessageAndWaitsForTheBox) {
    std::string text = startup_failure_text(FileOpenError("Cannot open file"), "/usr/bin/osyl",
                                            reinterpret_cast<const void*>(&application_title));
    std::smatch offset;
    ASSERT_TRUE(
        std::regex_match(text, offset,
                         std::regex("Exception EFOpenError in module osyl at ([0-9A-F]{8})\\.\r\n"
                                    "Cannot open file\\.\r\n")))
        << text;
    EXPECT_LT(std::stoull(offset[1], nullptr, 16),
              std::filesystem::file_size(current_executable_path()));

    // Memory running out reads as the platform's report, not as the library's type name.
    text = startup_failure_text(std::bad_alloc(), "/usr/bin/osyl", nullptr);
    EXPECT_TRUE(text.starts_with("Exception EOutOfMemory in module osyl at "));
    EXPECT_TRUE(
        text.ends_with("\r\n" + report_text(SystemError(out_of_memory_error()).what()) + "\r\n"))
        << text;

    HeadlessBackend backend;
    backend.set_auto_dismiss(false);  // a wait that missed the dismissal fails, not spins
    backend.dismiss_box();
    backend.key(key_insert);
    testing::internal::CaptureStderr();
    EXPECT_EQ(report_startup_failure(&backend, FileOpenError("Cannot open file"), "osyl"), 1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(backend.pending_steps(), 1U);
    EXPECT_EQ(backend.open_boxes(), 0U);
}

// Skin pictures from the working directory would be a silent guess.
TEST(StartupFailure, AnExecutableNobodyCanFindStopsTheStart) {
    HeadlessBackend backend;
    backend.set_executable_path("");
    EXPECT_THROW(Application app(backend), AppError);
    EXPECT_EQ(backend.live_windows(), 0U);
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

// Of the errors from the wait: one is reported like a handler's and the loop goes on; one
// that keeps coming ends the program past the deepest report; one no guard takes ends it
// at once. Both ends write one line on standard error and give status 1.
TEST(Application, FailedWaitIsReportedAndWhatEscapesEndsWithOne) {
    AppHarness h;
    h.start();
    h.backend().set_auto_dismiss(false);
    h.backend().fail_waits(std::make_exception_ptr(AppError("Poll failed")));
    h.backend().dismiss_box();
    h.backend().press({568, 589});
    h.run();
    ASSERT_EQ(h.backend().boxes().size(), 1U);
    EXPECT_EQ(h.backend().boxes()[0].spec.text, "Poll failed.");
    EXPECT_EQ(Form1->Opt.left(), 565);
    for (auto error : {std::make_exception_ptr(AppError("Poll failed")),
                       std::make_exception_ptr(std::runtime_error("Display lost"))}) {
        AppHarness again;
        again.start();
        again.backend().fail_waits(error, 100);
        testing::internal::CaptureStderr();
        EXPECT_EQ(again.app().run(), 1);
        std::string written = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(written.ends_with("osyl: Poll failed.\n") || written == "osyl: Display lost.\n")
            << written;
        EXPECT_TRUE(again.app().finished());
    }
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

// A report raised by the clock over the shown menu, then a second one nested under it. A
// closed report gives the keys back: to the menu, or to the report left open below.
TEST(Application, ClockReportsGiveTheKeyboardBackToWhatIsBelow) {
    for (std::int64_t waited : {40'000, 100'000}) {  // 11:00 alone; 11:00 and 11:01 too
        SCOPED_TRACE(waited);
        AppHarness h;
        h.write_labels("");
        h.backend().set_time(10, 59, 30);
        h.start();
        std::filesystem::remove(h.skin_dir() / "c0.bmp");
        h.backend().set_auto_dismiss(false);
        h.backend().click(prg);
        h.backend().advance(waited);
        h.backend().dismiss_box();
        h.backend().key(key_insert);
        if (waited == 40'000) {
            EXPECT_TRUE(h.run());
            EXPECT_EQ(h.app().exit_status(), 0);
            continue;
        }
        h.backend().dismiss_box();
        EXPECT_FALSE(h.run()) << "Insert reached the menu under the report left open";
        EXPECT_EQ(h.backend().open_boxes(), 0U);
        EXPECT_EQ(h.backend().focused_window(), "Form2");
    }
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
