#include "art/builtin_art.h"
#include "art_checks.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace osyl {
namespace {

using test::all_of;
using test::black;
using test::blue;
using test::count_of;
using test::outline;

// Each map of the description has this many ink pixels; a dropped or stray pixel shows here.
struct MapCase {
    const char* name;
    Picture (*make)();
    int width, height;
    Rgb ink, paper;
    int ink_pixels;
};

void PrintTo(const MapCase& c, std::ostream* out) { *out << c.name; }

class SmallPicture : public testing::TestWithParam<MapCase> {};

TEST_P(SmallPicture, HasItsSizeTwoColoursAndInkCount) {
    const MapCase& c = GetParam();
    Picture p = c.make();
    ASSERT_EQ(p.width(), c.width);
    ASSERT_EQ(p.height(), c.height);
    EXPECT_EQ(count_of(p, c.ink), c.ink_pixels);
    EXPECT_EQ(count_of(p, c.ink) + count_of(p, c.paper), c.width * c.height);
}

INSTANTIATE_TEST_SUITE_P(Maps, SmallPicture,
                         testing::Values(MapCase{"digit", art::digit, 12, 12, black, blue, 27},
                                         MapCase{"colon", art::colon, 3, 10, black, blue, 6},
                                         MapCase{"ukaz", art::ukaz, 12, 12, black, blue, 9},
                                         MapCase{"blank", art::blank_cell, 12, 12, black, blue, 0},
                                         MapCase{"opt", art::opt, 12, 12, blue, black, 19},
                                         MapCase{"res", art::res, 12, 12, blue, black, 26},
                                         MapCase{"shut", art::shut, 12, 12, blue, black, 35},
                                         MapCase{"home", art::home, 15, 19, blue, black, 52},
                                         MapCase{"mail", art::mail, 15, 19, blue, black, 54},
                                         MapCase{"chel", art::chel, 15, 19, blue, black, 55},
                                         MapCase{"sleft", art::sleft, 20, 20, black, blue, 160},
                                         MapCase{"sright", art::sright, 20, 20, black, blue, 160}),
                         [](const testing::TestParamInfo<MapCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(BuiltinArt, DigitZeroIsAnOutlineBrokenByThreeGaps) {
    Picture p = art::digit();
    EXPECT_EQ(count_of(p, black, 2, 1, 8, 10), 27) << "ink strays outside columns 2-8, rows 1-10";
    for (auto [x, y] : {std::pair{2, 1}, {8, 1}, {2, 10}, {8, 10}, {4, 1}, {6, 1}, {8, 5}, {8, 7}})
        EXPECT_EQ(p.at(x, y), black) << x << "," << y;
    for (auto [x, y] : {std::pair{5, 1}, {8, 6}, {2, 9}})
        EXPECT_EQ(p.at(x, y), blue) << x << "," << y;
    EXPECT_TRUE(all_of(p, 3, 2, 7, 9, blue));
}

TEST(BuiltinArt, PointerMarkerIsABrokenChevron) {
    Picture p = art::ukaz();
    for (auto [x, y] : {std::pair{8, 5}, {3, 0}, {3, 10}, {4, 1}, {6, 3}, {5, 8}})
        EXPECT_EQ(p.at(x, y), black) << x << "," << y;
    EXPECT_TRUE(all_of(p, 0, 2, 11, 2, blue));
    EXPECT_TRUE(all_of(p, 0, 9, 11, 9, blue));
    EXPECT_TRUE(all_of(p, 9, 0, 11, 11, blue));
}

TEST(BuiltinArt, PanelButtonsDrawTheirShapes) {
    Picture cup = art::opt();
    EXPECT_TRUE(all_of(cup, 5, 6, 5, 9, blue)) << "stem";
    EXPECT_TRUE(all_of(cup, 2, 5, 8, 5, blue)) << "bottom of the cup";
    EXPECT_EQ(cup.at(3, 2), blue);
    EXPECT_EQ(cup.at(4, 2), black) << "rim ends are two pixels wide";

    Picture frame = art::res();
    EXPECT_TRUE(all_of(frame, 2, 3, 2, 8, blue)) << "left side";
    EXPECT_TRUE(all_of(frame, 5, 6, 9, 6, blue)) << "arrow head";
    EXPECT_TRUE(all_of(frame, 7, 7, 7, 8, blue)) << "arrow shaft";
    EXPECT_EQ(frame.at(7, 9), black);

    Picture box = art::shut();
    EXPECT_TRUE(all_of(box, 3, 2, 9, 2, blue));
    EXPECT_TRUE(all_of(box, 3, 4, 9, 4, blue));
    EXPECT_TRUE(all_of(box, 0, 5, 11, 5, black)) << "gap between box and triangle";
    EXPECT_EQ(box.at(6, 10), blue) << "tip";
}

TEST(BuiltinArt, StripIconsKeepTwoBlackPixelsAroundTheirInk) {
    for (Picture p : {art::home(), art::mail(), art::chel()}) {
        EXPECT_EQ(count_of(p, blue, 2, 1, 12, 16), count_of(p, blue));
        EXPECT_TRUE(all_of(p, 0, 17, 14, 18, black));
    }
    Picture house = art::home();
    EXPECT_EQ(house.at(7, 1), blue) << "roof apex";
    EXPECT_EQ(house.at(2, 7), blue);
    EXPECT_EQ(house.at(12, 7), blue);
    Picture envelope = art::mail();
    EXPECT_TRUE(all_of(envelope, 10, 3, 12, 3, blue)) << "arrow head";
    EXPECT_TRUE(all_of(envelope, 2, 14, 2, 16, blue));
}

TEST(BuiltinArt, ArrowButtonsAreMirrorImages) {
    Picture left = art::sleft();
    Picture right = art::sright();
    EXPECT_TRUE(all_of(left, 18, 1, 18, 17, black)) << "straight back";
    EXPECT_EQ(left.at(1, 9), black) << "tip";
    EXPECT_EQ(left.at(0, 9), blue);
    EXPECT_TRUE(all_of(left, 7, 9, 16, 9, blue)) << "cut-in shaft";
    EXPECT_EQ(left.at(11, 6), blue);
    EXPECT_EQ(left.at(11, 12), blue);
    ASSERT_EQ(right.width(), 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(right.at(x, y), left.at(19 - x, y)) << x << "," << y;
    EXPECT_NE(left, right);
}

}  // namespace
}  // namespace osyl
