#pragma once

#include <cstdint>

namespace osyl::x11 {

// Lock and shift state that decides which column of a key's symbols applies.
struct KeyState {
    bool shift = false;
    bool caps_lock = false;
    bool num_lock = false;
};

// Picks the keysym of a key from its first two columns the way X clients do: keypad
// keys take column 1 when Num Lock is on (and Shift is not), so keypad 0 without Num
// Lock is KP_Insert; other keys take column 1 with Shift.
std::uint32_t choose_keysym(std::uint32_t column0, std::uint32_t column1, KeyState state);

}  // namespace osyl::x11
