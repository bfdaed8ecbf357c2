#include "bar/clock_format.h"

#include <gtest/gtest.h>

#include <string>

namespace osyl {
namespace {

LocaleValues locale(bool leading_zero, bool twelve_hour, bool marker_first, char separator = ':',
                    std::string am = "AM", std::string pm = "PM") {
    return {leading_zero, twelve_hour, marker_first, separator, std::move(am), std::move(pm)};
}

std::string formatted(int h, int m, int s, const LocaleValues& values) {
    std::string text;
    format_long_time({h, m, s}, values, text);
    return text;
}

std::string digits(std::string_view clock_text) {
    DigitChars chars = digit_chars(clock_text);
    std::string out;
    for (char c : {chars.c1, chars.c2, chars.c3, chars.c4}) out += c ? c : '_';
    return out;
}

TEST(ClockFormat, LongTimeFollowsTheLocaleSwitches) {
    EXPECT_EQ(formatted(9, 5, 7, locale(true, false, false)), "09:05:07");
    EXPECT_EQ(formatted(9, 5, 7, locale(false, false, false)), "9:05:07");
    EXPECT_EQ(formatted(21, 5, 7, locale(false, false, false)), "21:05:07");
    EXPECT_EQ(formatted(21, 5, 7, locale(false, true, false)), "9:05:07 PM");
    EXPECT_EQ(formatted(21, 5, 7, locale(true, true, false)), "09:05:07 PM");
    EXPECT_EQ(formatted(9, 5, 7, locale(false, true, true)), "AM 9:05:07");
    EXPECT_EQ(formatted(9, 5, 7, locale(false, false, false, '.')), "9.05.07");
    EXPECT_EQ(formatted(21, 5, 7, LocaleValues{}), "9:05:07 pm");  // nothing readable
}

TEST(ClockFormat, TwelveHourClockRunsFromOneToTwelve) {
    LocaleValues twelve = locale(false, true, false);
    EXPECT_EQ(formatted(0, 0, 0, twelve), "12:00:00 AM");
    EXPECT_EQ(formatted(11, 59, 0, twelve), "11:59:00 AM");
    EXPECT_EQ(formatted(12, 30, 0, twelve), "12:30:00 PM");
    EXPECT_EQ(formatted(13, 0, 0, twelve), "1:00:00 PM");
    EXPECT_EQ(formatted(23, 0, 0, twelve), "11:00:00 PM");
}

TEST(ClockFormat, WorkedExamplesGiveTheDigitsOfEachElement) {
    EXPECT_EQ(clock_text_of("14:07:33"), "14:07");
    EXPECT_EQ(digits("14:07"), "1407");
    EXPECT_EQ(clock_text_of("9:05:07"), "9:05:");
    EXPECT_EQ(digits("9:05:"), "0905");
    EXPECT_EQ(clock_text_of("9:05:07 PM"), "9:05:");
    EXPECT_EQ(digits("12:30"), "1230");
    EXPECT_EQ(digits("00:00"), "0000");
    EXPECT_EQ(clock_text_of("9:0"), "9:0");  // shorter: all of it
    EXPECT_EQ(digits("9:0"), "090_");
}

TEST(ClockFormat, OtherSeparatorsAndLeadingMarkersSelectCharactersThatDrawNothing) {
    // "9.05.07": the one-digit test never matches; c2 and c4 get the separator.
    EXPECT_EQ(digits(clock_text_of("9.05.07")), "9.5.");
    // "AM 9:05:07": the marker's letters and the space fill c1 and c2.
    EXPECT_EQ(digits(clock_text_of("AM 9:05:07")), "AM9:");
}

}  // namespace
}  // namespace osyl
