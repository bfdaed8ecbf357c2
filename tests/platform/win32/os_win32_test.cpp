#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/process.h"
#include "platform/text_file.h"
#include "platform/win32/text_win32.h"
#include "skin/skin_path.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

namespace osyl {
namespace {

// Another program writing the label file: the reader is refused, as Windows numbers it.
TEST(Win32Files, LabelFileOpenForWritingElsewhereGivesError32) {
    test::TempDir dir;
    test::write_file(dir / "osyl.dat", "home\n");
    HANDLE writer =
        CreateFileW((dir / "osyl.dat").wstring().c_str(), GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    TextFile file;
    try {
        file.open((dir / "osyl.dat").string());
        ADD_FAILURE() << "opened a file held open for writing";
    } catch (const InOutError& e) {
        EXPECT_EQ(e.code(), 32);
        EXPECT_STREQ(e.what(), "I/O error 32");
    }
    CloseHandle(writer);
    file.open((dir / "osyl.dat").string());
    std::string line;
    file.read_line(line, 10);
    EXPECT_EQ(line, "home");
}

TEST(Win32Errors, SystemDescriptionsAreTrimmed) {
    std::string text = SystemError(out_of_memory_error()).what();
    ASSERT_EQ(text.rfind("System Error.  Code: 8.\r\n", 0), 0U) << text;
    std::string description = describe_os_error(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(description.empty());
    EXPECT_NE(description.back(), '.');
    EXPECT_EQ(description.find_first_of("\r\n"), std::string::npos) << description;
}

TEST(Win32Paths, SkinFolderIsBesideThisExecutable) {
    std::filesystem::path self = to_utf16(current_executable_path());
    ASSERT_TRUE(self.is_absolute()) << self;
    EXPECT_EQ(self.filename(), "win32_tests.exe");
    EXPECT_TRUE(std::filesystem::exists(self));
    std::filesystem::path skin =
        to_utf16(skin_file_path(current_executable_path(), "skin\\c0.bmp"));
    EXPECT_EQ(skin, self.parent_path() / "skin" / "c0.bmp");
}

// scripts/test-windows runs the tests with LANG=en_US.UTF-8, which Wine maps to en-US.
TEST(Win32Clock, EnglishUnitedStatesLocaleAndLocalTime) {
    LocaleValues values = read_locale_values();
    EXPECT_TRUE(values.twelve_hour);
    EXPECT_FALSE(values.leading_zero);
    EXPECT_FALSE(values.marker_first);
    EXPECT_EQ(values.separator, ':');
    EXPECT_EQ(values.am, "AM");
    EXPECT_EQ(values.pm, "PM");

    const std::time_t moment = 1'796'000'000;  // 2026-11-30 00:53:20 UTC
    std::tm expected{};
    ASSERT_EQ(localtime_s(&expected, &moment), 0);
    LocalTime local = local_time_of(std::int64_t{moment} * 1000 + 999);
    EXPECT_EQ(local.hour, expected.tm_hour);
    EXPECT_EQ(local.minute, expected.tm_min);
    EXPECT_EQ(local.second, expected.tm_sec);
}

}  // namespace
}  // namespace osyl
