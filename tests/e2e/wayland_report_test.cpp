// A report raised by the clock while the menu has the keyboard, on a headless sway: once it
// is dismissed, the menu has the keyboard again, so Insert still ends the program. Waits
// for a minute change.

#include "e2e/wayland_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace osyl::test {
namespace {

using namespace std::chrono_literals;

TEST(WaylandReport, ClockReportGivesTheKeyboardBackToTheMenu) {
    WaylandSession session;
    session.folder().write_labels("abc\n");
    Picture bar;
    Picture menu;
    {
        HeadlessTwin twin(session.folder());
        bar = twin.pixels("Form1");
        twin.backend().click(prg_point);
        menu = twin.pixels("Form2");
    }
    ChildProcess& program = session.launch();
    session.wait_for_picture(wayland_bar_area, bar, {clock_digits});
    session.click(on_wayland(prg_point));
    Picture seen = session.wait_for_picture(wayland_menu_area, menu);
    ASSERT_EQ(differences(seen, menu), "") << "the menu did not show";
    for (char digit = '0'; digit <= '9'; ++digit)
        std::filesystem::remove(session.folder().skin_dir() / (std::string("c") + digit + ".bmp"));

    auto report_open = [&] {
        std::vector<std::string> titles = session.toplevel_titles();
        return std::find(titles.begin(), titles.end(), "osyl") != titles.end();
    };
    ASSERT_TRUE(poll_until(report_open, 70s)) << "no report at the minute change";
    session.key("Return");
    ASSERT_TRUE(poll_until([&] { return !report_open(); })) << "Enter left the report open";
    session.key("Insert");
    EXPECT_EQ(program.wait_exit(5s), std::optional<int>(0)) << "the menu lost the keyboard";
}

}  // namespace
}  // namespace osyl::test
