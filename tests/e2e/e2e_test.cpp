// The real program on a real X server, driven only by XTEST input and watched only through
// xwininfo and xwd: once on a bare server and once under openbox.

#include "e2e/desktop_session.h"
#include "platform/x11/x_client.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <thread>

namespace osyl::test {

// Names the parameter in test listings.
void PrintTo(WindowManager manager, std::ostream* out) { *out << name_of(manager); }

namespace {

using namespace std::chrono_literals;

constexpr Rgb field_blue = 0x068AC7;
constexpr Rgb black = 0x000000;

std::string wm_name(const testing::TestParamInfo<WindowManager>& info) {
    return name_of(info.param);
}

// The bar with Opt held down: 2 pixels right and down, over the black inside of the panel.
Picture with_opt_pressed(const Picture& bar) {
    Picture pressed = bar;
    pressed.fill(563, 7, 576, 20, black);
    pressed.blit(crop(bar, {563, 7, 12, 12}), 565, 9);
    return pressed;
}

class EndToEnd : public testing::TestWithParam<WindowManager> {
protected:
    EndToEnd() : session(GetParam()) { session.folder().write_labels(sample_labels); }

    // The menu as the headless program draws it after one click on the start button.
    Picture headless_menu() {
        HeadlessTwin twin(session.folder());
        twin.backend().click(prg_point);
        return twin.pixels("Form2");
    }
    Picture headless_bar() {
        HeadlessTwin twin(session.folder());
        return twin.pixels("Form1");
    }
    void show_menu() {
        session.click(prg_point);
        ASSERT_TRUE(session.wait_viewable(session.menu(), true)) << "the menu was never mapped";
    }

    DesktopSession session;
};

TEST_P(EndToEnd, BarIsMappedAtItsPlaceAndLooksLikeTheHeadlessBar) {
    session.launch();
    std::optional<WindowInfo> bar = session.window(session.bar());
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->bounds, bar_area);
    std::optional<WindowInfo> menu = session.window(session.menu());
    ASSERT_TRUE(menu) << "no menu window";
    EXPECT_FALSE(menu->viewable);

    // Row 23 lies below an 800 x 600 screen; the session's screen is 624 rows high.
    Picture expected = headless_bar();
    Picture seen = session.wait_for_picture(bar_area, expected, {clock_digits});
    EXPECT_EQ(differences(seen, expected, {clock_digits}), "");
    EXPECT_EQ(seen.at(400, 23), 0xF0F0F0u);
}

TEST_P(EndToEnd, StartButtonShowsTheMenuAboveTheBarAndHidesItAgain) {
    session.launch();
    Picture expected = headless_menu();
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE("show " + std::to_string(round));
        ASSERT_NO_FATAL_FAILURE(show_menu());
        std::optional<WindowInfo> menu = session.window(session.menu());
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->bounds, menu_area);
        Picture seen = session.wait_for_picture(menu_area, expected);
        EXPECT_EQ(differences(seen, expected), "");

        session.click(prg_point);
        EXPECT_TRUE(session.wait_viewable(session.menu(), false)) << "the menu stayed mapped";
        std::optional<WindowInfo> bar = session.window(session.bar());
        ASSERT_TRUE(bar);
        EXPECT_TRUE(bar->viewable);
        EXPECT_EQ(bar->bounds, bar_area);
    }
}

TEST_P(EndToEnd, PushButtonShiftsWhileHeldAndComesBackOnRelease) {
    session.launch();
    Picture rest = headless_bar();
    Picture before = session.wait_for_picture(bar_area, rest, {clock_digits});
    ASSERT_EQ(differences(before, rest, {clock_digits}), "");
    Picture pressed = with_opt_pressed(before);

    session.press(opt_point);
    Picture seen = session.wait_for_picture(bar_area, pressed, {clock_digits});
    EXPECT_EQ(differences(seen, pressed, {clock_digits}), "") << "while held";
    session.release(opt_point);
    seen = session.wait_for_picture(bar_area, before, {clock_digits});
    EXPECT_EQ(differences(seen, before, {clock_digits}), "") << "after the release";

    // A left press keeps the button's capture: a release far outside the bar restores it.
    session.press(opt_point);
    seen = session.wait_for_picture(bar_area, pressed, {clock_digits});
    EXPECT_EQ(differences(seen, pressed, {clock_digits}), "") << "held again";
    session.release({400, 100});
    seen = session.wait_for_picture(bar_area, before, {clock_digits});
    EXPECT_EQ(differences(seen, before, {clock_digits}), "") << "after a release outside";
}

