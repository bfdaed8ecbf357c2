#include "platform/clock.h"

#include <gtest/gtest.h>

namespace osyl {
namespace {

struct FormatCase {
    const char* t_fmt;
    bool leading_zero;
    bool twelve_hour;
    bool marker_first;
    char separator;
};

class LocaleFormat : public testing::TestWithParam<FormatCase> {};

TEST_P(LocaleFormat, FirstHourDirectiveDecides) {
    const FormatCase& c = GetParam();
    LocaleValues values;
    ASSERT_TRUE(locale_values_from_format(c.t_fmt, "%I:%M:%S %p", values));
    EXPECT_EQ(values.leading_zero, c.leading_zero);
    EXPECT_EQ(values.twelve_hour, c.twelve_hour);
    EXPECT_EQ(values.marker_first, c.marker_first);
    EXPECT_EQ(values.separator, c.separator);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, LocaleFormat,
    testing::Values(FormatCase{"%H:%M:%S", true, false, false, ':'},    // C
                    FormatCase{"%r", true, true, false, ':'},           // en_US
                    FormatCase{"%T", true, false, false, ':'},          //
                    FormatCase{"%R", true, false, false, ':'},          //
                    FormatCase{"%k.%M.%S", false, false, false, '.'},   //
                    FormatCase{"%p %l:%M:%S", false, true, true, ':'},  // marker first
                    FormatCase{"%OI:%M %P", true, true, false, ':'},    // with a modifier
                    FormatCase{"%H", true, false, false, ':'}));        // nothing after the hour

TEST(LocaleFormat, WithoutAnHourTheDefaultsStay) {
    LocaleValues values;
    EXPECT_FALSE(locale_values_from_format("", "", values));
    EXPECT_FALSE(locale_values_from_format("%M:%S", "", values));
    EXPECT_FALSE(values.leading_zero);
    EXPECT_TRUE(values.twelve_hour);
    EXPECT_FALSE(values.marker_first);
    EXPECT_EQ(values.separator, ':');
    EXPECT_EQ(values.am, "am");
    EXPECT_EQ(values.pm, "pm");
}

}  // namespace
}  // namespace osyl
