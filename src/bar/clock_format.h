#pragma once

#include "platform/clock.h"

#include <array>

namespace osyl {

// What the digit elements c1, c2, c3, c4 show: the hour, on the 12-hour clock where the
// user's format has one, with a 0 in front of a one-digit hour, then the minutes. The
// separator, the leading-zero switch and the marker's place do not change the digits.
using ClockDigits = std::array<char, 4>;
ClockDigits clock_digits(const LocalTime& time, const LocaleValues& locale);

}  // namespace osyl
