#include "platform/timer.h"
#include "platform/desktop.h"
#include "support/headless_backend.h"

#include <gtest/gtest.h>

namespace osyl {
namespace {

constexpr std::int64_t ms(int minutes, int seconds, int milliseconds = 0) {
    return (minutes * 60 + seconds) * 1000LL + milliseconds;
}

TEST(Timer, TicksAtOnceThenJustAfterEachLocalMinuteWhateverTheZoneOffset) {
    struct Case {
        int utc_offset_s;
        int second, millisecond;  // local time at start, 12:00:ss.mmm
    };
    // Whole hours, Nepal's 5:45, Newfoundland's -3:30, and an old 0:19:32.
    for (Case c : {Case{0, 0, 0}, Case{0, 59, 999}, Case{20700, 30, 250}, Case{-12600, 1, 0},
                   Case{1172, 17, 400}}) {
        SCOPED_TRACE(c.utc_offset_s);
        HeadlessBackend backend;
        backend.set_utc_offset(c.utc_offset_s);
        backend.set_time(12, 0, c.second, c.millisecond);
        Desktop desktop(backend);
        int ticks = 0;
        Timer timer(desktop, 1, [&] { ++ticks; });
        std::int64_t start = backend.now_ms();
        EXPECT_TRUE(timer.fire_if_due(start));
        std::int64_t due = timer.due_ms();
        EXPECT_EQ(due - start, ms(1, 0) - ms(0, c.second, c.millisecond) + 2);
        EXPECT_EQ(backend.local_time(due).minute, 1);
        EXPECT_EQ(backend.local_time(due).second, 0);
        EXPECT_FALSE(timer.fire_if_due(due - 1));
        EXPECT_TRUE(timer.fire_if_due(due + ms(5, 0)));  // five missed minutes merge
        EXPECT_EQ(timer.due_ms(), due + ms(6, 0));
        EXPECT_EQ(ticks, 2);
    }
}

TEST(Timer, ClockSetBackPastABoundaryTicksAtOnceAndASmallStepDoesNot) {
    HeadlessBackend backend;
    backend.set_time(12, 0, 5);
    Desktop desktop(backend);
    Timer timer(desktop, 1, [] {});
    std::int64_t now = backend.now_ms();
    timer.fire_if_due(now);
    std::int64_t due = timer.due_ms();  // 12:01:00.002
    timer.follow_clock(now - ms(0, 3));
    EXPECT_EQ(timer.due_ms(), due);  // 12:00:02 shows the same minute
    timer.follow_clock(now - ms(0, 10));
    EXPECT_EQ(timer.due_ms(), now - ms(0, 10));  // 11:59:55: due at once
}

TEST(Timer, WithoutIntervalOrHandlerNeverDue) {
    HeadlessBackend backend;
    Desktop desktop(backend);
    Timer timer(desktop, 1, nullptr);
    Timer idle(desktop, 0, [] {});
    EXPECT_FALSE(idle.enabled());
    EXPECT_FALSE(desktop.next_timer_due().has_value());
}

}  // namespace
}  // namespace osyl
