// A label line of gigabytes streams past at memory speed.

#include "platform/text_file.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace osyl {
namespace {

TEST(EndlessFile, FourGibibyteSparseLineIsPassedInUnderFourSeconds) {
    test::TempDir dir;
    std::filesystem::path path = dir / "long.dat";
    test::write_file(path, "");
    std::filesystem::resize_file(path, 4ULL << 30);  // a hole: NUL bytes, no disk
    std::ofstream(path, std::ios::binary | std::ios::app) << "\nxyz\n";
    TextFile file;
    file.open(path.string());
    auto start = std::chrono::steady_clock::now();
    std::string line;
    file.read_line(line, 10);
    EXPECT_EQ(line, std::string(10, '\0'));
    file.read_line(line, 10);
    EXPECT_EQ(line, "xyz");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
}

}  // namespace
}  // namespace osyl
