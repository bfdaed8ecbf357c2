#include "platform/clock.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace osyl {

namespace {

std::string expand_composites(const std::string& format, const std::string& t_fmt_ampm) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        char conversion = format[++i];
        if (conversion == 'r')
            out += t_fmt_ampm;
        else if (conversion == 'T')
            out += "%H:%M:%S";
        else if (conversion == 'R')
            out += "%H:%M";
        else
            out += {'%', conversion};
    }
    return out;
}

bool is_modifier(char c) { return std::strchr("EO-_0^#", c) != nullptr; }

// The hour found, the rest follows from its style and what comes before and after it.
void set_hour_style(LocaleValues& values, bool leading_zero, bool twelve_hour, bool marker_first,
                    const std::string& format, std::size_t after_hour) {
    values.leading_zero = leading_zero;
    values.twelve_hour = twelve_hour;
    values.marker_first = marker_first;
    values.separator = after_hour < format.size() ? format[after_hour] : ':';
}

}  // namespace

bool locale_values_from_format(const std::string& t_fmt, const std::string& t_fmt_ampm,
                               LocaleValues& values) {
    std::string format = expand_composites(t_fmt, t_fmt_ampm);
    bool marker_seen = false;
    for (std::size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%') continue;
        std::size_t j = i + 1;
        while (j < format.size() && is_modifier(format[j])) ++j;
        if (j == format.size()) break;
        char conversion = format[j];
        i = j;
        if (conversion == 'p' || conversion == 'P') marker_seen = true;
        if (std::strchr("HIkl", conversion) == nullptr) continue;
        set_hour_style(values, conversion == 'H' || conversion == 'I',
                       conversion == 'I' || conversion == 'l', marker_seen, format, j + 1);
        return true;
    }
    return false;
}

bool locale_values_from_picture(const std::string& picture, LocaleValues& values) {
    bool marker_seen = false;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        char c = picture[i];
        if (c == '\'') {  // literal text up to the closing quote
            i = picture.find('\'', i + 1);
            if (i == std::string::npos) return false;
            continue;
        }
        if (c == 't') marker_seen = true;
        if (c != 'h' && c != 'H') continue;
        std::size_t end = std::min(picture.find_first_not_of(c, i), picture.size());
        set_hour_style(values, end - i >= 2, c == 'h', marker_seen, picture, end);
        return true;
    }
    return false;
}

std::int64_t wall_clock_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace osyl
