// A report raised by the clock while the menu is active: once it is dismissed, the menu
// has the keyboard again, so Insert still ends the program. Waits for a minute change.

#include "e2e/desktop_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace osyl::test {
namespace {

using namespace std::chrono_literals;

TEST(EndToEndReport, ClockReportGivesTheKeyboardBackToTheMenu) {
    DesktopSession session;
    session.folder().write_labels("abc\n");
    ChildProcess& program = session.launch();
    session.click(prg_point);
    ASSERT_TRUE(session.wait_focus(session.menu())) << "the menu never got the keyboard";
    for (char digit = '0'; digit <= '9'; ++digit)
        std::filesystem::remove(session.folder().skin_dir() / (std::string("c") + digit + ".bmp"));

    std::optional<WindowInfo> report;
    for (int tries = 0; tries < 4 && !report; ++tries) report = session.wait_for_report();
    ASSERT_TRUE(report) << "no report at the minute change";
    ASSERT_TRUE(session.wait_focus(report->id)) << "the report does not have the keyboard";
    session.key("Return");
    ASSERT_TRUE(session.wait_viewable(report->id, false)) << "Enter left the report open";
    EXPECT_TRUE(session.wait_focus(session.menu())) << session.describe_windows();
    session.key("Insert");
    EXPECT_EQ(program.wait_exit(2s), std::optional<int>(0));
}

}  // namespace
}  // namespace osyl::test
