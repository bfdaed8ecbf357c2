// Faults that only some window managers show: each on its own X server with the manager
// that moves the bar, drops window state on withdraw, or checks focus timestamps.

#include "e2e/desktop_session.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace osyl::test {
namespace {

using namespace std::chrono_literals;

// The start button's place on the bar, wherever the bar really is.
Point start_button_on(const WindowInfo& bar) {
    return {bar.bounds.left + prg_point.x - bar_area.left,
            bar.bounds.top + prg_point.y - bar_area.top};
}

TEST(JwmEndToEnd, StartButtonWorksWhereTheTrayPushedTheBar) {
    DesktopSession session(WindowManager::Jwm, 600);
    session.folder().write_labels(sample_labels);
    session.launch();
    std::optional<WindowInfo> bar = session.window(session.bar());
    ASSERT_TRUE(bar);
    ASSERT_NE(bar->bounds.top, bar_area.top) << "jwm left the bar alone: nothing to check";
    session.click(start_button_on(*bar));
    EXPECT_TRUE(session.wait_viewable(session.menu(), true, 5s))
        << "the start button, drawn at y " << bar->bounds.top << ", did nothing";
}

TEST(IcewmEndToEnd, MenuStaysOutOfTheTaskBarWhenShownAgain) {
    DesktopSession session(WindowManager::Icewm);
    session.folder().write_labels(sample_labels);
    session.launch();
    Point start = start_button_on(*session.window(session.bar()));
    for (bool shown : {true, false, true}) {
        session.click(start);
        ASSERT_TRUE(session.wait_viewable(session.menu(), shown));
    }
    RunResult state = run({"xprop", "-id", std::to_string(session.menu()), "_NET_WM_STATE"},
                          session.environment());
    EXPECT_NE(state.out.find("_NET_WM_STATE_SKIP_TASKBAR"), std::string::npos) << state.out;
    EXPECT_NE(state.out.find("_NET_WM_STATE_SKIP_PAGER"), std::string::npos) << state.out;
}

TEST(MetacityEndToEnd, FocusRequestsCarryRealTimestampsAndTheReportGetsTheKeyboard) {
    DesktopSession session(WindowManager::Metacity);
    session.launch();  // no label file: the first show raises a report
    session.click(start_button_on(*session.window(session.bar())));
    std::optional<WindowInfo> report = session.wait_for_report();
    ASSERT_TRUE(report) << "no report came up";
    ASSERT_TRUE(session.wait_focus(report->id)) << "the report does not have the keyboard";
    session.key("Return");
    ASSERT_TRUE(session.wait_viewable(session.menu(), true)) << "no menu after the report";
    EXPECT_TRUE(session.wait_focus(session.menu()));
    EXPECT_EQ(session.window_manager_log().find("timestamp of 0"), std::string::npos)
        << session.window_manager_log();
}

}  // namespace
}  // namespace osyl::test
