#pragma once

#include <cstdint>

namespace osyl::posix {

// Key symbols are X11's numbers, which xkbcommon keeps.

// The Windows virtual key code the program's handlers expect for a keysym (Insert is
// 45), or 0 for keys without one.
int virtual_key_code(std::uint32_t keysym);

// True for the keys that press a message box's default button or cancel it.
bool dismisses_box(std::uint32_t keysym);

}  // namespace osyl::posix
