#include "bar/clock_format.h"

#include <gtest/gtest.h>

#include <string>

namespace osyl {
namespace {

enum class Source { Strftime, WindowsPicture };

struct ClockCase {
    const char* locale;
    Source source;
    const char* format;
    int hour, minute;
    const char* digits;  // c1 c2 c3 c4
};

class ClockDigitsOf : public testing::TestWithParam<ClockCase> {};

// The format is read as the platform reads the user's: nothing in it but the 12- or 24-hour
// clock changes the digits.
TEST_P(ClockDigitsOf, FormatAndTime) {
    const ClockCase& c = GetParam();
    LocaleValues values;
    if (c.source == Source::Strftime)
        locale_values_from_format(c.format, "%I:%M:%S %p", values);
    else
        locale_values_from_picture(c.format, values);
    ClockDigits digits = clock_digits({c.hour, c.minute, 59}, values);
    EXPECT_EQ(std::string(digits.begin(), digits.end()), c.digits);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, ClockDigitsOf,
    testing::Values(ClockCase{"fi-FI", Source::WindowsPicture, "H.mm.ss", 8, 55, "0855"},
                    ClockCase{"ko-KR", Source::WindowsPicture, "tt h:mm:ss", 15, 54, "0354"},
                    ClockCase{"zh-TW", Source::WindowsPicture, "tt hh:mm:ss", 15, 54, "0354"},
                    ClockCase{"en-US", Source::WindowsPicture, "h:mm:ss tt", 0, 5, "1205"},
                    ClockCase{"de-DE", Source::WindowsPicture, "HH:mm:ss", 21, 5, "2105"},
                    ClockCase{"ja-JP", Source::WindowsPicture, "H:mm:ss", 9, 5, "0905"},
                    ClockCase{"quoted", Source::WindowsPicture, "'h t' H' h 'mm", 13, 7, "1307"},
                    ClockCase{"C", Source::Strftime, "%H:%M:%S", 0, 0, "0000"},
                    ClockCase{"en_US", Source::Strftime, "%r", 12, 30, "1230"},
                    ClockCase{"fi_FI", Source::Strftime, "%H.%M.%S", 8, 55, "0855"},
                    ClockCase{"ta_IN", Source::Strftime, "%p %I:%M:%S %Z", 15, 54, "0354"},
                    ClockCase{"te_IN", Source::Strftime, "%p%I.%M.%S %Z", 23, 59, "1159"},
                    ClockCase{"zh_HK", Source::Strftime, "%p %I時%M分%S秒 %Z", 9, 5, "0905"},
                    ClockCase{"ko_KR", Source::Strftime, "%H시 %M분 %S초", 14, 7, "1407"},
                    ClockCase{"unreadable", Source::Strftime, "", 21, 5, "0905"}),
    [](const testing::TestParamInfo<ClockCase>& info) {
        std::string name = info.param.locale;
        if (info.param.source == Source::WindowsPicture) name = "windows_" + name;
        for (char& c : name)
            if (c == '-') c = '_';
        return name;
    });

}  // namespace
}  // namespace osyl
