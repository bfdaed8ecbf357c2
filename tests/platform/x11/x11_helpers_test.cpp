#include "platform/posix/box_layout.h"
#include "platform/posix/clock_watch.h"
#include "platform/posix/keysyms.h"
#include "platform/x11/pixel_format.h"
#include "platform/x11/window_name.h"
#include "platform/x11/x11_keys.h"

#include "platform/clock.h"

#include <gtest/gtest.h>

#include <poll.h>

#define XK_MISCELLANY
#define XK_LATIN1
#include <X11/keysymdef.h>

namespace osyl::x11 {
namespace {

using posix::box_chars_within;
using posix::box_line_chars;
using posix::box_lines;
using posix::box_max_lines;
using posix::BoxLayout;
using posix::ClockWatch;
using posix::decode_utf8;
using posix::dismisses_box;
using posix::FontCoverage;
using posix::layout_box;
using posix::virtual_key_code;
using posix::wrap_text;

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

    // A 32-deep visual takes the spare byte as alpha: every pixel is opaque.
    PixelFormat argb;
    argb.opaque_bits = 0xFF000000;
    EXPECT_EQ(pack_rows(picture, 0, 1, argb),
              (Bytes{0x33, 0x22, 0x11, 0xFF, 0xC0, 0xB0, 0xA0, 0xFF}));
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
    using Lines = std::vector<std::u32string>;
    EXPECT_EQ(wrap_text(U"File not found.", 60), Lines{U"File not found."});
    EXPECT_EQ(wrap_text(U"one\r\ntwo\nthree\rfour", 60), (Lines{U"one", U"two", U"threefour"}));
    EXPECT_EQ(wrap_text(U"ab cd ef", 5), (Lines{U"ab cd", U"ef"}));
    EXPECT_EQ(wrap_text(U"abcdefgh ij", 5), (Lines{U"abcde", U"fgh", U"ij"}));
    EXPECT_EQ(wrap_text(U" abcdefgh", 5), (Lines{U" abcd", U"efgh"}));  // no empty first line
    EXPECT_EQ(wrap_text(U"", 5), Lines{U""});
    EXPECT_EQ(wrap_text(U"a\r\n", 5), (Lines{U"a", U""}));

