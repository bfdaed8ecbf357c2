#include "platform/errors.h"
#include "platform/x11/x11_fixture.h"
#include "support/test_support.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace osyl::test {
namespace {

using Action = MouseInput::Action;

constexpr Rect bar_bounds{0, 577, 800, 24};
constexpr Rect menu_bounds{0, 277, 200, 300};

// A picture no window manager or server default could produce by accident.
Picture pattern(int width, int height) {
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.set(x, y, static_cast<Rgb>((x * 7) % 256 << 16 | (y * 11) % 256 << 8 | 0xC7));
        }
    }
    return picture;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(X11Test, PresentedPixelsShowAtTheWindowsPlaceAndFollowItsMoves) {
    WindowId bar = create("Form1", bar_bounds, WindowRole::Main);
    Picture pixels = pattern(800, 24);
    backend->present(bar, pixels);
    show_and_wait(bar);
    EXPECT_TRUE(screen_shows(pixels, {0, 577}));

    backend->set_bounds(bar, {0, 100, 800, 24});
    EXPECT_TRUE(screen_shows(pixels, {0, 100}));
    EXPECT_EQ(client.geometry(bar), (Rect{0, 100, 800, 24}));

    // Where a new, larger size is not covered by the picture, the button face shows.
    backend->set_bounds(bar, {0, 100, 800, 30});
    Picture face(800, 6, 0xF0F0F0);
    EXPECT_TRUE(screen_shows(face, {0, 124}));

    backend->hide_window(bar);
    ASSERT_TRUE(pump_until([&] { return !client.viewable(bar); }));
    EXPECT_FALSE(shows_at(screenshot(xvfb.display()), pixels, {0, 100}));
}

TEST_F(X11Test, ExposedWindowIsRepaintedFromTheLastPicture) {
    WindowId bar = create("Form1", bar_bounds, WindowRole::Main);
    Picture pixels = pattern(800, 24);
    backend->present(bar, pixels);
    show_and_wait(bar);
    ASSERT_TRUE(screen_shows(pixels, {0, 577}));

    std::uint32_t cover = client.cover({100, 570, 200, 40});
    ASSERT_FALSE(shows_at(screenshot(xvfb.display()), pixels, {0, 577}));
    client.destroy(cover);
    EXPECT_TRUE(screen_shows(pixels, {0, 577}));
}

