#include "platform/errors.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <new>

namespace osyl {
namespace {

TEST(ReportText, AppendsAFullStopOnlyAfterCharactersAboveIt) {
    EXPECT_EQ(report_text("File not found"), "File not found.");
    EXPECT_EQ(report_text("Done."), "Done.");
    EXPECT_EQ(report_text("Stop!"), "Stop!");
    EXPECT_EQ(report_text("(x)"), "(x)");
    EXPECT_EQ(report_text("a-"), "a-");
    EXPECT_EQ(report_text("a,"), "a,");
    EXPECT_EQ(report_text("trailing "), "trailing ");
    EXPECT_EQ(report_text("digit 7"), "digit 7.");
    EXPECT_EQ(report_text("slash/"), "slash/.");
    EXPECT_EQ(report_text(""), "");
}

TEST(InOutError, MessagesByNumberAndErrnoMapping) {
    EXPECT_STREQ(InOutError(2).what(), "File not found");
    EXPECT_STREQ(InOutError(3).what(), "Invalid filename");
    EXPECT_STREQ(InOutError(4).what(), "Too many open files");
    EXPECT_STREQ(InOutError(5).what(), "File access denied");
    EXPECT_STREQ(InOutError(100).what(), "Read beyond end of file");
    EXPECT_STREQ(InOutError(101).what(), "Disk full");
    EXPECT_STREQ(InOutError(106).what(), "Invalid numeric input");
    EXPECT_STREQ(InOutError(32).what(), "I/O error 32");

    EXPECT_EQ(InOutError::from_os_error(ENOENT).code(), 2);
    EXPECT_EQ(InOutError::from_os_error(ENOTDIR).code(), 3);
    EXPECT_EQ(InOutError::from_os_error(ENAMETOOLONG).code(), 3);
    EXPECT_EQ(InOutError::from_os_error(EMFILE).code(), 4);
    EXPECT_EQ(InOutError::from_os_error(ENFILE).code(), 4);
    EXPECT_EQ(InOutError::from_os_error(EACCES).code(), 5);
    EXPECT_EQ(InOutError::from_os_error(EPERM).code(), 5);
    EXPECT_EQ(InOutError::from_os_error(EISDIR).code(), 5);
    EXPECT_EQ(InOutError::from_os_error(ENOSPC).code(), 101);
    EXPECT_STREQ(InOutError::from_os_error(EIO).what(), "I/O error 5");
}

TEST(SystemError, NamesTheCodeAndTheTrimmedDescription) {
    EXPECT_STREQ(SystemError(ENOMEM).what(), "System Error.  Code: 12.\r\nCannot allocate memory");
    EXPECT_EQ(trim_description("Bad thing. \r\n"), "Bad thing");
    // A named step comes first; a failure without a number never reads as success.
    EXPECT_STREQ(SystemError(ENOMEM, "Cannot create the window").what(),
                 "Cannot create the window.\r\nSystem Error.  Code: 12.\r\nCannot allocate memory");
    EXPECT_STREQ(SystemError(0, "Cannot create the window").what(), "Cannot create the window");
    EXPECT_STREQ(SystemError(0).what(), "Unknown system error");
    EXPECT_EQ(message_of(std::bad_alloc()), SystemError(ENOMEM).what());
}

}  // namespace
}  // namespace osyl
