#include "bar/clock_format.h"

namespace osyl {

ClockDigits clock_digits(const LocalTime& time, const LocaleValues& locale) {
    int hour = time.hour;
    if (locale.twelve_hour) {
        hour %= 12;
        if (hour == 0) hour = 12;
    }
    auto digit = [](int value) { return static_cast<char>('0' + value); };
    return {digit(hour / 10), digit(hour % 10), digit(time.minute / 10), digit(time.minute % 10)};
}

}  // namespace osyl
