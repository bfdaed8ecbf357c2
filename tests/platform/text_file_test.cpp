#include "platform/text_file.h"
#include "platform/errors.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <string>
#include <vector>

namespace osyl {
namespace {

std::vector<std::string> read_lines(const std::string& content, int count,
                                    std::size_t keep = std::string::npos) {
    test::TempDir dir;
    test::write_file(dir / "f.txt", content);
    TextFile file;
    file.open((dir / "f.txt").string());
    std::vector<std::string> lines;
    std::string line;
    for (int i = 0; i < count; ++i) {
        file.read_line(line, keep);
        lines.push_back(line);
    }
    file.close();
    return lines;
}

using Lines = std::vector<std::string>;

TEST(TextFile, LineEndsAndCarriageReturns) {
    EXPECT_EQ(read_lines("a\nb\r\nc", 4), (Lines{"a", "b", "c", ""}));
    EXPECT_EQ(read_lines("a\rb\n", 2), (Lines{"ab", ""}));    // a lone CR is dropped
    EXPECT_EQ(read_lines("a\r\r\nb", 2), (Lines{"a", "b"}));  // CR then CR LF
    EXPECT_EQ(read_lines("a\r", 2), (Lines{"a", ""}));        // CR at the end
    EXPECT_EQ(read_lines("\n\n", 3), (Lines{"", "", ""}));
    EXPECT_EQ(read_lines("", 3), (Lines{"", "", ""}));  // past the end: empty
}

TEST(TextFile, CtrlZEndsTheLineTextButNotTheFile) {
    EXPECT_EQ(read_lines("ab\x1a"
                         "cd\r\nef\n",
                         2),
              (Lines{"ab", "ef"}));
    EXPECT_EQ(read_lines("\x1a\nnext", 2), (Lines{"", "next"}));
}

TEST(TextFile, KeepsOnlyThePrefixOfLongLines) {
    std::string long_line(100000, 'x');
    EXPECT_EQ(read_lines(long_line + "\r\nshort\n", 2, 10), (Lines{"xxxxxxxxxx", "short"}));
    // A CR LF that straddles the read buffer's edge still ends the line.
    std::string edge(4095, 'y');
    EXPECT_EQ(read_lines(edge + "\r\nz", 2, 3), (Lines{"yyy", "z"}));
}

TEST(TextFile, OnlyRegularFilesOpen) {
    test::TempDir dir;
    TextFile file;
    try {
        file.open((dir / "missing").string());
        FAIL();
    } catch (const InOutError& e) {
        EXPECT_EQ(e.code(), 2);
    }
#ifdef _WIN32
    const std::string others[] = {dir.path().string(), "NUL"};
    const int missing_folder = 3;  // the system's "path not found"
#else
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const std::string others[] = {(dir / "fifo").string(), dir.path().string(), "/dev/zero"};
    const int missing_folder = 2;
#endif
    for (const std::string& path : others) {
        try {
            file.open(path);
            FAIL() << path;
        } catch (const InOutError& e) {
            EXPECT_EQ(e.code(), 5) << path;
            EXPECT_STREQ(e.what(), "File access denied");
        }
    }
    try {
        file.open((dir / "missing" / "x").string());
        FAIL();
    } catch (const InOutError& e) {
        EXPECT_EQ(e.code(), missing_folder);
    }
}

}  // namespace
}  // namespace osyl
