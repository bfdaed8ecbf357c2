#pragma once

#include "platform/clock.h"

#include <string>
#include <string_view>

namespace osyl {

// Formats the long time ("9:05:07 pm", "AM 9:05:07", "14.07.33") into text, reusing its
// storage so that a tick allocates nothing once the string has grown to size.
void format_long_time(const LocalTime& time, const LocaleValues& locale, std::string& text);

// The first five characters, which decide when the clock redraws.
inline std::string_view clock_text_of(std::string_view time_string) {
    return time_string.substr(0, 5);
}

// The characters that the four digit elements receive, in the order c1, c2, c3, c4, for a
// clock text. A one-digit hour ("9:05:") gives c1 the digit 0.
struct DigitChars {
    char c1 = 0, c2 = 0, c3 = 0, c4 = 0;  // 0: no character
};
DigitChars digit_chars(std::string_view clock_text);

}  // namespace osyl
