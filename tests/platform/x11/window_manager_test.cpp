#include "platform/x11/x11_fixture.h"
#include "support/test_support.h"

#include <algorithm>

namespace osyl::test {
namespace {

// The same backend under a real window manager, which redirects maps, moves and focus.
class WindowManagerTest : public X11Test {
protected:
    void SetUp() override {
        // New windows get no focus of their own accord: only our activation gives it.
        write_file(m_config / "rc.xml",
                   "<?xml version=\"1.0\"?>\n"
                   "<openbox_config xmlns=\"http://openbox.org/3.4/rc\">\n"
                   "  <focus><focusNew>no</focusNew></focus>\n"
                   "</openbox_config>\n");
        m_openbox.emplace(std::vector<std::string>{"openbox", "--sm-disable", "--config-file",
                                                   (m_config / "rc.xml").string()},
                          SpawnOptions{xvfb.environment(), {}, Output::Discard, {}});
        // Openbox announces itself before it handles map requests, and drops those that
        // come in between; a window of another client that it manages shows it is ready.
        bool ready = false;
        for (int attempt = 0; attempt < 30 && !ready; ++attempt) {
            std::uint32_t probe = client.create_managed({0, 0, 10, 10});
            ready = pump_until(
                [&] {
                    auto list = client.cardinals(client.root(), "_NET_CLIENT_LIST");
                    return std::find(list.begin(), list.end(), probe) != list.end();
                },
                1s);
            client.destroy(probe);
        }
        ASSERT_TRUE(ready);
    }

    TempDir m_config;
    std::optional<ChildProcess> m_openbox;
};

TEST_F(WindowManagerTest, WindowsStayUndecoratedWhereTheyAskAndTakeTheFocus) {
    WindowId bar = create("Form1", {0, 577, 800, 24}, WindowRole::Main);
    WindowId menu = create("Form2", {0, 277, 200, 300}, WindowRole::Popup);
    Picture pixels(800, 24, 0x068AC7);
    pixels.fill(0, 0, 9, 23, 0x011C28);
    backend->present(bar, pixels);
    backend->show_window(bar);
    backend->activate(bar, 0);
    ASSERT_TRUE(wait_for<FocusChange>([&](const FocusChange& f) { return f.window == bar; }));
    EXPECT_TRUE(screen_shows(pixels, {0, 577}));
    EXPECT_EQ(client.geometry(bar), (Rect{0, 577, 800, 24}));

    backend->show_window(menu);
    backend->activate(menu, 0);
    ASSERT_TRUE(wait_for<FocusChange>([&](const FocusChange& f) { return f.window == menu; }));
    EXPECT_EQ(client.geometry(menu), (Rect{0, 277, 200, 300}));

    // A move of a mapped window goes through the window manager.
    backend->set_bounds(menu, {300, 100, 200, 300});
    EXPECT_TRUE(pump_until([&] { return client.geometry(menu) == Rect{300, 100, 200, 300}; }));
    EXPECT_FALSE(wait_for<VisibilityChange>({}, 200ms));

    backend->activate(bar, 0);
    EXPECT_TRUE(wait_for<FocusChange>([&](const FocusChange& f) { return f.window == bar; }));
}

TEST_F(WindowManagerTest, MinimiseAndRestoreAreVisibilityChangesButOurOwnHideIsNot) {
    WindowId menu = create("Form2", {0, 277, 200, 300}, WindowRole::Popup);
    show_and_wait(menu);
    backend->hide_window(menu);
    ASSERT_TRUE(pump_until([&] { return !client.viewable(menu); }));
    show_and_wait(menu);
    EXPECT_EQ(client.geometry(menu), (Rect{0, 277, 200, 300}));
    EXPECT_FALSE(wait_for<VisibilityChange>({}, 300ms));

    ASSERT_EQ(tool({"xdotool", "windowminimize", std::to_string(menu)}).status, 0);
    auto hidden = wait_for<VisibilityChange>();
    ASSERT_TRUE(hidden);
    EXPECT_EQ(hidden->window, menu);
    EXPECT_FALSE(hidden->visible);
    ASSERT_EQ(tool({"xdotool", "windowactivate", std::to_string(menu)}).status, 0);
    auto shown = wait_for<VisibilityChange>();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->visible);
}

TEST_F(WindowManagerTest, MessageBoxTakesTheFocusAndEnterDismissesIt) {
    WindowId bar = create("Form1", {0, 577, 800, 24}, WindowRole::Main);
    backend->show_window(bar);
    backend->activate(bar, 0);
    ASSERT_TRUE(wait_for<FocusChange>([&](const FocusChange& f) { return f.window == bar; }));

    BoxId id = backend->open_message_box({"Bar", "File not found.", bar});
    ASSERT_TRUE(wait_for<FocusChange>([](const FocusChange& f) { return f.window == 0; }));
    ASSERT_EQ(tool({"xdotool", "key", "Return"}).status, 0);
    auto dismissed = wait_for<BoxDismissed>();
    ASSERT_TRUE(dismissed);
    EXPECT_EQ(dismissed->box, id);
}

}  // namespace
}  // namespace osyl::test