TEST_P(EndToEnd, PointerMarkerFollowsTheRowUnderTheMouse) {
    session.launch();
    HeadlessTwin twin(session.folder());
    twin.backend().click(prg_point);
    Picture first = twin.pixels("Form2");
    Picture marker = crop(first, {38, 9, 12, 12});
    ASSERT_NO_FATAL_FAILURE(show_menu());
    session.wait_for_picture(menu_area, first);

    for (int row : {5, 10}) {
        SCOPED_TRACE("row " + std::to_string(row));
        int top = 9 + 24 * (row - 1);
        session.move(glyph_point(row, 3));
        twin.backend().move(glyph_point(row, 3));
        Picture expected = twin.pixels("Form2");
        Picture seen = session.wait_for_picture(menu_area, expected);
        EXPECT_EQ(differences(crop(seen, {38, top, 12, 12}), marker), "") << "marker missing";
        EXPECT_EQ(differences(crop(seen, {38, 9, 12, 12}), Picture(12, 12, field_blue)), "")
            << "the first row still shows the marker";
        EXPECT_EQ(differences(seen, expected), "");
    }
}

TEST_P(EndToEnd, MissingLabelFileIsReportedAndTheMenuShowsAfterEnter) {
    std::filesystem::remove(session.folder().labels());
    session.launch();
    session.click(prg_point);
    std::optional<WindowInfo> report = session.wait_for_report();
    ASSERT_TRUE(report) << "no report captioned \"osyl\" came up";
    std::optional<WindowInfo> menu = session.window(session.menu());
    ASSERT_TRUE(menu);
    EXPECT_FALSE(menu->viewable) << "the menu is shown before the report is dismissed";

    ASSERT_TRUE(session.wait_focus(report->id)) << "the report does not have the keyboard";
    session.key("Return");
    EXPECT_TRUE(session.wait_viewable(report->id, false)) << "Enter left the report open";
    ASSERT_TRUE(session.wait_viewable(session.menu(), true)) << "no menu after the report";
    menu = session.window(session.menu());
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->bounds, menu_area);
    // Nothing was loaded: only the marker shows where the grid is.
    Picture expected = headless_menu();
    Picture seen = session.wait_for_picture(menu_area, expected);
    EXPECT_EQ(differences(seen, expected), "");
}

TEST_P(EndToEnd, InsertEndsTheProgramOnlyWhenTheMenuIsActive) {
    for (const char* insert : {"Insert", "KP_Insert"}) {
        SCOPED_TRACE(insert);
        ChildProcess& program = session.launch();
        ASSERT_TRUE(session.wait_focus(session.bar())) << "the bar never got the keyboard";
        session.key(insert);
        // The click comes after the key: the menu can only show if the key was ignored.
        ASSERT_NO_FATAL_FAILURE(show_menu());
        ASSERT_TRUE(session.wait_focus(session.menu())) << "the menu never got the keyboard";
        session.key(insert);
        EXPECT_EQ(program.wait_exit(1s), std::optional<int>(0));
    }
}

TEST_P(EndToEnd, TermSignalEndsWithStatusZero) {
    ChildProcess& program = session.launch();
    ASSERT_NO_FATAL_FAILURE(show_menu());
    program.kill(SIGTERM);
    EXPECT_EQ(program.wait_exit(10s), std::optional<int>(0));
    EXPECT_TRUE(poll_until([&] { return !session.window(session.bar()); }))
        << "the bar outlived the program";
}

