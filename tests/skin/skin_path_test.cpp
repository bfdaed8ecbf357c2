#include "skin/skin_path.h"
#include "platform/process.h"

#include <gtest/gtest.h>

#include <filesystem>

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

TEST(SkinPath, CurrentExecutableIsThisProgram) {
    std::string path = current_executable_path();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_TRUE(std::filesystem::equivalent(path, "/proc/self/exe"));
}

}  // namespace
}  // namespace osyl
