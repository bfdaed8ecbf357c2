#pragma once

#include <cstdint>
#include <string>

namespace osyl {

struct LocalTime {
    int hour = 0;  // 0..23
    int minute = 0;
    int second = 0;
};

// The user's time-format values. Each has a default for when it cannot be read.
struct LocaleValues {
    bool leading_zero = false;
    bool twelve_hour = true;
    bool marker_first = false;
    char separator = ':';
    std::string am = "am";
    std::string pm = "pm";
};

// Derives the values from a strftime time format such as "%H:%M:%S" or "%I:%M:%S %p",
// expanding %r, %T and %R first; returns false when it names no hour.
bool locale_values_from_format(const std::string& t_fmt, const std::string& t_fmt_ampm,
                               LocaleValues& values);
// The same from a Windows time picture such as "HH:mm:ss", "h:mm:ss tt" or "tt h:mm:ss",
// where text in single quotes is literal; returns false when it names no hour.
bool locale_values_from_picture(const std::string& picture, LocaleValues& values);

// Wall-clock milliseconds since the epoch.
std::int64_t wall_clock_ms();

// Implemented per platform (clock_posix.cpp, clock_win32.cpp):
// The user's time-format values, read afresh.
LocaleValues read_locale_values();
// The local time of day at a wall-clock moment, in the current time zone.
LocalTime local_time_of(std::int64_t epoch_ms);
// POSIX: reads the time zone (again) from TZ or the system's default.
void load_time_zone();

}  // namespace osyl
