#pragma once

#include "platform/picture.h"

// The colours the built-in artwork is drawn in.
namespace osyl::art {

inline constexpr Rgb blue = 0x068AC7;         // field of both windows, background of glyphs
inline constexpr Rgb outline = 0x011C28;      // dark outline, start button border and letters
inline constexpr Rgb black = 0x000000;        // ink, panel and side strip
inline constexpr Rgb button_blue = 0x0595D8;  // fill of the start button
// One-pixel shading lines just inside the outlines, darkest first.
inline constexpr Rgb shade_darkest = 0x056E9F;
inline constexpr Rgb shade_dark = 0x0575A9;
inline constexpr Rgb shade_mid = 0x057CB3;
inline constexpr Rgb shade_corner = 0x057FB8;
inline constexpr Rgb shade_light = 0x0583BD;

}  // namespace osyl::art
