#include "bar/clock_format.h"

namespace osyl {

namespace {

void append_two_digits(std::string& text, int value) {
    text += static_cast<char>('0' + value / 10);
    text += static_cast<char>('0' + value % 10);
}

char char_at(std::string_view text, std::size_t position) {
    return position <= text.size() ? text[position - 1] : '\0';
}

}  // namespace

void format_long_time(const LocalTime& time, const LocaleValues& locale, std::string& text) {
    text.clear();
    int hour = time.hour;
    const std::string& marker = hour < 12 ? locale.am : locale.pm;
    if (locale.twelve_hour) {
        hour %= 12;
        if (hour == 0) hour = 12;
        if (locale.marker_first) (text += marker) += ' ';
    }
    if (locale.leading_zero || hour >= 10)
        append_two_digits(text, hour);
    else
        text += static_cast<char>('0' + hour);
    text += locale.separator;
    append_two_digits(text, time.minute);
    text += locale.separator;
    append_two_digits(text, time.second);
    if (locale.twelve_hour && !locale.marker_first) (text += ' ') += marker;
}

DigitChars digit_chars(std::string_view clock_text) {
    if (char_at(clock_text, 2) != ':')
        return {char_at(clock_text, 1), char_at(clock_text, 2), char_at(clock_text, 4),
                char_at(clock_text, 5)};
    return {'0', char_at(clock_text, 1), char_at(clock_text, 3), char_at(clock_text, 4)};
}

}  // namespace osyl
