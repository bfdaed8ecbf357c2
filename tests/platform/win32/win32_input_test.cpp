#include "platform/win32/win32_input.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/win32_boxes.h"

#include <gtest/gtest.h>

#include <string>

namespace osyl::win32 {
namespace {

// Each message with its key state as Windows sends it: the state after the event.
TEST(Win32Input, MouseMessagesBecomeInputAtTheProgramsOwnWindowPosition) {
    struct Case {
        UINT message;
        WPARAM keys;
        MouseInput::Action action;
        Button button;
        Modifiers modifiers;
    };
    const Case cases[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, MouseInput::Action::Down, Button::Left, LeftHeld},
        {WM_LBUTTONUP, MK_SHIFT, MouseInput::Action::Up, Button::Left, Shift},
        {WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, MouseInput::Action::Down, Button::Right,
         RightHeld | Ctrl},
        {WM_MBUTTONUP, MK_LBUTTON, MouseInput::Action::Up, Button::Middle, LeftHeld},
        {WM_MOUSEMOVE, MK_MBUTTON, MouseInput::Action::Move, Button::Left, MiddleHeld},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        // A captured move may lie left of and above the window.
        auto input = mouse_input(c.message, c.keys, 7, {-3, 12}, {0, 577}, 1234, false);
        ASSERT_TRUE(input.has_value());
        EXPECT_EQ(input->action, c.action);
        if (c.action != MouseInput::Action::Move) {
            EXPECT_EQ(input->button, c.button);
        }
        EXPECT_EQ(input->modifiers, c.modifiers);
        EXPECT_EQ(input->screen, (Point{-3, 589}));
        EXPECT_EQ(input->window, 7U);  // the window of the message, wherever it really is
        EXPECT_EQ(input->position, (Point{-3, 12}));
        EXPECT_EQ(input->time, 1234U);
    }
    EXPECT_EQ(mouse_input(WM_MOUSEMOVE, 0, 7, {}, {}, 0, true)->modifiers, Modifiers{Alt});
    EXPECT_FALSE(mouse_input(WM_MOUSEWHEEL, 0, 7, {}, {}, 0, false).has_value());
    EXPECT_FALSE(mouse_input(WM_XBUTTONDOWN, 0, 7, {}, {}, 0, false).has_value());
}

TEST(Win32Input, OnlyMaximizedAndMinimizedWithoutActivationChangeTheFirstShow) {
    EXPECT_EQ(start_mode_of(true, SW_SHOWMAXIMIZED), StartMode::Maximized);
    EXPECT_EQ(start_mode_of(true, SW_SHOWMINNOACTIVE), StartMode::MinimizedNoActivate);
    for (WORD other : {SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_MINIMIZE, SW_SHOWNA})
        EXPECT_EQ(start_mode_of(true, other), StartMode::Normal) << other;
    EXPECT_EQ(start_mode_of(false, SW_SHOWMAXIMIZED), StartMode::Normal);
}

// A path of hundreds of characters made a box far wider than the screen.
TEST(Win32Boxes, ReportTextBreaksLongWordsToFitAfterAFolderWherePossible) {
    auto width = [](std::wstring_view text) { return static_cast<int>(text.size()) * 7; };
    std::wstring text = L"Cannot open file \"C:\\Programme\\" + std::wstring(30, L'x') +
                        L"\\skin\\c5.bmp\". The file is missing";
    std::wstring fitted = fit_words(text, 140, width);  // 20 characters
    EXPECT_EQ(fitted, L"Cannot open file \"C:\\Programme\\\r\n" + std::wstring(20, L'x') + L"\r\n" +
                          std::wstring(10, L'x') + L"\\skin\\\r\nc5.bmp\". The file is missing");
    EXPECT_EQ(fit_words(L"Short words\r\nstay as they are.", 140, width),
              L"Short words\r\nstay as they are.");
}

TEST(Win32Input, WidensUtf8) {
    EXPECT_EQ(to_utf16("Bar"), L"Bar");
    EXPECT_EQ(to_utf16("\xC3\xA9t\xC3\xA9"), L"\u00E9t\u00E9");
    EXPECT_EQ(to_utf16(""), L"");
}

}  // namespace
}  // namespace osyl::win32
