#include "skin/skin_path.h"
#include "platform/process.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace osyl {
namespace {

TEST(SkinPath, FolderEndsAtTheLastSlash) {
    EXPECT_EQ(executable_folder("/usr/local/bin/osyl"), "/usr/local/bin/");
    EXPECT_EQ(executable_folder("/osyl"), "/");
    EXPECT_EQ(executable_folder("osyl"), "");
    EXPECT_EQ(executable_folder("/opt/osyl (deleted)"), "/opt/");
    EXPECT_EQ(skin_file_path("/opt/osyl/osyl", "skin\\c0.bmp"), "/opt/osyl/skin/c0.bmp");
    EXPECT_EQ(skin_file_path("osyl", "skin\\ba.bmp"), "skin/ba.bmp");
}

// Without /proc, or past the path length limit, the system's record says nothing; the
// other clues are names relative to the start-up directory, or found on PATH.
TEST(SkinPath, ExecutableFromTheFirstClueThatNamesAFile) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "bin");
    test::write_file(dir / "bin" / "osyl", "");
    std::string start = dir.path().string();
    std::string found = (dir / "bin" / "osyl").string();
    EXPECT_EQ(executable_from({"/opt/osyl/osyl", "./bin/osyl", "", start, ""}), "/opt/osyl/osyl");
    EXPECT_EQ(executable_from({"", "./bin/osyl", "", start, ""}), found);
    EXPECT_EQ(executable_from({"", "./gone", "bin/osyl", start, ""}), found);
    EXPECT_EQ(executable_from({"", "", "osyl", start, "/nowhere::" + start + "/bin"}), found);
    EXPECT_EQ(executable_from({"", "./bin/osyl", "bin/osyl", "", ""}), "");  // start dir unknown
}

TEST(SkinPath, CurrentExecutableIsThisProgram) {
    std::string path = current_executable_path();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_TRUE(std::filesystem::equivalent(path, "/proc/self/exe"));
}

}  // namespace
}  // namespace osyl