// SIGTERM ends the program with status 0 within half a second, wherever it waits. Without a
// label file the start button opens a report, which asks the server for a timestamp.
TEST(EndToEndDisplay, SigtermAlwaysWins) {
    auto ends_at_once = [](ChildProcess& program) {
        program.kill(SIGTERM);
        return program.wait_exit(500ms);
    };
    {
        SCOPED_TRACE("the leader window destroyed by another client");
        DesktopSession session;
        ChildProcess& program = session.launch();
        XClient other(session.display());
        std::vector<std::uint32_t> leader = other.cardinals(session.bar(), "WM_CLIENT_LEADER");
        ASSERT_EQ(leader.size(), 1U);
        other.destroy(leader[0]);
        session.click(prg_point);
        EXPECT_TRUE(session.wait_for_report()) << "no report without the leader";
        EXPECT_EQ(ends_at_once(program), std::optional<int>(0));
    }
    {
        SCOPED_TRACE("the server stopped while a report opens");
        DesktopSession session;
        ChildProcess& program = session.launch();
        program.kill(SIGSTOP);
        session.click(prg_point);  // waits in the program's socket
        session.signal_server(SIGSTOP);
        program.kill(SIGCONT);
        std::this_thread::sleep_for(300ms);
        std::optional<int> status = ends_at_once(program);
        session.signal_server(SIGCONT);
        EXPECT_EQ(status, std::optional<int>(0));
    }
    {
        SCOPED_TRACE("TZ names a FIFO");
        DesktopSession session;
        std::filesystem::path fifo = session.folder().path() / "zone";
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        ChildProcess& program = session.launch({{"TZ", ":" + fifo.string()}});
        EXPECT_EQ(ends_at_once(program), std::optional<int>(0));
    }
}

TEST(EndToEndDisplay, LostDisplayEndsWithStatusZeroAndOneLine) {
    DesktopSession session;
    ChildProcess& program = session.launch();
    session.stop_server();
    EXPECT_EQ(program.wait_exit(10s), std::optional<int>(0));
    EXPECT_EQ(program.err(), "osyl: lost the connection to the X display\n");
}

// The digits the clock should show at a moment, from the hour and minute of that moment.
std::string expected_digits(std::time_t moment, int utc_offset_hours, bool twelve_hour) {
    moment += static_cast<std::time_t>(utc_offset_hours) * 3600;
    std::tm parts{};
    gmtime_r(&moment, &parts);
    int hour = parts.tm_hour;
    if (twelve_hour) hour = hour % 12 == 0 ? 12 : hour % 12;
    char text[8];
    std::snprintf(text, sizeof text, "%02d%02d", hour, parts.tm_min);
    return text;
}

// The bar as it looks with these four digit pictures of the skin in place.
Picture bar_with_digits(const Picture& bar, const ProgramFolder& folder,
                        const std::string& digits) {
    Picture out = bar;
    auto digit = [&](int index) {
        return read_bmp(folder.skin_dir() / (std::string("c") + digits[index] + ".bmp"));
    };
    // In creation order: c2 covers c1's last column, c3 covers c4's first.
    out.blit(digit(0), 64, 6);
    out.blit(digit(1), 75, 6);
    out.blit(digit(3), 103, 6);
    out.blit(digit(2), 92, 6);
    return out;
}

