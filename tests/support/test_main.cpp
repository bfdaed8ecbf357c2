#include "platform/picture.h"
#include "support/headless_backend.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// After each test (its fixture gone too) nothing it made is still held: no picture bytes,
// no window and no desktop with its timers on a headless display.
class NothingLeftHeld : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override {
        EXPECT_EQ(osyl::pixel_bytes_in_use(), 0U) << "picture bytes still held";
        EXPECT_EQ(osyl::HeadlessBackend::windows_everywhere(), 0U) << "headless windows left";
        EXPECT_EQ(osyl::HeadlessBackend::ticks_everywhere(), 0U) << "a desktop and its timers left";
    }
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // The listener list takes ownership.
    testing::UnitTest::GetInstance()->listeners().Append(
        std::make_unique<NothingLeftHeld>().release());
    return RUN_ALL_TESTS();
}