    std::string tall;
    for (int i = 0; i < 50; ++i) tall += "line\r\n";
    Lines shown = box_lines(tall);
    EXPECT_EQ(shown.size(), box_max_lines);
    EXPECT_EQ(shown.back(), U"...");
    // Wrapping counts characters, not bytes.
    EXPECT_EQ(
        box_lines(std::string(30, 'a') + std::string(15, 'e') + "\xC3\xA9" + std::string(14, 'e'))
            .size(),
        1U);
}

struct Utf8Case {
    const char* bytes;
    std::u32string characters;
};

TEST(BoxText, Utf8DecodesWithAQuestionMarkForEveryBadByte) {
    const Utf8Case cases[] = {
        {"caf\xC3\xA9", U"caf\u00E9"},
        {"\xE2\x82\xAC \xF0\x9F\x98\x80", U"\u20AC \U0001F600"},
        {"a\x80"
         "b",
         U"a?b"},        // stray continuation byte
        {"\xC3", U"?"},  // cut at the end
        {"\xE2\x82"
         "x",
         U"??x"},                            // cut in the middle
        {"\xC0\xAF\xE0\x80\xAF", U"?????"},  // overlong
        {"\xED\xA0\x80", U"???"},            // a surrogate
        {"\xF4\x90\x80\x80\xFF", U"?????"},  // past U+10FFFF, and a byte that never leads
    };
    for (const Utf8Case& c : cases) EXPECT_EQ(decode_utf8(c.bytes), c.characters) << c.bytes;
}

// WM_NAME is Latin-1 and _NET_WM_NAME well-formed UTF-8, whatever bytes the name holds.
TEST(WindowName, Latin1AndValidUtf8) {
    EXPECT_EQ(latin1_name("\xC3\x96syl"), "\xD6syl");  // Ösyl
    EXPECT_EQ(latin1_name("\xE2\x82\xAC\xC3\xBF\xFF"), "?\xFF?");
    EXPECT_EQ(valid_utf8("\xC3\x96syl \xE2\x82\xAC\xF0\x9F\x98\x80"),
              "\xC3\x96syl \xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(valid_utf8("a\xFF\xC3"), "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(BoxText, FontCodesFallBackToAQuestionMark) {
    FontCoverage latin1;  // byte1 0, byte2 0..255: the plain "fixed"
    EXPECT_EQ(latin1.code(U'\u00E9'), 0x00E9);
    EXPECT_EQ(latin1.code(U'\u20AC'), '?');

    FontCoverage bmp{0, 255, 0, 255, std::vector<bool>(65536, false)};
    bmp.missing[0x20AC] = true;
    EXPECT_EQ(bmp.code(U'\u0416'), 0x0416);
    EXPECT_EQ(bmp.code(U'\u20AC'), '?');
    EXPECT_EQ(bmp.code(U'\U0001F600'), '?');

    FontCoverage cut{0x20, 0x21, 0x40, 0x7F, {}};  // a matrix font with a narrow range
    EXPECT_EQ(cut.code(U'\u2150'), 0x2150);
    EXPECT_EQ(cut.code(U'\u2180'), '?');
    EXPECT_EQ(cut.code(U'\u2240'), '?');
}

TEST(BoxText, LayoutKeepsIconTextAndButtonApart) {
    BoxLayout one = layout_box({U"File not found."}, 6, 13);
    EXPECT_EQ(one.icon, (Rect{16, 16, 32, 32}));
    EXPECT_GE(one.text.x, one.icon.right());
    EXPECT_EQ(one.button.left, (one.width - one.button.width) / 2);
    EXPECT_GE(one.button.top, one.icon.bottom());
    EXPECT_EQ(one.height, one.button.bottom() + 12);

    BoxLayout wide = layout_box({std::u32string(60, U'x'), U"", U"", U"", U""}, 6, 13);
    EXPECT_EQ(wide.width, wide.text.x + 360 + 16);
    EXPECT_GE(wide.button.top, wide.text.y + 5 * 13);

    // A box never grows wider than the screen it is laid out for.
    EXPECT_EQ(box_chars_within(800, 8), box_line_chars);
    for (int screen : {300, 257}) {
        std::vector<std::u32string> lines =
            box_lines(std::string(200, 'x'), box_chars_within(screen, 8));
        EXPECT_LE(layout_box(lines, 8, 15).width, screen) << screen;
    }
}

bool readable(const ClockWatch& watch, int wait_ms) {
    pollfd fd{watch.fd(), POLLIN, 0};
    return poll(&fd, 1, wait_ms) == 1;
}

// The deadline path. No test changes the machine's clock, but a virtual machine's host may
// step it at any moment, which wakes the watch as it should: such a run returns false.
bool deadline_checks_ran() {
    using Fired = ClockWatch::Fired;
    ClockWatch watch;
    std::int64_t now = wall_clock_ms();
    watch.arm(now + 60'000);
    Fired early = readable(watch, 20) ? watch.take() : Fired::Nothing;
    if (early == Fired::ClockSet) return false;
    EXPECT_EQ(early, Fired::Nothing);
    watch.arm(now + 30);  // a changed deadline replaces the old one
    EXPECT_TRUE(readable(watch, 2'000));
    EXPECT_GE(wall_clock_ms(), now + 30);
    Fired fired = watch.take();
    if (fired == Fired::ClockSet) return false;
    EXPECT_EQ(fired, Fired::Deadline);
    watch.arm(now + 30);  // the same deadline again, already past: fires at once
    EXPECT_TRUE(readable(watch, 0) || readable(watch, 100));
    watch.arm(std::nullopt);
    EXPECT_FALSE(readable(watch, 20));
    return true;
}

TEST(ClockWatch, FiresAtItsDeadlineAndNotBefore) {
    int runs = 1;
    while (!deadline_checks_ran()) ASSERT_LT(++runs, 4) << "the clock was set during every run";
}

}  // namespace
}  // namespace osyl::x11
