#include "platform/picture.h"
#include "support/app_harness.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>

namespace osyl {
namespace {

constexpr Point prg{20, 587};

std::size_t heap_in_use() { return mallinfo2().uordblks; }

// Shows and hides the menu `shows` times, each show reading ten full labels.
void toggle(test::AppHarness& h, int shows) {
    for (int i = 0; i < shows; ++i) {
        h.backend().click(prg);
        h.backend().click({prg.x + 10, prg.y});  // too far for a double click
        h.run();
    }
}

int shows_from_environment(int fallback) {
    const char* text = std::getenv("OSYL_SOAK_SHOWS");
    return text ? std::atoi(text) : fallback;
}

// A day of ticks and many menu shows must leave memory where the first shows left it.
TEST(Soak, DayOfTicksAndManyShowsKeepMemoryFlat) {
    test::AppHarness h;
    std::string labels;
    for (int row = 0; row < 10; ++row) labels += "abcdefghij\n";
    h.write_labels(labels);
    h.backend().set_time(0, 0, 0);
    h.start();
    toggle(h, 100);
    std::size_t heap_after_first = heap_in_use();
    std::uint64_t pixels_after_first = pixel_bytes_in_use();

    h.backend().advance(86'400'000);
    h.run();
    toggle(h, shows_from_environment(10'000) - 100);

    EXPECT_LE(heap_in_use(), heap_after_first + 64 * 1024);
    EXPECT_EQ(pixel_bytes_in_use(), pixels_after_first);
    EXPECT_TRUE(h.backend().boxes().empty());
    EXPECT_FALSE(h.app().finished());
}

}  // namespace
}  // namespace osyl