// Runs the program in a time zone where it is evening, so that the 24- and the 12-hour
// clock differ, and checks the whole bar against either minute around the screenshot.
void check_clock(DesktopSession& session, const Picture& headless, const std::string& locale,
                 bool twelve_hour) {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    int offset = (21 - utc.tm_hour + 24) % 24;  // 21:mm there, or 22:00 if the hour turns
    session.launch({{"LC_ALL", locale}, {"TZ", "ZZZ-" + std::to_string(offset)}});

    Picture seen;
    std::string shown;
    bool matched = poll_until([&] {
        std::time_t before = std::time(nullptr);
        seen = session.screen(bar_area);
        std::time_t after = std::time(nullptr);
        for (std::time_t moment : {before, after}) {
            std::string digits = expected_digits(moment, offset, twelve_hour);
            if (differences(seen, bar_with_digits(headless, session.folder(), digits)).empty())
                shown = digits;
        }
        return !shown.empty();
    });
    std::string wanted = expected_digits(std::time(nullptr), offset, twelve_hour);
    EXPECT_TRUE(matched) << "the clock does not show " << wanted << ": "
                         << differences(seen, bar_with_digits(headless, session.folder(), wanted));
}

TEST_P(EndToEnd, ClockShowsTheLocalTimeOnTheTwentyFourHourClock) {
    check_clock(session, headless_bar(), "C", false);
}

TEST_P(EndToEnd, ClockShowsTheLocalTimeOnTheTwelveHourClock) {
    RunResult locales = run({"locale", "-a"});
    if (locales.out.find("en_US.utf8") == std::string::npos &&
        locales.out.find("en_US.UTF-8") == std::string::npos) {
        GTEST_SKIP() << "en_US.UTF-8 is not generated (scripts/install-deps does that)";
    }
    check_clock(session, headless_bar(), "en_US.UTF-8", true);
}

INSTANTIATE_TEST_SUITE_P(, EndToEnd, testing::Values(WindowManager::None, WindowManager::Openbox),
                         wm_name);

// What only a window manager can do: its close command.
class EndToEndOpenbox : public testing::Test {
protected:
    EndToEndOpenbox() : session(WindowManager::Openbox) {
        session.folder().write_labels(sample_labels);
    }
    DesktopSession session;
};

TEST_F(EndToEndOpenbox, AltF4OnTheBarEndsWithStatusZero) {
    ChildProcess& program = session.launch();
    ASSERT_TRUE(session.wait_focus(session.bar())) << "the bar never got the keyboard";
    session.key("alt+F4");
    // openbox may still be settling its key bindings on a loaded machine: ask once more.
    std::optional<int> status = program.wait_exit(3s);
    if (!status) {
        session.key("alt+F4");
        status = program.wait_exit(10s);
    }
    EXPECT_EQ(status, std::optional<int>(0));
}

TEST_F(EndToEndOpenbox, AltF4OnTheMenuHidesItAndTheStartButtonDoesNotKnow) {
    ChildProcess& program = session.launch();
    session.click(prg_point);
    ASSERT_TRUE(session.wait_viewable(session.menu(), true));
    ASSERT_TRUE(session.wait_focus(session.menu())) << "the menu never got the keyboard";
    session.key("alt+F4");
    // A freshly started openbox may let the first Alt+F4 pass: ask once more while the menu
    // still has the keyboard.
    if (!session.wait_viewable(session.menu(), false, 3s) && session.focus() == session.menu())
        session.key("alt+F4");
    ASSERT_TRUE(session.wait_viewable(session.menu(), false))
        << "Alt+F4 left the menu mapped; focus " << session.focus() << " menu " << session.menu()
        << "; " << session.describe_windows();
    EXPECT_EQ(program.wait_exit(0ms), std::nullopt) << "Alt+F4 on the menu ended the program";

    // The start button still thinks the menu is shown: this click only resets that.
    session.click(prg_point);
    // A held Opt proves that the click was handled before the menu's state is read.
    HeadlessTwin twin(session.folder());
    Picture rest = session.wait_for_picture(bar_area, twin.pixels("Form1"), {clock_digits});
    session.press(opt_point);
    Picture pressed = with_opt_pressed(rest);
    Picture seen = session.wait_for_picture(bar_area, pressed, {clock_digits});
    ASSERT_EQ(differences(seen, pressed, {clock_digits}), "");
    session.release(opt_point);
    std::optional<WindowInfo> menu = session.window(session.menu());
    ASSERT_TRUE(menu);
    EXPECT_FALSE(menu->viewable) << "the first click after Alt+F4 showed the menu";

    session.click(prg_point);
    ASSERT_TRUE(session.wait_viewable(session.menu(), true)) << "the second click did not show it";
    menu = session.window(session.menu());
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->bounds, menu_area);
}

