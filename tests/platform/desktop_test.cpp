#include "platform/desktop.h"
#include "platform/element.h"
#include "platform/timer.h"
#include "platform/window.h"
#include "support/headless_backend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace osyl {
namespace {

// Two plain windows whose elements write down every mouse event they receive.
class DeliveryTest : public testing::Test {
protected:
    DeliveryTest()
        : desktop(backend),
          upper(desktop, {"Upper", {0, 0, 100, 50}, WindowRole::Main, "t", {}}, AutoSize::No),
          lower(desktop, {"Lower", {0, 100, 100, 50}, WindowRole::Popup, "", {}}, AutoSize::No) {
        watch(upper.add("a", {0, 0}, Picture(20, 20, 1)));
        watch(upper.add("b", {30, 0}, Picture(20, 20, 2)));
        watch(upper.add("b_over_a", {10, 10}, Picture(20, 20, 3)));
        watch(lower.add("c", {0, 0}, Picture(20, 20, 4)));
        upper.on_mouse_move = [this](const MouseEvent&) { log.push_back("Upper:move"); };
        upper.show();
        lower.show();
    }

    void watch(Element& element) {
        std::string name = element.name();
        element.on_mouse_down = [this, name](const MouseEvent& e) {
            log.push_back(name + (e.double_click ? ":double" : ":down"));
        };
        element.on_mouse_up = [this, name](const MouseEvent&) { log.push_back(name + ":up"); };
        element.on_mouse_move = [this, name](const MouseEvent& e) {
            log.push_back(name + ":move@" + std::to_string(e.position.x) + "," +
                          std::to_string(e.position.y));
        };
    }

    void mouse(MouseInput::Action action, Point at, Button button = Button::Left,
               std::uint32_t time = 0) {
        desktop.deliver(MouseInput{action, button, at, 0, time, 0, {}});
    }
    // Input that the platform says the window received, at this position in it.
    void mouse_in(const Window& window, MouseInput::Action action, Point at,
                  Button button = Button::Left) {
        Rect place = window.bounds();
        Point screen{place.left + at.x, place.top + at.y};
        desktop.deliver(MouseInput{action, button, screen, 0, 0, window.id(), at});
    }

