#include "platform/x11/box_layout.h"
#include "platform/x11/clock_watch.h"
#include "platform/x11/pixel_format.h"
#include "platform/x11/x11_keys.h"

#include "platform/clock.h"

#include <gtest/gtest.h>

#include <poll.h>

#define XK_MISCELLANY
#define XK_LATIN1
#include <X11/keysymdef.h>

namespace osyl::x11 {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(PixelFormat, PacksPixelsInTheServersByteOrder) {
    Picture picture(2, 1);
    picture.set(0, 0, 0x112233);
    picture.set(1, 0, 0xA0B0C0);
    PixelFormat lsb;
    EXPECT_EQ(pack_rows(picture, 0, 1, lsb), (Bytes{0x33, 0x22, 0x11, 0, 0xC0, 0xB0, 0xA0, 0}));
    PixelFormat msb;
    msb.msb_first = true;
    EXPECT_EQ(pack_rows(picture, 0, 1, msb), (Bytes{0, 0x11, 0x22, 0x33, 0, 0xA0, 0xB0, 0xC0}));

    // A BGR visual swaps the channels; 24 bits per pixel pad each row to 32 bits.
    PixelFormat bgr24;
    bgr24.bits_per_pixel = 24;
    bgr24.red_mask = 0x0000FF;
    bgr24.blue_mask = 0xFF0000;
    EXPECT_EQ(pack_rows(picture, 0, 1, bgr24), (Bytes{0x11, 0x22, 0x33, 0xA0, 0xB0, 0xC0, 0, 0}));
}

TEST(PixelFormat, PacksOnlyTheRequestedRows) {
    Picture picture(1, 3);
    picture.set(0, 1, 0x010203);
    picture.set(0, 2, 0x040506);
    EXPECT_EQ(pack_rows(picture, 1, 2, PixelFormat{}), (Bytes{3, 2, 1, 0, 6, 5, 4, 0}));
}

TEST(PixelFormat, BandsStayUnderTheRequestLimit) {
    // The core protocol's limit without BIG-REQUESTS: 65535 four-byte units.
    std::size_t limit = 65535 * 4;
    int rows = rows_per_band(limit, 800 * 4);
    EXPECT_EQ(rows, 81);
    EXPECT_LE(28 + static_cast<std::size_t>(rows) * 3200, limit);
    EXPECT_GT(28 + static_cast<std::size_t>(rows + 1) * 3200, limit);
    EXPECT_EQ(rows_per_band(100, 4000), 1);  // always progress
}

TEST(Keys, KeypadKeysFollowNumLock) {
    KeyState plain;
    KeyState num_lock{false, false, true};
    KeyState shift{true, false, false};
    EXPECT_EQ(virtual_key_code(choose_keysym(XK_KP_Insert, XK_KP_0, plain)), 45);
    EXPECT_EQ(virtual_key_code(choose_keysym(XK_KP_Insert, XK_KP_0, num_lock)), 96);
    EXPECT_EQ(virtual_key_code(choose_keysym(XK_KP_Insert, XK_KP_0, {true, false, true})), 45);
    EXPECT_EQ(virtual_key_code(choose_keysym(XK_Insert, 0, num_lock)), 45);
    EXPECT_EQ(choose_keysym(XK_a, XK_A, shift), XK_A);
    EXPECT_EQ(choose_keysym(XK_a, XK_A, {false, true, false}), XK_A);
    EXPECT_EQ(choose_keysym(XK_1, XK_exclam, shift), XK_exclam);
}

TEST(Keys, VirtualCodesOfCommonKeys) {
    struct Case {
        std::uint32_t keysym;
        int code;
    };
    for (Case c : {Case{XK_Return, 13},
                   {XK_KP_Enter, 13},
                   {XK_Escape, 27},
                   {XK_space, 32},
                   {XK_Delete, 46},
                   {XK_a, 'A'},
                   {XK_Z, 'Z'},
                   {XK_7, '7'},
                   {XK_F1, 112},
                   {XK_F12, 123},
                   {XK_KP_9, 105},
                   {XK_Left, 37},
                   {XK_Alt_L, 18},
                   {XK_exclam, 0}}) {
        EXPECT_EQ(virtual_key_code(c.keysym), c.code) << std::hex << c.keysym;
    }
    EXPECT_TRUE(dismisses_box(XK_KP_Enter));
    EXPECT_FALSE(dismisses_box(XK_Insert));
}

TEST(BoxText, LineBreaksAndWrapping) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(wrap_text("File not found.", 60), Lines{"File not found."});
    EXPECT_EQ(wrap_text("one\r\ntwo\nthree\rfour", 60), (Lines{"one", "two", "threefour"}));
    EXPECT_EQ(wrap_text("ab cd ef", 5), (Lines{"ab cd", "ef"}));
    EXPECT_EQ(wrap_text("abcdefgh ij", 5), (Lines{"abcde", "fgh", "ij"}));
    EXPECT_EQ(wrap_text("", 5), Lines{""});
    EXPECT_EQ(wrap_text("a\r\n", 5), (Lines{"a", ""}));

    std::string tall;
    for (int i = 0; i < 50; ++i) tall += "line\r\n";
    Lines shown = box_lines(tall);
    EXPECT_EQ(shown.size(), box_max_lines);
    EXPECT_EQ(shown.back(), "...");
}

TEST(BoxText, LayoutKeepsIconTextAndButtonApart) {
    BoxLayout one = layout_box({"File not found."}, 6, 13);
    EXPECT_EQ(one.icon, (Rect{16, 16, 32, 32}));
    EXPECT_GE(one.text.x, one.icon.right());
    EXPECT_EQ(one.button.left, (one.width - one.button.width) / 2);
    EXPECT_GE(one.button.top, one.icon.bottom());
    EXPECT_EQ(one.height, one.button.bottom() + 12);

    BoxLayout wide = layout_box({std::string(60, 'x'), "", "", "", ""}, 6, 13);
    EXPECT_EQ(wide.width, wide.text.x + 360 + 16);
    EXPECT_GE(wide.button.top, wide.text.y + 5 * 13);
}

// The deadline path; the clock-set path needs the machine's clock changed, which no test does.
TEST(ClockWatch, FiresAtItsDeadlineAndNotBefore) {
    auto readable = [](const ClockWatch& watch, int wait_ms) {
        pollfd fd{watch.fd(), POLLIN, 0};
        return poll(&fd, 1, wait_ms) == 1;
    };
    ClockWatch watch;
    std::int64_t now = wall_clock_ms();
    watch.arm(now + 60'000);
    EXPECT_FALSE(readable(watch, 20));
    EXPECT_EQ(watch.take(), ClockWatch::Fired::Nothing);
    watch.arm(now + 30);  // a changed deadline replaces the old one
    EXPECT_TRUE(readable(watch, 2'000));
    EXPECT_GE(wall_clock_ms(), now + 30);
    EXPECT_EQ(watch.take(), ClockWatch::Fired::Deadline);
    watch.arm(now + 30);  // the same deadline again, already past: fires at once
    EXPECT_TRUE(readable(watch, 0) || readable(watch, 100));
    watch.arm(std::nullopt);
    EXPECT_FALSE(readable(watch, 20));
}

}  // namespace
}  // namespace osyl::x11
