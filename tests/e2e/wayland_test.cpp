// The real program on a headless sway, driven by a virtual pointer and wtype and watched
// through grim and the compositor's task list.

#include "e2e/wayland_session.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>

namespace osyl::test {
namespace {

using namespace std::chrono_literals;

bool has(const std::vector<std::string>& titles, const std::string& title) {
    return std::find(titles.begin(), titles.end(), title) != titles.end();
}

class Wayland : public testing::Test {
protected:
    // What the program should show, from its twin on the in-memory display after the same
    // input (which uses the X11 places).
    Picture headless(const std::string& window, const std::vector<Point>& clicks,
                     std::optional<Point> move = std::nullopt) {
        HeadlessTwin twin(session.folder());
        for (Point at : clicks) twin.backend().click(at);
        if (move) twin.backend().move(*move);
        return twin.pixels(window);
    }

    WaylandSession session;
};

TEST_F(Wayland, BarMenuAndMarkerThenSigterm) {
    session.folder().write_labels(sample_labels);
    Picture bar = headless("Form1", {});
    Picture menu = headless("Form2", {prg_point});
    Picture marked = headless("Form2", {prg_point}, glyph_point(5, 1));
    ASSERT_NE(menu, marked) << "the twin's marker did not move";
    ChildProcess& program = session.launch();

    Picture seen = session.wait_for_picture(wayland_bar_area, bar, {clock_digits});
    EXPECT_EQ(differences(seen, bar, {clock_digits}), "");

    session.click(on_wayland(prg_point));
    seen = session.wait_for_picture(wayland_menu_area, menu);
    EXPECT_EQ(differences(seen, menu), "") << "no menu at (0, 276) with its labels";
    EXPECT_TRUE(session.toplevel_titles().empty()) << "the menu or the bar is listed as a task";

    // The pointer then leaves sideways, so that the picture shows no cursor.
    session.move(on_wayland(glyph_point(5, 1)));
    session.move({400, 100});
    seen = session.wait_for_picture(wayland_menu_area, marked);
    EXPECT_EQ(differences(seen, marked), "") << "the marker did not follow the pointer";

    // The second click hides the menu; the third shows it again.
    Picture background = crop(session.screen(), {300, 100, 1, 1});
    session.click(on_wayland(prg_point));
    seen = session.wait_for_picture({100, 300, 1, 1}, background);
    EXPECT_EQ(differences(seen, background), "") << "the menu stayed";
    session.click(on_wayland(prg_point));
    session.wait_for_picture(wayland_menu_area, marked);

    program.kill(SIGTERM);
    EXPECT_EQ(program.wait_exit(10s), 0) << program.err();
}

// The report takes the keyboard from the layer surfaces and gives it back: the menu, shown
// after it, takes Insert.
TEST_F(Wayland, MissingLabelsReportTakesEnterThenInsertEnds) {
    ChildProcess& program = session.launch();
    session.wait_for_picture(wayland_bar_area, headless("Form1", {}), {clock_digits});
    session.click(on_wayland(prg_point));
    bool opened = poll_until([&] { return has(session.toplevel_titles(), "osyl"); });
    ASSERT_TRUE(opened) << "no report titled osyl";

    session.key("Return");
    bool closed = poll_until([&] { return session.toplevel_titles().empty(); });
    EXPECT_TRUE(closed) << "Enter did not close the report";
    // The menu went on showing after the report.
    Picture menu = headless("Form2", {prg_point});
    EXPECT_EQ(differences(session.wait_for_picture(wayland_menu_area, menu), menu), "");

    session.key("Insert");
    EXPECT_EQ(program.wait_exit(10s), 0) << program.err();
}

TEST_F(Wayland, LostCompositorEndsWithZeroAndOneLine) {
    ChildProcess& program = session.launch();
    session.wait_for_picture(wayland_bar_area, headless("Form1", {}), {clock_digits});
    session.stop_compositor();
    EXPECT_EQ(program.wait_exit(10s), 0);
    EXPECT_EQ(program.err(), "osyl: lost the connection to the Wayland display\n");
}

// A backend that cannot be had is a start-up failure, not a silent switch to the other.
TEST(WaylandChoice, AForcedOrUnknownBackendFailsAtStartUp) {
    struct Case {
        Environment environment;
        const char* message;
    };
    const Case cases[] = {
        {{{"OSYL_BACKEND", "wayland"}, {"WAYLAND_DISPLAY", "osyl-none"}},
         "Cannot connect to the Wayland display"},
        {{{"OSYL_BACKEND", "x11"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ""}},
         "Cannot open X display"},
        {{{"OSYL_BACKEND", "gtk"}}, "OSYL_BACKEND must be x11 or wayland, not gtk"},
    };
    ProgramFolder folder;
    for (const Case& c : cases) {
        RunResult result = run({folder.executable().string()}, c.environment);
        EXPECT_EQ(result.status, 1) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
}

}  // namespace
}  // namespace osyl::test