    HeadlessBackend backend;
    Desktop desktop;
    Window upper;
    Window lower;
    std::vector<std::string> log;
};

using Action = MouseInput::Action;
using Log = std::vector<std::string>;

TEST_F(DeliveryTest, TopmostElementGetsTheEventAndEmptySpaceGoesToTheWindow) {
    mouse(Action::Move, {15, 15});  // a and b_over_a overlap here; the later one is on top
    mouse(Action::Move, {5, 5});
    mouse(Action::Move, {90, 40});
    lower.set_left(40);
    mouse(Action::Move, {47, 106});
    EXPECT_EQ(log, (Log{"b_over_a:move@5,5", "a:move@5,5", "Upper:move", "c:move@7,6"}));
}

TEST_F(DeliveryTest, LeftPressCapturesUntilReleaseEvenOutsideTheWindow) {
    mouse(Action::Down, {5, 5});
    mouse(Action::Move, {35, 5});               // over b
    mouse(Action::Move, {500, 500});            // outside every window
    mouse(Action::Up, {35, 5}, Button::Right);  // only the left release ends the capture
    mouse(Action::Up, {5, 110});                // over the other window
    mouse(Action::Move, {35, 5});
    EXPECT_EQ(log, (Log{"a:down", "a:move@35,5", "a:move@500,500", "a:up", "a:up", "b:move@5,5"}));
}

TEST_F(DeliveryTest, RightAndMiddleReleasesGoWhereThePointerIsInWhicheverWindow) {
    mouse(Action::Down, {5, 5}, Button::Right);
    mouse(Action::Up, {35, 5}, Button::Right);
    mouse(Action::Down, {35, 5}, Button::Middle);
    mouse(Action::Up, {5, 105}, Button::Middle);
    mouse(Action::Down, {5, 5}, Button::Right);
    mouse(Action::Up, {300, 300}, Button::Right);  // over nothing: lost
    EXPECT_EQ(log, (Log{"a:down", "b:up", "b:down", "c:up", "a:down"}));
}

// A window manager may move a window without telling: the window that received the input
// gets it, whatever the remembered rectangles say lies there.
TEST_F(DeliveryTest, InputGoesToTheWindowThatReceivedIt) {
    lower.set_top(0);             // remembered over upper's elements, and above them
    mouse(Action::Move, {5, 5});  // no window named: the rectangles decide
    mouse_in(upper, Action::Down, {35, 5});
    mouse_in(upper, Action::Up, {35, 5});
    mouse_in(upper, Action::Down, {5, 5});
    mouse_in(upper, Action::Up, {-40, 300});  // released elsewhere: the capture still rules
    mouse_in(upper, Action::Down, {5, 5}, Button::Right);
    mouse_in(upper, Action::Up, {-40, 3}, Button::Right);  // outside the window: lost
    EXPECT_EQ(log, (Log{"c:move@5,5", "b:down", "b:up", "a:down", "a:up", "a:down"}));
}

TEST_F(DeliveryTest, SecondPressWithin500msAnd4PixelsIsDoubleAndAThirdStartsAgain) {
    for (auto [time, at] : {std::pair{1000U, Point{5, 5}},
                            {1500U, {9, 9}},
                            {1600U, {9, 9}},
                            {2101U, {9, 9}},
                            {2200U, {14, 9}},
                            {2300U, {9, 9}}}) {
        mouse(Action::Down, at, Button::Left, time);
        mouse(Action::Up, at, Button::Left, time + 50);
    }
    EXPECT_EQ(log, (Log{"a:down", "a:up", "a:double", "a:up", "a:down", "a:up", "a:down", "a:up",
                        "a:down", "a:up", "a:down", "a:up"}));
}

TEST_F(DeliveryTest, CancelledCaptureSendsTheReleaseToWhatIsUnderThePointer) {
    mouse(Action::Down, {5, 5});
    desktop.cancel_capture();
    mouse(Action::Up, {35, 5});
    EXPECT_EQ(log, (Log{"a:down", "b:up"}));
}

TEST_F(DeliveryTest, DisabledWindowsIgnoreInput) {
    upper.on_key_down = [this](int, Modifiers) { log.push_back("Upper:key"); };
    desktop.set_input_enabled(false);
    mouse(Action::Down, {5, 5});
    mouse(Action::Move, {5, 5});
    desktop.deliver(KeyInput{upper.id(), 45, 0});
    EXPECT_TRUE(log.empty());
}

TEST_F(DeliveryTest, PressOnInactiveWindowActivatesIt) {
    upper.show();
    EXPECT_EQ(desktop.active_window(), &upper);
    mouse(Action::Down, {5, 105}, Button::Right);
    EXPECT_EQ(desktop.active_window(), &lower);
    EXPECT_EQ(backend.focused_window(), "Lower");
    EXPECT_EQ(log, (Log{"c:down"}));
}

TEST_F(DeliveryTest, ClosingSecondaryWindowHidesItAndActivatesTheOther) {
    Window third(desktop, {"Third", {200, 0, 10, 10}, WindowRole::Popup, "", {}}, AutoSize::No);
    third.show();
    lower.show();
    lower.close();
    EXPECT_FALSE(lower.visible());
    EXPECT_FALSE(backend.window("Lower").shown);
    EXPECT_EQ(desktop.active_window(), &third) << "the topmost window left";
    third.close();
    EXPECT_EQ(desktop.active_window(), &upper);
    EXPECT_FALSE(desktop.quit_requested());
    upper.close();
    EXPECT_TRUE(desktop.quit_requested());
}

TEST(ElementAutoSize, TakesThePictureSizeButNotFromAnEmptyPicture) {
    HeadlessBackend backend;
    Desktop desktop(backend);
    Window window(desktop, {"W", {0, 0, 50, 50}, WindowRole::Main, "", {}}, AutoSize::No);
    Element& element = window.add("e", {3, 4}, Picture(12, 12));
    element.set_picture(Picture(16, 10, 7));
    EXPECT_EQ(element.bounds(), (Rect{3, 4, 16, 10}));
    element.set_picture(Picture());
    EXPECT_EQ(element.bounds(), (Rect{3, 4, 16, 10}));
    EXPECT_TRUE(element.picture().empty());
}

TEST(WindowAutoSize, FitsTheElementsAndShiftsThemToTheOrigin) {
    HeadlessBackend backend;
    Desktop desktop(backend);
    Window window(desktop, {"W", {10, 20, 1, 1}, WindowRole::Main, "", {}}, AutoSize::Yes);
    window.add("back", {0, 0}, Picture(200, 300));
    Element& cell = window.add("cell", {190, 5}, Picture(12, 12));
    EXPECT_EQ(window.bounds(), (Rect{10, 20, 202, 300}));
    EXPECT_EQ(backend.window("W").bounds, (Rect{10, 20, 202, 300}));
    cell.set_left(-4);
    EXPECT_EQ(window.bounds(), (Rect{10, 20, 204, 300}));
    EXPECT_EQ(cell.left(), 0);
    EXPECT_EQ(window.find("back")->left(), 4);
}

TEST(WindowCompose, PaintsElementsInOrderOverTheButtonFace) {
    HeadlessBackend backend;
    Desktop desktop(backend);
    Window window(desktop, {"W", {0, 0, 10, 10}, WindowRole::Main, "", {}}, AutoSize::No);
    window.add("below", {0, 0}, Picture(6, 6, 0x111111));
    window.add("above", {4, 4}, Picture(4, 4, 0x222222));
    Picture pixels = window.compose();
    EXPECT_EQ(pixels.at(0, 0), 0x111111U);
    EXPECT_EQ(pixels.at(5, 5), 0x222222U);
    EXPECT_EQ(pixels.at(9, 9), button_face);
    EXPECT_EQ(pixels.at(8, 0), button_face);
}

// A platform whose message box runs its own loop keeps the tick the desktop gives it.
class TickKeeper : public HeadlessBackend {
public:
    void set_modal_tick(ModalTick tick) override { m_tick = std::move(tick); }
    ModalTick m_tick;
};

TEST(DesktopModalTick, RunsDueTimersAndPresentsUntilTheDesktopGoes) {
    TickKeeper backend;
    int ticks = 0;
    {
        Desktop desktop(backend);
        Window window(desktop, {"W", {0, 0, 10, 10}, WindowRole::Main, "", {}}, AutoSize::No);
        window.show();
        window.add("e", {0, 0}, Picture(4, 4, 0x123456));
        Timer timer(desktop, 1, [&] { ++ticks; });
        ASSERT_TRUE(backend.m_tick);
        std::optional<std::int64_t> next = backend.m_tick();
        EXPECT_EQ(ticks, 1);
        EXPECT_EQ(next, timer.due_ms());
        EXPECT_GT(timer.due_ms(), backend.now_ms());
        EXPECT_EQ(backend.window("W").pixels.at(0, 0), 0x123456U);
    }
    EXPECT_FALSE(backend.m_tick);
}

// A background painted straight onto the canvas, and a part painted into a picture held
// while the window shows: both are painted afresh after the window was hidden.
TEST(WindowCompose, DrawnPicturesArePaintedWhenTheWindowShows) {
    HeadlessBackend backend;
    Desktop desktop(backend);
    Window window(desktop, {"W", {0, 0, 1, 1}, WindowRole::Popup, "", {}}, AutoSize::Yes);
    int draws = 0;
    auto paint = [&draws](Rgb colour) {
        return [&draws, colour](Picture& p) {
            ++draws;
            p.fill(0, 0, p.width() - 1, p.height() - 1, colour);
        };
    };
    window.add("back", Rect{0, 0, 40, 30}, paint(0x123456));
    window.add("part", Rect{10, 10, 5, 5}, paint(0x654321));
    EXPECT_EQ(window.bounds(), (Rect{0, 0, 40, 30}));
    EXPECT_EQ(draws, 0);
    for (int round = 1; round <= 2; ++round) {
        window.show();
        window.invalidate();
        desktop.present_changes();    // the part stays painted
        EXPECT_EQ(draws, 3 * round);  // back twice, part once
        const Picture& shown = backend.window("W").pixels;
        EXPECT_EQ(shown.at(39, 29), 0x123456U);
        EXPECT_EQ(shown.at(14, 14), 0x654321U);
        EXPECT_EQ(shown.at(15, 15), 0x123456U);
        window.hide();
    }
    // A picture set by hand gives back what the drawing's pixels were paid with.
    std::uint64_t before = pixel_bytes_in_use();
    window.find("part")->set_picture(Picture());
    EXPECT_EQ(pixel_bytes_in_use(), before - 5 * 5 * sizeof(Rgb));
}

}  // namespace
}  // namespace osyl