// Without the cursor font the windows are made all the same, with their parent's pointer,
// and no error is written.
TEST_F(X11Test, ServerWithoutTheCursorFontStillShowsTheWindows) {
    backend.reset();
    // "fixed" alone, from xfonts-base.
    TempDir fonts;
    const char* name = "-misc-fixed-medium-r-semicondensed--13-120-75-75-c-60-iso8859-1";
    std::filesystem::copy_file("/usr/share/fonts/X11/misc/6x13-ISO8859-1.pcf.gz",
                               fonts / "6x13.pcf.gz");
    std::ofstream(fonts / "fonts.dir") << "1\n6x13.pcf.gz " << name << "\n";
    std::ofstream(fonts / "fonts.alias") << "fixed " << name << "\n";
    client.set_font_path(fonts.path().string());
    testing::internal::CaptureStderr();
    backend = make_x11_backend();
    WindowId bar = create("Form1", bar_bounds, WindowRole::Main);
    Picture pixels = pattern(800, 24);
    backend->present(bar, pixels);
    show_and_wait(bar);
    EXPECT_TRUE(screen_shows(pixels, {0, 577}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(X11Test, FullScreenPictureArrivesWhole) {
    WindowId window = create("Form1", {0, 0, 800, 624}, WindowRole::Main);
    Picture pixels = pattern(800, 624);
    backend->present(window, pixels);
    show_and_wait(window);
    EXPECT_TRUE(screen_shows(pixels, {0, 0}));
}

TEST_F(X11Test, WindowsCarryTheirWindowManagerProperties) {
    WindowSpec spec;
    spec.name = "Form1";
    spec.bounds = bar_bounds;
    spec.title = "Bar";
    spec.icon = {2, 1, {0xFF112233, 0x00445566}};
    WindowId bar = backend->create_window(spec);
    WindowId menu = create("Form2", menu_bounds, WindowRole::Popup);
    backend->set_bounds(menu, {10, 20, 200, 300});
    show_and_wait(bar);  // the window manager's hints are set before each map
    show_and_wait(menu);

    RunResult main_props = tool({"xprop", "-id", hex_id(bar)});
    ASSERT_EQ(main_props.status, 0);
    const std::string& m = main_props.out;
    EXPECT_TRUE(contains(m, "WM_NAME(STRING) = \"Bar\"")) << m;
    EXPECT_TRUE(contains(m, "_NET_WM_NAME(UTF8_STRING) = \"Bar\"")) << m;
    EXPECT_TRUE(contains(m, "WM_CLASS(STRING) = \"osyl\", \"Osyl\"")) << m;
    EXPECT_TRUE(contains(m, "_NET_WM_PID(CARDINAL) = " + std::to_string(getpid()))) << m;
    EXPECT_EQ(client.cardinals(bar, "_NET_WM_ICON"),
              (std::vector<std::uint32_t>{2, 1, 0xFF112233, 0x00445566}));
    EXPECT_TRUE(contains(m, "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x2, 0x0, 0x0, 0x0, 0x0")) << m;
    EXPECT_TRUE(contains(m, "user specified location: 0, 577")) << m;
    EXPECT_TRUE(contains(m, "program specified minimum size: 800 by 24")) << m;
    EXPECT_TRUE(contains(m, "program specified maximum size: 800 by 24")) << m;
    EXPECT_TRUE(contains(m, "WM_PROTOCOLS(ATOM): protocols  WM_DELETE_WINDOW")) << m;
    EXPECT_FALSE(contains(m, "WM_TRANSIENT_FOR")) << m;

    // One hidden leader groups both windows.
    std::string leader = m.substr(m.find("WM_CLIENT_LEADER(WINDOW): window id # ") + 38);
    leader = leader.substr(0, leader.find('\n'));
    EXPECT_TRUE(contains(m, "window id # of group leader: " + leader)) << m;
    EXPECT_EQ(tool({"xwininfo", "-id", leader}).out.find("IsViewable"), std::string::npos);

    RunResult popup_props = tool({"xprop", "-id", hex_id(menu)});
    const std::string& p = popup_props.out;
    EXPECT_TRUE(contains(p, "WM_NAME(STRING) = \"Form2\"")) << p;
    EXPECT_TRUE(contains(p,
                         "_NET_WM_STATE(ATOM) = _NET_WM_STATE_SKIP_TASKBAR, "
                         "_NET_WM_STATE_SKIP_PAGER"))
        << p;
    EXPECT_TRUE(contains(p, "WM_TRANSIENT_FOR(WINDOW): window id # " + hex_id(bar))) << p;
    EXPECT_TRUE(contains(p, "window id # of group leader: " + leader)) << p;
    EXPECT_TRUE(contains(p, "user specified location: 10, 20")) << p;
    EXPECT_FALSE(contains(p, "_NET_WM_ICON")) << p;
    // A fresh server time, since no user event asked for the windows.
    auto user_time = client.cardinals(menu, "_NET_WM_USER_TIME");
    EXPECT_TRUE(user_time.size() == 1 && user_time[0] != 0) << p;
}

TEST_F(X11Test, ClicksArriveWithScreenPositionButtonAndHeldButtons) {
    WindowId bar = create("Form1", bar_bounds, WindowRole::Main);
    show_and_wait(bar);
    ASSERT_EQ(tool({"xdotool", "mousemove", "10", "590", "click", "1", "click", "4", "click", "3"})
                  .status,
              0);
    auto is = [](Action action, Button button) {
        return [=](const MouseInput& m) { return m.action == action && m.button == button; };
    };
    auto move = wait_for<MouseInput>([](const MouseInput& m) { return m.action == Action::Move; });
    ASSERT_TRUE(move);
    EXPECT_EQ(move->screen, (Point{10, 590}));

    auto down = wait_for<MouseInput>(is(Action::Down, Button::Left));
    auto up = wait_for<MouseInput>(is(Action::Up, Button::Left));
    ASSERT_TRUE(down && up);
    EXPECT_EQ(down->screen, (Point{10, 590}));
    EXPECT_EQ(down->window, bar);  // the window that got it, and where in it
    EXPECT_EQ(down->position, (Point{10, 590 - bar_bounds.top}));
    EXPECT_EQ(down->modifiers, unsigned{LeftHeld});
    EXPECT_EQ(up->modifiers, 0U);
    EXPECT_GE(up->time, down->time);
    EXPECT_NE(down->time, 0U);

    // The wheel (button 4) gives nothing; the next press is the right button's.
    auto next = wait_for<MouseInput>([](const MouseInput& m) { return m.action != Action::Move; });
    ASSERT_TRUE(next);
    EXPECT_EQ(next->action, Action::Down);
    EXPECT_EQ(next->button, Button::Right);
    EXPECT_EQ(next->modifiers, unsigned{RightHeld});
}

TEST_F(X11Test, ActivatedWindowGetsTheKeysAndInsertIs45) {
    WindowId bar = create("Form1", bar_bounds, WindowRole::Main);
    WindowId menu = create("Form2", menu_bounds, WindowRole::Popup);
    show_and_wait(bar);
    // Activation right after the map request: the focus must wait for the map.
    backend->show_window(menu);
    backend->activate(menu, 0);
    ASSERT_TRUE(wait_for<FocusChange>([&](const FocusChange& f) { return f.window == menu; }));
    EXPECT_EQ(client.focus(), menu);

    ASSERT_EQ(
        tool({"xdotool", "key", "Insert", "KP_Insert", "Return", "ctrl+alt+Insert", "a"}).status,
        0);
    // Ctrl and Alt come as keys of their own (17, 18); Insert comes with them held.
    std::vector<KeyInput> keys;
    for (int i = 0; i < 5; ++i) {
        auto key = wait_for<KeyInput>(
            [](const KeyInput& k) { return k.key_code != 17 && k.key_code != 18; });
        ASSERT_TRUE(key) << "key " << i;
        keys.push_back(*key);
    }
    for (const KeyInput& key : keys) EXPECT_EQ(key.window, menu);
    EXPECT_EQ(keys[0].key_code, 45);
    EXPECT_EQ(keys[1].key_code, 45);
    EXPECT_EQ(keys[2].key_code, 13);
    EXPECT_EQ(keys[3].key_code, 45);
    EXPECT_EQ(keys[3].modifiers, unsigned{Ctrl | Alt});
    EXPECT_EQ(keys[4].key_code, 'A');

    // With Num Lock on, the same keypad key is the digit 0 (96), no longer Insert.
    ASSERT_EQ(tool({"xdotool", "key", "Num_Lock", "KP_Insert", "Num_Lock"}).status, 0);
    std::vector<int> codes;
    for (int i = 0; i < 3; ++i) {
        auto key = wait_for<KeyInput>();
        ASSERT_TRUE(key) << "key " << i;
        codes.push_back(key->key_code);
    }
    EXPECT_EQ(codes, (std::vector<int>{144, 96, 144}));

    // Focus moving between our windows reports the new one only, not "none" first.
    std::size_t before = seen.size();
    backend->activate(bar, 0);
    ASSERT_TRUE(wait_for<FocusChange>([&](const FocusChange& f) { return f.window == bar; }));
    for (std::size_t i = before; i < seen.size(); ++i) {
        auto* focus = std::get_if<FocusChange>(&seen[i]);
        EXPECT_TRUE(focus == nullptr || focus->window != 0);
    }

    // Hiding the focused window hands the focus back to the root: none of ours has it.
    backend->hide_window(bar);
    EXPECT_TRUE(wait_for<FocusChange>([](const FocusChange& f) { return f.window == 0; }));
}

TEST_F(X11Test, DeleteWindowMessageIsACloseRequest) {
    WindowId bar = create("Form1", bar_bounds, WindowRole::Main);
    WindowId menu = create("Form2", menu_bounds, WindowRole::Popup);
    show_and_wait(menu);
    client.send_delete_window(menu);
    auto close = wait_for<CloseRequest>();
    ASSERT_TRUE(close);
    EXPECT_EQ(close->window, menu);
    client.send_delete_window(bar);
    close = wait_for<CloseRequest>();
    ASSERT_TRUE(close);
    EXPECT_EQ(close->window, bar);
}

TEST_F(X11Test, OnlyMapsByOthersAreVisibilityChanges) {
    WindowId bar = create("Form1", bar_bounds, WindowRole::Main);
    show_and_wait(bar);
    backend->hide_window(bar);
    ASSERT_TRUE(pump_until([&] { return !client.viewable(bar); }));
    show_and_wait(bar);
    EXPECT_FALSE(wait_for<VisibilityChange>({}, 300ms));

    // Another client (a window manager minimising and restoring) unmaps and maps it.
    ASSERT_EQ(tool({"xdotool", "windowunmap", "--sync", std::to_string(bar)}).status, 0);
    auto hidden = wait_for<VisibilityChange>();
    ASSERT_TRUE(hidden);
    EXPECT_EQ(hidden->window, bar);
    EXPECT_FALSE(hidden->visible);
    ASSERT_EQ(tool({"xdotool", "windowmap", "--sync", std::to_string(bar)}).status, 0);
    auto shown = wait_for<VisibilityChange>();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->visible);
}

TEST_F(X11Test, SignalsBecomeEventsWhileTheBackendLives) {
    raise(SIGHUP);
    EXPECT_TRUE(wait_for<SettingsChanged>());
    raise(SIGTERM);
    EXPECT_TRUE(wait_for<QuitRequest>());
    raise(SIGINT);
    EXPECT_TRUE(wait_for<QuitRequest>());

    raise(SIGHUP);  // still pending when the backend goes: consumed, not fatal
    backend.reset();
    sigset_t blocked;
    pthread_sigmask(SIG_SETMASK, nullptr, &blocked);
    EXPECT_EQ(sigismember(&blocked, SIGTERM), 0);
    EXPECT_EQ(sigismember(&blocked, SIGHUP), 0);
}

// A step of the machine's clock, which a virtual machine's host may make at any moment, is
// a settings change; the wait goes on past it.
TEST_F(X11Test, NextEventWaitsUntilTheDeadlineAndNoLonger) {
    pump_for(200ms);  // the server's first events
    std::int64_t start = wall_clock_ms();
    std::optional<Event> event;
    while ((event = backend->next_event(start + 300)) &&
           std::holds_alternative<SettingsChanged>(*event)) {
    }
    EXPECT_FALSE(event);
    std::int64_t waited = wall_clock_ms() - start;
    EXPECT_GE(waited, 300);
    EXPECT_LT(waited, 1500);
    EXPECT_FALSE(backend->next_event(start - 1000));
}

TEST_F(X11Test, ProtocolErrorIsOneLineOnStandardErrorAndTheBackendGoesOn) {
    WindowId gone = create("Form2", menu_bounds, WindowRole::Popup);
    pump_for(50ms);        // sends the creation
    client.destroy(gone);  // behind the backend's back
    testing::internal::CaptureStderr();
    backend->present(gone, pattern(200, 300));  // CopyArea to the window, request 62
    pump_for(300ms);
    std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(written,
              "osyl: X error 9 (BadDrawable) for request 62.0 on resource " + hex_id(gone) + "\n");

    WindowId bar = create("Form1", bar_bounds, WindowRole::Main);
    backend->present(bar, pattern(800, 24));
    show_and_wait(bar);
    EXPECT_TRUE(screen_shows(pattern(800, 24), {0, 577}));
    for (const Event& event : seen) EXPECT_FALSE(std::holds_alternative<QuitRequest>(event));
}

TEST(X11Display, MissingDisplayIsReportedPlainly) {
    {
        ScopedDisplay none(nullptr);
        try {
            make_x11_backend();
            FAIL() << "no exception";
        } catch (const DisplayError& e) {
            EXPECT_STREQ(e.what(), "Cannot open X display (DISPLAY is not set)");
        }
    }
    ScopedDisplay absent(":4093");
    try {
        make_x11_backend();
        FAIL() << "no exception";
    } catch (const DisplayError& e) {
        EXPECT_STREQ(e.what(), "Cannot open X display \":4093\"");
    }
}

// Without Composite, Xvfb offers no 32-bit visual beside a root of another depth.
TEST(X11Display, ScreenWithoutATrueColorVisualIsRefusedByItsRootVisualsClass) {
    Xvfb xvfb(800, 600, 8, {"-extension", "Composite", "-cc", "5"});
    ScopedDisplay display(xvfb.display().c_str());
    try {
        make_x11_backend();
        FAIL() << "no exception";
    } catch (const DisplayError& e) {
        EXPECT_EQ(std::string(e.what()), "The X display \"" + xvfb.display() +
                                             "\" has no 24- or 32-bit TrueColor visual; its "
                                             "root visual is 8-bit DirectColor");
    }
}

// A DirectColor root with TrueColor visuals beside it: the windows take one of those.
class DirectColorRoot : public X11Test {
protected:
    DirectColorRoot() : X11Test({"-cc", "5"}) {}
};

TEST_F(DirectColorRoot, WindowsUseATrueColorVisualBesideIt) {
    WindowId bar = create("Form1", bar_bounds, WindowRole::Main);
    Picture pixels = pattern(800, 24);
    backend->present(bar, pixels);
    show_and_wait(bar);
    EXPECT_TRUE(screen_shows(pixels, {0, 577}));
}

TEST(X11Display, LostConnectionIsAQuitRequest) {
    std::optional<Xvfb> xvfb(std::in_place);
    ScopedDisplay display(xvfb->display().c_str());
    std::unique_ptr<Backend> backend = make_x11_backend();
    xvfb.reset();
    testing::internal::CaptureStderr();
    auto event = backend->next_event(wall_clock_ms() + 10000);
    auto again = backend->next_event(wall_clock_ms() + 10000);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "osyl: lost the connection to the X display\n");
    ASSERT_TRUE(event && again);
    EXPECT_TRUE(std::holds_alternative<QuitRequest>(*event));
}

}  // namespace
}  // namespace osyl::test
