#include "bar/clock_format.h"

#include <gtest/gtest.h>

#include <string>

namespace osyl {
namespace {

// The format is read as the platform reads the user's (strftime on POSIX, a Windows time
// picture otherwise): nothing in it but the 12- or 24-hour clock changes the digits.
TEST(ClockDigits, FormatAndTimeGiveHoursAndMinutes) {
    struct Case {
        const char* locale;
        const char* format;
        int hour, minute;
        const char* digits;  // c1 c2 c3 c4
    };
    const Case cases[] = {
        {"fi-FI", "H.mm.ss", 8, 55, "0855"},
        {"ko-KR", "tt h:mm:ss", 15, 54, "0354"},
        {"zh-TW", "tt hh:mm:ss", 15, 54, "0354"},
        {"en-US", "h:mm:ss tt", 0, 5, "1205"},
        {"de-DE", "HH:mm:ss", 21, 5, "2105"},
        {"ja-JP", "H:mm:ss", 9, 5, "0905"},
        {"quoted", "'h t' H' h 'mm", 13, 7, "1307"},
        {"C", "%H:%M:%S", 0, 0, "0000"},
        {"en_US", "%r", 12, 30, "1230"},
        {"fi_FI", "%H.%M.%S", 8, 55, "0855"},
        {"ta_IN", "%p %I:%M:%S %Z", 15, 54, "0354"},
        {"te_IN", "%p%I.%M.%S %Z", 23, 59, "1159"},
        {"zh_HK", "%p %I時%M分%S秒 %Z", 9, 5, "0905"},
        {"ko_KR", "%H시 %M분 %S초", 14, 7, "1407"},
        {"unreadable", "", 21, 5, "0905"},
    };
    for (const Case& c : cases) {
        LocaleValues values;
        if (std::string(c.format).find('%') != std::string::npos)
            locale_values_from_format(c.format, "%I:%M:%S %p", values);
        else
            locale_values_from_picture(c.format, values);
        ClockDigits digits = clock_digits({c.hour, c.minute, 59}, values);
        EXPECT_EQ(std::string(digits.begin(), digits.end()), c.digits) << c.locale;
    }
}

}  // namespace
}  // namespace osyl
