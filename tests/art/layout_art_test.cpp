// The large pictures, built from their layout, and the application icon.
#include "art/builtin_art.h"
#include "art_checks.h"

#include <gtest/gtest.h>

#include <set>

namespace osyl {
namespace {

using test::all_of;
using test::black;
using test::blue;
using test::count_of;
using test::outline;

TEST(BarBackground, OutlineShadingAndField) {
    Picture p = art::back();
    ASSERT_EQ(p.width(), 800);
    ASSERT_EQ(p.height(), 23);
    EXPECT_TRUE(all_of(p, 0, 0, 145, 0, outline));
    EXPECT_TRUE(all_of(p, 1, 22, 51, 22, outline));
    EXPECT_EQ(p.at(0, 22), black) << "corner of the bottom row";
    EXPECT_TRUE(all_of(p, 0, 1, 0, 21, outline));
    EXPECT_TRUE(all_of(p, 799, 1, 799, 22, outline));
    EXPECT_TRUE(all_of(p, 1, 1, 1, 21, 0x056E9F));
    EXPECT_TRUE(all_of(p, 1, 1, 145, 1, 0x056E9F));
    EXPECT_TRUE(all_of(p, 147, 1, 171, 1, 0x056E9F));
    EXPECT_TRUE(all_of(p, 172, 1, 344, 1, 0x0575A9));
    EXPECT_TRUE(all_of(p, 347, 1, 397, 1, 0x057CB3));
    EXPECT_TRUE(all_of(p, 798, 2, 798, 21, 0x057CB3));
    EXPECT_TRUE(all_of(p, 2, 21, 51, 21, 0x0583BD));
    EXPECT_TRUE(all_of(p, 707, 21, 797, 21, 0x0583BD));
    EXPECT_TRUE(all_of(p, 2, 2, 797, 20, blue));
}

TEST(BarBackground, SinglePixelsThatDifferFromTheirLine) {
    Picture p = art::back();
    struct Odd {
        int y;
        Rgb colour;
        std::set<int> xs;
    };
    const Odd odd[] = {
        {0, 0x022637, {146, 345, 398, 399, 598, 599, 798}},
        {0, 0x023B55, {346}},
        {1, 0x056FA1, {146}},
        {1, 0x0577AB, {345}},
        {1, 0x0580B9, {346}},
        {1, 0x067EB6, {398, 399, 598, 599, 798}},
        {21, 0x0684BF, {52, 53, 252, 253, 452, 505, 506, 705, 706}},
        {21, 0x0582BB, {453}},
        {22, 0x022637, {52, 53, 252, 253, 505, 506, 705, 706}},
    };
    for (const Odd& o : odd)
        for (int x : o.xs) EXPECT_EQ(p.at(x, o.y), o.colour) << x << "," << o.y;
    // Apart from those, each line keeps its colour.
    EXPECT_EQ(count_of(p, outline, 147, 0, 799, 0), 653 - 7);
    EXPECT_EQ(count_of(p, 0x057CB3, 347, 1, 798, 1), 452 - 5);
    EXPECT_EQ(count_of(p, 0x0583BD, 2, 21, 797, 21), 796 - 10);
    EXPECT_EQ(count_of(p, outline, 1, 22, 799, 22), 799 - 8);
}

TEST(StartButton, BorderLettersAndTriangleShades) {
    Picture p = art::prg();
    ASSERT_EQ(p.width(), 39);
    ASSERT_EQ(p.height(), 13);
    EXPECT_TRUE(all_of(p, 0, 0, 38, 0, outline));
    EXPECT_TRUE(all_of(p, 0, 12, 38, 12, outline));
    EXPECT_TRUE(all_of(p, 0, 0, 0, 12, outline));
    EXPECT_TRUE(all_of(p, 38, 0, 38, 12, outline));
    EXPECT_TRUE(all_of(p, 16, 3, 16, 9, outline)) << "stem of P";
    EXPECT_TRUE(all_of(p, 28, 9, 32, 9, outline)) << "foot of G";
    EXPECT_EQ(p.at(25, 9), outline) << "leg of R";
    EXPECT_EQ(p.at(21, 3), 0x0595D8) << "letters stand apart";
    // The map has 158 X pixels (border, letters, the triangle's core) and 24 triangle
    // pixels; with the six soft pixels beside the slopes that leaves 319 of the fill.
    EXPECT_EQ(count_of(p, outline), 158);
    EXPECT_EQ(count_of(p, 0x0595D8), 319);
    struct Shade {
        int x, y;
        Rgb colour;
    };
    const Shade shades[] = {
        {6, 4, 0x0593D5},  {7, 4, 0x035073}, {8, 4, 0x034C6E}, {5, 5, 0x0591D2},  {6, 5, 0x012D41},
        {7, 5, 0x012F43},  {8, 5, 0x012E42}, {9, 5, 0x012F43}, {10, 5, 0x0593D5}, {4, 6, 0x0591D2},
        {5, 6, 0x022D40},  {6, 6, 0x022F44}, {9, 6, 0x022F43}, {10, 6, 0x022D40}, {11, 6, 0x0591D2},
        {3, 7, 0x0591D2},  {4, 7, 0x023B55}, {5, 7, 0x022F43}, {10, 7, 0x022F43}, {11, 7, 0x023851},
        {3, 8, 0x012B3E},  {4, 8, 0x012637}, {5, 8, 0x022A3C}, {10, 8, 0x022A3C}, {11, 8, 0x02293B},
        {12, 8, 0x02405D},
    };
    for (const Shade& s : shades) EXPECT_EQ(p.at(s.x, s.y), s.colour) << s.x << "," << s.y;
    EXPECT_TRUE(all_of(p, 5, 8, 10, 8, 0x022A3C));
    EXPECT_TRUE(all_of(p, 7, 6, 8, 6, outline));
    EXPECT_TRUE(all_of(p, 6, 7, 9, 7, outline));
}

TEST(BarPictures, DividerColonAndPanel) {
    Picture d = art::divider();
    ASSERT_EQ(d.width(), 2);
    ASSERT_EQ(d.height(), 23);
    EXPECT_TRUE(all_of(d, 0, 0, 0, 21, black));
    EXPECT_EQ(d.at(0, 22), outline);
    EXPECT_TRUE(all_of(d, 1, 0, 1, 22, 0x056E9F));

    Picture c = art::colon();
    EXPECT_TRUE(all_of(c, 1, 1, 1, 3, black));
    EXPECT_TRUE(all_of(c, 1, 6, 1, 8, black));

    Picture p = art::panel();
    ASSERT_EQ(p.width(), 98);
    ASSERT_EQ(p.height(), 23);
    EXPECT_TRUE(all_of(p, 1, 1, 96, 1, blue));
    EXPECT_TRUE(all_of(p, 1, 21, 96, 21, blue));
    for (auto [x, y] : {std::pair{0, 2}, {97, 2}, {0, 20}, {97, 20}}) EXPECT_EQ(p.at(x, y), blue);
    for (auto [x, y] : {std::pair{0, 1}, {97, 1}, {0, 21}, {97, 21}, {1, 2}, {96, 20}})
        EXPECT_EQ(p.at(x, y), black) << x << "," << y;
    EXPECT_TRUE(all_of(p, 0, 0, 97, 0, black));
    EXPECT_TRUE(all_of(p, 0, 22, 97, 22, black));
    EXPECT_TRUE(all_of(p, 1, 3, 96, 19, black));
}

TEST(MenuBackground, SideStripLinesAndBoxes) {
    Picture p = art::window();
    ASSERT_EQ(p.width(), 200);
    ASSERT_EQ(p.height(), 300);
    EXPECT_TRUE(all_of(p, 0, 0, 0, 298, black));
    EXPECT_TRUE(all_of(p, 0, 0, 20, 1, black));
    EXPECT_TRUE(all_of(p, 0, 297, 20, 298, black));
    EXPECT_TRUE(all_of(p, 1, 2, 1, 296, blue));
    for (int y : {2, 176, 200, 224, 248, 272, 296}) EXPECT_TRUE(all_of(p, 1, y, 20, y, blue));
    for (int top : {177, 201, 225, 249, 273}) EXPECT_TRUE(all_of(p, 2, top, 20, top + 22, black));
    EXPECT_TRUE(all_of(p, 2, 3, 20, 71, black)) << "above the lettering";
    EXPECT_TRUE(all_of(p, 2, 109, 20, 175, black)) << "below the lettering";
    EXPECT_EQ(count_of(p, blue, 2, 72, 20, 108), count_of(p, blue, 5, 72, 16, 108));
    EXPECT_TRUE(all_of(p, 0, 299, 199, 299, blue)) << "bottom row";
}

TEST(MenuBackground, LetteringReadsOslyUpwardsInFourBands) {
    Picture p = art::window();
    // Letters at rows 101-108 (O), 91-98 (S), 82-88 (Y), 72-79 (L) with 2 black rows between.
    for (int gap : {99, 100, 89, 90, 80, 81}) EXPECT_TRUE(all_of(p, 2, gap, 20, gap, black));
    for (auto [first, last] : {std::pair{101, 108}, {91, 98}, {82, 88}, {72, 79}}) {
        EXPECT_GT(count_of(p, blue, 5, first, 16, first), 0) << first;
        EXPECT_GT(count_of(p, blue, 5, last, 16, last), 0) << last;
        EXPECT_GT(count_of(p, blue, 5, first, 5, last), 0) << "top of the letter faces left";
        EXPECT_GT(count_of(p, blue, 16, first, 16, last), 0) << "foot of the letter";
    }
    // The L turned counter-clockwise: its stem is row 79, its foot runs up column 16.
    EXPECT_GE(count_of(p, blue, 5, 79, 16, 79), 10);
    EXPECT_GE(count_of(p, blue, 16, 72, 16, 79), 6);
    EXPECT_EQ(count_of(p, blue, 5, 72, 5, 78), 0) << "a clockwise turn would put the foot here";
}

TEST(MenuBackground, FieldAndItsOutline) {
    Picture p = art::window();
    EXPECT_TRUE(all_of(p, 21, 2, 197, 296, blue));
    EXPECT_TRUE(all_of(p, 21, 0, 199, 0, outline));
    EXPECT_TRUE(all_of(p, 21, 1, 198, 1, 0x057CB3));
    EXPECT_EQ(p.at(199, 1), outline);
    EXPECT_TRUE(all_of(p, 198, 2, 198, 296, 0x0583BD));
    EXPECT_TRUE(all_of(p, 199, 2, 199, 298, outline));
    EXPECT_TRUE(all_of(p, 21, 297, 197, 297, 0x0583BD));
    EXPECT_EQ(p.at(198, 297), 0x057FB8);
    EXPECT_TRUE(all_of(p, 21, 298, 199, 298, outline));
}

TEST(ApplicationIcon, SixteenColoursWithATransparentSurround) {
    art::Icon icon = art::main_icon();
    ASSERT_EQ(icon.width, 32);
    ASSERT_EQ(icon.height, 32);
    ASSERT_EQ(icon.argb.size(), 32U * 32U);
    const std::set<std::uint32_t> vga = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                         0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                         0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    int opaque = 0;
    for (std::uint32_t pixel : icon.argb) {
        std::uint32_t alpha = pixel >> 24;
        ASSERT_TRUE(alpha == 0 || alpha == 0xFF) << std::hex << pixel;
        if (alpha == 0xFF) {
            ++opaque;
            EXPECT_TRUE(vga.count(pixel & 0xFFFFFF)) << std::hex << pixel;
        }
    }
    EXPECT_GT(opaque, 500);
    EXPECT_LT(opaque, 1000);
    auto at = [&](int x, int y) { return icon.argb[static_cast<std::size_t>(y * 32 + x)]; };
    for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}, {2, 2}, {29, 29}})
        EXPECT_EQ(at(x, y) >> 24, 0U) << x << "," << y;
    const std::uint32_t stripes[] = {0x000000, 0x808000, 0x800080, 0x808000,
                                     0xFFFF00, 0xC0C0C0, 0x808080};
    for (int y = 9; y <= 28; ++y)
        for (int i = 0; i < 7; ++i) EXPECT_EQ(at(12 + i, y), 0xFF000000 | stripes[i]) << y;
    EXPECT_EQ(at(10, 30), 0xFF000000) << "black part of the base";
    EXPECT_EQ(at(20, 30), 0xFF800000) << "maroon part of the base";
    EXPECT_EQ(at(9, 8), 0xFF000000) << "cap outline, widest row";
    EXPECT_EQ(at(20, 8), 0xFF000000);
    EXPECT_EQ(at(15, 15) & 0xFFFFFF, 0x808000U);
    EXPECT_EQ(at(6, 15), 0xFF008080) << "teal disc";
}

}  // namespace
}  // namespace osyl