// The program's requests as xtrace logs them, through a display of its own (numbered far
// above those servers and people pick) in front of the session's server.
class RequestLog {
public:
    explicit RequestLog(const DesktopSession& session) {
        m_number = 6000 + static_cast<int>(getpid() % 3000);
        while (std::filesystem::exists(socket()) ||
               std::filesystem::exists("/tmp/.X" + std::to_string(m_number) + "-lock"))
            ++m_number;
        m_xtrace.emplace(std::vector<std::string>{"xtrace", "-n", "-k", "-d", session.display(),
                                                  "-D", display(), "-o", (m_dir / "log").string()},
                         SpawnOptions{{}, {}, Output::Discard, {}});
        if (!poll_until([&] { return std::filesystem::exists(socket()); }, 10s))
            throw std::runtime_error("xtrace did not start (scripts/install-deps installs it)");
    }
    ~RequestLog() {
        m_xtrace.reset();
        std::filesystem::remove(socket());
    }
    std::string display() const { return ":" + std::to_string(m_number); }
    // The requests of this name whose logged line holds the detail.
    int count(const std::string& request, const std::string& detail = "") const {
        std::ifstream log(m_dir / "log");
        int found = 0;
        for (std::string line; std::getline(log, line);)
            found += line.find(" " + request + " ") != line.npos && line.find(detail) != line.npos;
        return found;
    }

private:
    std::string socket() const { return "/tmp/.X11-unix/X" + std::to_string(m_number); }

    TempDir m_dir;
    int m_number = 0;
    std::optional<ChildProcess> m_xtrace;
};

// Until the first report or key, the program asks the server for no font to write with
// and no keyboard map; a window that was covered comes back from the server's
// copy of its picture, with no pixels sent again.
TEST(EndToEndRequests, StartUpOpensNoFontAndExposeSendsNoPixels) {
    DesktopSession session;
    RequestLog requests(session);
    session.launch({{"DISPLAY", requests.display()}});
    Picture expected = HeadlessTwin(session.folder()).pixels("Form1");
    session.wait_for_picture(bar_area, expected, {clock_digits});
    EXPECT_EQ(requests.count("OpenFont", "fixed"), 0);
    EXPECT_EQ(requests.count("GetKeyboardMapping"), 0);
    ASSERT_EQ(requests.count("PutImage", "width=800"), 1);

    RunResult cover = run({"xmessage", "-geometry", "300x40+100+570", "-timeout", "1", "cover"},
                          session.environment());
    ASSERT_EQ(cover.status, 0) << cover.err;
    Picture seen = session.wait_for_picture(bar_area, expected, {clock_digits});
    EXPECT_EQ(differences(seen, expected, {clock_digits}), "");
    EXPECT_EQ(requests.count("PutImage", "width=800"), 1);
    EXPECT_GE(requests.count("CopyArea"), 2);
}

// Without a display the program cannot start: status 1 and the reason on standard error.
TEST(EndToEndStartup, WithoutDisplayEndsWithStatusOneAndSaysWhy) {
    ProgramFolder folder;
    RunResult unset = run({"env", "-u", "DISPLAY", folder.executable().string()});
    EXPECT_EQ(unset.status, 1);
    EXPECT_NE(unset.err.find("Cannot open X display (DISPLAY is not set)"), std::string::npos)
        << unset.err;

    ASSERT_FALSE(std::filesystem::exists("/tmp/.X11-unix/X4321"));
    RunResult absent = run({folder.executable().string()}, {{"DISPLAY", ":4321"}});
    EXPECT_EQ(absent.status, 1);
    EXPECT_NE(absent.err.find("Cannot open X display \":4321\""), std::string::npos) << absent.err;
}

}  // namespace

}  // namespace osyl::test
