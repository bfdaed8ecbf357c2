#include "support/app_harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

// Counts every allocation of this test program.
namespace {
std::size_t g_allocations = 0;
}

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace osyl {
namespace {

// The clock ticks every second all day long: a tick within the same minute, and the loop
// pass around it, must allocate nothing.
TEST(ClockTick, TickInTheSameMinuteAllocatesNothing) {
    test::AppHarness h;
    h.backend().set_time(7, 15, 0);
    h.start();
    h.backend().advance(2'000);
    h.run();  // the script's own bookkeeping settles here
    for (int second = 0; second < 40; ++second) h.backend().advance(1'000);
    std::size_t before = g_allocations;
    h.run();
    EXPECT_EQ(g_allocations, before);
}

}  // namespace
}  // namespace osyl
