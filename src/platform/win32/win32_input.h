#pragma once

// What Windows messages mean to the program, as functions of the message alone, so that
// they can be checked without a window.

#include "platform/events.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace osyl::win32 {

// How the launcher asked the first window to be shown (STARTUPINFO's show request).
enum class StartMode { Normal, Maximized, MinimizedNoActivate };
StartMode start_mode_of(bool has_request, WORD show_command);

// Pointer input at a client position of the window that got the message, whose top-left
// corner the program placed at origin. The input names that window, so a maximized or
// moved bar still receives its own elements' clicks; the screen position, from the placed
// corner, only serves a captured move or release that lies outside it.
std::optional<MouseInput> mouse_input(UINT message, WPARAM keys, WindowId window, Point client,
                                      Point origin, std::uint32_t time, bool alt_held);

// The modifiers of a key message, read from the keyboard state the message came with.
Modifiers key_modifiers();

}  // namespace osyl::win32
