#pragma once

#include "platform/geometry.h"

#include <cstddef>
#include <string>
#include <vector>

namespace osyl::x11 {

// A message box's text wraps at this many characters, about 360 pixels of "fixed".
inline constexpr std::size_t box_line_chars = 60;

// Splits a message into display lines: CR LF (or a lone LF) breaks a line, a lone CR is
// dropped, and a line longer than max_chars wraps at its last space that fits, or is
// cut hard when one word is longer than the line.
std::vector<std::string> wrap_text(const std::string& text, std::size_t max_chars);

// The lines a message box shows: the wrapped text, cut after box_max_lines with "..." so
// the OK button stays on the screen.
inline constexpr std::size_t box_max_lines = 30;
std::vector<std::string> box_lines(const std::string& text);

// Where the parts of a message box go, in its client coordinates.
struct BoxLayout {
    Rect icon;
    Point text;  // top-left corner of the first line
    int line_height = 0;
    Rect button;
    int width = 0;
    int height = 0;
};

// Places the stop icon left of the text and the OK button centred below both, for text in
// a fixed-width font of this cell size.
BoxLayout layout_box(const std::vector<std::string>& lines, int char_width, int line_height);

}  // namespace osyl::x11
