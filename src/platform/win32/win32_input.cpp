#include "platform/win32/win32_input.h"

namespace osyl::win32 {

namespace {

struct ButtonMessage {
    UINT message;
    MouseInput::Action action;
    Button button;
};

constexpr ButtonMessage button_messages[] = {
    {WM_LBUTTONDOWN, MouseInput::Action::Down, Button::Left},
    {WM_LBUTTONUP, MouseInput::Action::Up, Button::Left},
    {WM_RBUTTONDOWN, MouseInput::Action::Down, Button::Right},
    {WM_RBUTTONUP, MouseInput::Action::Up, Button::Right},
    {WM_MBUTTONDOWN, MouseInput::Action::Down, Button::Middle},
    {WM_MBUTTONUP, MouseInput::Action::Up, Button::Middle},
};

// The key state of a mouse message is the state after the event, as the handlers expect.
Modifiers modifiers_of(WPARAM keys, bool alt_held) {
    Modifiers modifiers = alt_held ? Modifiers{Alt} : 0U;
    if (keys & MK_SHIFT) modifiers |= Shift;
    if (keys & MK_CONTROL) modifiers |= Ctrl;
    if (keys & MK_LBUTTON) modifiers |= LeftHeld;
    if (keys & MK_RBUTTON) modifiers |= RightHeld;
    if (keys & MK_MBUTTON) modifiers |= MiddleHeld;
    return modifiers;
}

bool held(int virtual_key) { return (GetKeyState(virtual_key) & 0x8000) != 0; }

}  // namespace

StartMode start_mode_of(bool has_request, WORD show_command) {
    if (!has_request) return StartMode::Normal;
    switch (show_command) {
        case SW_SHOWMAXIMIZED: return StartMode::Maximized;
        case SW_SHOWMINNOACTIVE: return StartMode::MinimizedNoActivate;
        default: return StartMode::Normal;
    }
}

std::optional<MouseInput> mouse_input(UINT message, WPARAM keys, WindowId window, Point client,
                                      Point origin, std::uint32_t time, bool alt_held) {
    MouseInput input;
    if (message != WM_MOUSEMOVE) {
        const ButtonMessage* match = nullptr;
        for (const ButtonMessage& candidate : button_messages)
            if (candidate.message == message) match = &candidate;
        if (match == nullptr) return std::nullopt;
        input.action = match->action;
        input.button = match->button;
    }
    input.screen = {origin.x + client.x, origin.y + client.y};
    input.modifiers = modifiers_of(keys, alt_held);
    input.time = time;
    input.window = window;
    input.position = client;
    return input;
}

Modifiers key_modifiers() {
    WPARAM keys = 0;
    if (held(VK_SHIFT)) keys |= MK_SHIFT;
    if (held(VK_CONTROL)) keys |= MK_CONTROL;
    if (held(VK_LBUTTON)) keys |= MK_LBUTTON;
    if (held(VK_RBUTTON)) keys |= MK_RBUTTON;
    if (held(VK_MBUTTON)) keys |= MK_MBUTTON;
    return modifiers_of(keys, held(VK_MENU));
}

}  // namespace osyl::win32
