#pragma once

#include "platform/geometry.h"
#include "platform/picture.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace osyl::posix {

// The colours of a message box, beside the button face of its background.
namespace box_colours {
inline constexpr Rgb ink = 0x000000;
inline constexpr Rgb stop_red = 0xE81123;
inline constexpr Rgb stop_rim = 0x9E0B18;
inline constexpr Rgb stop_cross = 0xFFFFFF;
inline constexpr Rgb button_fill = 0xE1E1E1;
inline constexpr Rgb button_rim = 0x0078D7;  // the default button's focus frame
}  // namespace box_colours

// A message box's text wraps at this many characters, about 360 pixels of "fixed".
inline constexpr std::size_t box_line_chars = 60;

// The characters of UTF-8 text; every byte that is not part of a valid sequence (a stray
// continuation byte, a cut or overlong sequence, a surrogate, past U+10FFFF) becomes "?",
// or the replacement given.
std::u32string decode_utf8(std::string_view text, char32_t replacement = U'?');

// Which characters a core font can show: its character range and the glyphs missing in it.
struct FontCoverage {
    int min_byte1 = 0;
    int max_byte1 = 0;
    int min_byte2 = 0;
    int max_byte2 = 255;
    std::vector<bool> missing;  // by glyph index; empty when every glyph in range exists

    // The font's 16-bit code for the character (byte1 << 8 | byte2), or that of "?" when
    // the font cannot show it.
    std::uint16_t code(char32_t c) const;
};

// Splits a message into display lines: CR LF (or a lone LF) breaks a line, a lone CR is
// dropped, and a line longer than max_chars wraps at its last space that fits, or is
// cut hard when one word is longer than the line.
std::vector<std::u32string> wrap_text(const std::u32string& text, std::size_t max_chars);

// The lines a message box shows: the UTF-8 text decoded and wrapped, cut after box_max_lines with
// "..." so the OK button stays on the screen.
inline constexpr std::size_t box_max_lines = 30;
std::vector<std::u32string> box_lines(const std::string& text,
                                      std::size_t max_chars = box_line_chars);

// How many characters of this width a line may hold so that the box fits a screen this wide.
std::size_t box_chars_within(int screen_width, int char_width);

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
BoxLayout layout_box(const std::vector<std::u32string>& lines, int char_width, int line_height);

}  // namespace osyl::posix
