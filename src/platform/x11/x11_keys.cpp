#include "platform/x11/x11_keys.h"

#define XK_MISCELLANY
#define XK_LATIN1
#define XK_XKB_KEYS
#include <X11/keysymdef.h>

#include <array>
#include <utility>

namespace osyl::x11 {

namespace {

bool is_keypad(std::uint32_t keysym) { return keysym >= XK_KP_Space && keysym <= XK_KP_Equal; }

std::uint32_t to_upper(std::uint32_t keysym) {
    if (keysym >= XK_a && keysym <= XK_z) return keysym - (XK_a - XK_A);
    return keysym;
}

}  // namespace

std::uint32_t choose_keysym(std::uint32_t column0, std::uint32_t column1, KeyState state) {
    if (state.num_lock && is_keypad(column1)) return state.shift ? column0 : column1;
    if (!state.shift && !state.caps_lock) return column0;
    if (state.shift && column1 != 0) return column1;
    return to_upper(column0);
}

}  // namespace osyl::x11
