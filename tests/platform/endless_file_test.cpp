// Label files that never end: reading stops at the size the file had when opened, and a
// termination request is not kept waiting by a long read.

#include "platform/errors.h"
#include "platform/text_file.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>

namespace osyl {
namespace {

TEST(EndlessFile, FileOfSizeZeroThatNeverEndsReadsAsEmpty) {
    TextFile file;
    file.open("/proc/self/pagemap");  // a regular file of size 0 that reads for ever
    std::string line = "x";
    file.read_line(line, 10);
    EXPECT_EQ(line, "");
    file.close();
}

TEST(EndlessFile, PendingTerminationEndsALongRead) {
    test::TempDir dir;
    TextFile file;
    test::write_file(dir / "long.dat", "");
    std::filesystem::resize_file(dir / "long.dat", 16 << 20);
    file.open((dir / "long.dat").string());
    sigset_t term, old;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &term, &old), 0);
    raise(SIGTERM);
    std::string line;
    EXPECT_THROW(file.read_line(line, 10), Halt);
    int taken = 0;
    sigwait(&term, &taken);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

}  // namespace
}  // namespace osyl
