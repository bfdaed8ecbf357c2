#include "platform/timer.h"
#include "platform/desktop.h"
#include "platform/headless/headless_backend.h"

#include <gtest/gtest.h>

namespace osyl {
namespace {

TEST(Timer, FirstTickAtOnceThenJustAfterEachWallClockSecond) {
    HeadlessBackend backend;
    Desktop desktop(backend);
    int ticks = 0;
    Timer timer(desktop, 1, [&] { ++ticks; });
    EXPECT_EQ(timer.period_ms(), 1000);
    EXPECT_TRUE(timer.fire_if_due(10'400));
    EXPECT_EQ(timer.due_ms(), 11'002);
    EXPECT_FALSE(timer.fire_if_due(11'001));
    EXPECT_TRUE(timer.fire_if_due(11'002));
    EXPECT_TRUE(timer.fire_if_due(15'500));  // missed ticks merge into one
    EXPECT_EQ(timer.due_ms(), 16'002);
    EXPECT_EQ(ticks, 3);
    timer.set_enabled(false);
    EXPECT_FALSE(desktop.next_timer_due().has_value());
}

TEST(Timer, LongerIntervalsRoundUpToWholeSeconds) {
    HeadlessBackend backend;
    Desktop desktop(backend);
    Timer timer(desktop, 2500, [] {});
    EXPECT_EQ(timer.period_ms(), 3000);
    Timer idle(desktop, 0, [] {});
    EXPECT_FALSE(idle.enabled());
}

}  // namespace
}  // namespace osyl
