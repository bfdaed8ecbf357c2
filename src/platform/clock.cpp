#include "platform/clock.h"

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
        values.leading_zero = conversion == 'H' || conversion == 'I';
        values.twelve_hour = conversion == 'I' || conversion == 'l';
        values.marker_first = marker_seen;
        values.separator = j + 1 < format.size() ? format[j + 1] : ':';
        return true;
    }
    return false;
}

std::int64_t wall_clock_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace osyl
