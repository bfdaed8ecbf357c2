#include "platform/posix/box_layout.h"
#include "platform/x11/x11_fixture.h"

#include <algorithm>

namespace osyl::test {
namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool is_black(Rgb c) { return c == 0; }

class MessageBoxTest : public X11Test {
protected:
    // The box's X window, found by its caption once it is on the screen.
    std::uint32_t find_box(const std::string& caption) {
        std::uint32_t found = 0;
        pump_until([&] {
            RunResult search =
                tool({"xdotool", "search", "--onlyvisible", "--name", "^" + caption + "$"});
            if (search.status != 0 || search.out.empty()) return false;
            found = static_cast<std::uint32_t>(std::stoul(search.out));
            return true;
        });
        return found;
    }

    int count_pixels(const Picture& screen, Rect area, const std::function<bool(Rgb)>& test) {
        int count = 0;
        for (int y = area.top; y < area.bottom(); ++y) {
            for (int x = area.left; x < area.right(); ++x) count += test(screen.at(x, y)) ? 1 : 0;
        }
        return count;
    }

    // Which pixels of the first two character cells are ink, for a one-line text in a box.
    std::vector<bool> first_two_cells(const std::string& caption) {
        std::vector<bool> ink;
        std::uint32_t box = find_box(caption);
        if (box == 0) return ink;
        Rect place = client.geometry(box);
        Point text = posix::layout_box({U"x"}, 6, 13).text;
        pump_until([&] {
            Picture screen = screenshot(xvfb.display());
            ink.clear();
            for (int y = 0; y < 13; ++y)
                for (int x = 0; x < 12; ++x)
                    ink.push_back(
                        is_black(screen.at(place.left + text.x + x, place.top + text.y + y)));
            return std::count(ink.begin(), ink.end(), true) > 0;
        });
        return ink;
    }
};

bool is_red(Rgb c) { return (c >> 16) > 0xC0 && ((c >> 8) & 0xFF) < 0x40 && (c & 0xFF) < 0x60; }
bool is_white(Rgb c) { return c == 0xFFFFFF; }

TEST_F(MessageBoxTest, OpensCentredAsACaptionedModalDialogAndEnterDismissesIt) {
    WindowId bar = create("Form1", {0, 577, 800, 24}, WindowRole::Main);
    show_and_wait(bar);
    BoxId id = backend->open_message_box({"Report", "File not found.", bar});
    std::uint32_t box = find_box("Report");
    ASSERT_NE(box, 0U);

    std::string props = tool({"xprop", "-id", hex_id(box)}).out;
    EXPECT_TRUE(contains(props, "_NET_WM_NAME(UTF8_STRING) = \"Report\"")) << props;
    EXPECT_TRUE(contains(props, "WM_NAME(STRING) = \"Report\"")) << props;
    EXPECT_TRUE(contains(props, "_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_DIALOG")) << props;
    EXPECT_TRUE(contains(props, "_NET_WM_STATE(ATOM) = _NET_WM_STATE_MODAL")) << props;
    EXPECT_TRUE(contains(props, "WM_TRANSIENT_FOR(WINDOW): window id # " + hex_id(bar))) << props;

    Rect place = client.geometry(box);
    EXPECT_EQ(place.left, (800 - place.width) / 2);
    EXPECT_EQ(place.top, (624 - place.height) / 2);
    ASSERT_TRUE(pump_until([&] { return client.focus() == box; }));

    // The stop icon, a white cross on it, and the text in black.
    Picture screen = screenshot(xvfb.display());
    Rect icon_area{place.left, place.top, 60, place.height - 40};
    EXPECT_GT(count_pixels(screen, icon_area, is_red), 300);
    EXPECT_GT(count_pixels(screen, icon_area, is_white), 20);
    Rect text_area{place.left + 60, place.top, place.width - 60, place.height - 40};
    EXPECT_GT(count_pixels(screen, text_area, is_black), 40);

    ASSERT_EQ(tool({"xdotool", "key", "Return"}).status, 0);
    auto dismissed = wait_for<BoxDismissed>();
    ASSERT_TRUE(dismissed);
    EXPECT_EQ(dismissed->box, id);
    EXPECT_TRUE(pump_until([&] { return !client.viewable(box); }));
}

TEST_F(MessageBoxTest, OkButtonDismissesAndTheTextDoesNot) {
    BoxId id = backend->open_message_box({"Report", "I/O error 13.", 0});
    std::uint32_t box = find_box("Report");
    ASSERT_NE(box, 0U);
    Rect place = client.geometry(box);

    std::string props = tool({"xprop", "-id", hex_id(box)}).out;
    std::string leader = props.substr(props.find("WM_CLIENT_LEADER(WINDOW): window id # ") + 38);
    leader = leader.substr(0, leader.find('\n'));
    EXPECT_TRUE(contains(props, "WM_TRANSIENT_FOR(WINDOW): window id # " + leader)) << props;

    auto click = [&](int x, int y) {
        return tool({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", "1"})
            .status;
    };
    // The OK button sits centred, 12 pixels above the bottom edge and 23 high.
    Point text{place.left + 70, place.top + 20};
    Point ok{place.left + place.width / 2, place.bottom() - 12 - 11};
    auto drag = [&](Point from, Point to) {
        return tool({"xdotool", "mousemove", std::to_string(from.x), std::to_string(from.y),
                     "mousedown", "1", "mousemove", std::to_string(to.x), std::to_string(to.y),
                     "mouseup", "1"})
            .status;
    };
    ASSERT_EQ(click(text.x, text.y), 0);
    ASSERT_EQ(drag(text, ok), 0);  // press and release must both be on OK
    ASSERT_EQ(drag(ok, text), 0);
    EXPECT_FALSE(wait_for<BoxDismissed>({}, 500ms));
    ASSERT_EQ(click(ok.x, ok.y), 0);
    auto dismissed = wait_for<BoxDismissed>();
    ASSERT_TRUE(dismissed);
    EXPECT_EQ(dismissed->box, id);
}

TEST_F(MessageBoxTest, SecondBoxOpensOverTheFirstAndFocusReturnsWhenItGoes) {
    BoxId first = backend->open_message_box({"First", "one", 0});
    std::uint32_t first_window = find_box("First");
    BoxId second = backend->open_message_box({"Second", "two\r\nthree\r\nlines", 0});
    std::uint32_t second_window = find_box("Second");
    ASSERT_TRUE(first_window != 0 && second_window != 0);
    EXPECT_GT(client.geometry(second_window).height, client.geometry(first_window).height);
    ASSERT_TRUE(pump_until([&] { return client.focus() == second_window; }));

    ASSERT_EQ(tool({"xdotool", "key", "Escape"}).status, 0);
    auto dismissed = wait_for<BoxDismissed>();
    ASSERT_TRUE(dismissed);
    EXPECT_EQ(dismissed->box, second);

    ASSERT_TRUE(pump_until([&] { return client.focus() == first_window; }));
    ASSERT_EQ(tool({"xdotool", "key", "space"}).status, 0);
    dismissed = wait_for<BoxDismissed>();
    ASSERT_TRUE(dismissed);
    EXPECT_EQ(dismissed->box, first);
}

TEST_F(MessageBoxTest, ClosedByTheProgramItGoesWithoutAnEvent) {
    BoxId id = backend->open_message_box({"Report", "text", 0});
    std::uint32_t box = find_box("Report");
    ASSERT_NE(box, 0U);
    backend->close_message_box(id);
    EXPECT_TRUE(pump_until([&] { return !client.viewable(box); }));
    EXPECT_FALSE(wait_for<BoxDismissed>({}, 300ms));
}

int ink_in_second_cell(const std::vector<bool>& ink) {
    int count = 0;
    for (std::size_t i = 0; i < ink.size(); ++i) count += ink[i] && i % 12 >= 6 ? 1 : 0;
    return count;
}

TEST_F(MessageBoxTest, TextIsUtf8AndWhatTheFontLacksIsAQuestionMark) {
    backend->open_message_box({"Cyrillic", "\xD0\x96", 0});  // U+0416, one character
    std::vector<bool> zhe = first_two_cells("Cyrillic");
    backend->open_message_box({"Question", "?", 0});
    std::vector<bool> question = first_two_cells("Question");
    backend->open_message_box({"Emoji", "\xF0\x9F\x98\x80", 0});  // outside 16 bits
    std::vector<bool> emoji = first_two_cells("Emoji");
    ASSERT_EQ(zhe.size(), 156U);
    EXPECT_EQ(ink_in_second_cell(zhe), 0) << "drawn as two bytes";
    EXPECT_NE(zhe, question);
    EXPECT_EQ(emoji, question);
}

}  // namespace
}  // namespace osyl::test
