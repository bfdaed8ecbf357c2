#pragma once

#include "platform/picture.h"

namespace osyl {

// The colour a window shows where nothing is drawn: the composed windows' background and
// the server-side background of every top-level window and message box.
inline constexpr Rgb button_face = 0xF0F0F0;

}  // namespace osyl
