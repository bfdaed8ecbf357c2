#include "skin/bmp_reader.h"

#include "platform/errors.h"
#include "skin/bmp_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace osyl {
namespace {

using test::BmpFile;
using test::Bytes;
using test::Image;

// Decodes from a buffer of exactly the file's size, so that a sanitizer sees any read
// past its end (a vector grown by push_back has spare capacity there).
Picture decode(const Bytes& bytes) {
    auto exact = std::make_unique<std::byte[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), exact.get());
    return decode_bmp(std::span(exact.get(), bytes.size()));
}

void expect_pixels(const Picture& picture, const Image& image) {
    ASSERT_EQ(picture.width(), image.width);
    ASSERT_EQ(picture.height(), image.height);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            ASSERT_EQ(picture.at(x, y), image.at(x, y)) << "at " << x << "," << y;
}

struct Format {
    const char* name;
    std::function<BmpFile()> build;
    Image expected;
};

BmpFile with(BmpFile f, const std::function<void(BmpFile&)>& change) {
    change(f);
    return f;
}

const std::array<std::uint32_t, 3> rgb565 = {0xF800, 0x07E0, 0x001F};
const std::array<std::uint32_t, 3> bgr32 = {0x000000FF, 0x0000FF00, 0x00FF0000};

std::vector<Format> formats() {
    Image img = test::sample_image();
    Image two = test::two_colour_image();
    auto core = [](BmpFile f) { return with(f, [](BmpFile& g) { g.header_size = 12; }); };
    auto sized = [](BmpFile f, std::uint32_t size) {
        return with(f, [=](BmpFile& g) { g.header_size = size; });
    };
    return {
        {"core_1bpp", [=] { return core(test::make_bmp(two, 1)); }, two},
        {"core_4bpp", [=] { return core(test::make_bmp(img, 4)); }, img},
        {"core_8bpp", [=] { return core(test::make_bmp(img, 8)); }, img},
        {"core_24bpp", [=] { return core(test::make_bmp(img, 24)); }, img},
        {"info_1bpp", [=] { return test::make_bmp(two, 1); }, two},
        {"info_4bpp", [=] { return test::make_bmp(img, 4); }, img},
        {"info_8bpp_short_table",
         [=] {
             return with(test::make_bmp(img, 8), [](BmpFile& f) {
                 f.palette.resize(7);
                 f.colours_used = 7;
             });
         },
         img},
        {"info_8bpp_full_table",
         [=] { return with(test::make_bmp(img, 8), [](BmpFile& f) { f.colours_used = 256; }); },
         img},
        {"info_16bpp_555", [=] { return test::make_bmp(img, 16); }, img},
        {"info_16bpp_565_masks_after", [=] { return test::make_masked_bmp(img, 16, rgb565); }, img},
        {"info_16bpp_alpha_masks_after",
         [=] {
             return with(test::make_masked_bmp(img, 16, rgb565), [](BmpFile& f) {
                 f.compression = test::bi_alpha;
                 f.masks.push_back(0);
             });
         },
         img},
        {"info_24bpp", [=] { return test::make_bmp(img, 24); }, img},
        {"info_24bpp_top_down", [=] { return test::make_bmp(img, 24, true); }, img},
        {"info_24bpp_unused_table",
         [=] {
             return with(test::make_bmp(img, 24), [](BmpFile& f) {
                 f.palette = {0x111111, 0x222222};
                 f.colours_used = 2;
             });
         },
         img},
        {"info_24bpp_offset_past_gap",
         [=] {
             return with(test::make_bmp(img, 24), [](BmpFile& f) {
                 f.gap = 10;
                 f.pixel_offset = static_cast<std::uint32_t>(f.pixels_start());
             });
         },
         img},
        {"info_32bpp", [=] { return test::make_bmp(img, 32); }, img},
        {"info_32bpp_10_bit_masks",
         [=] {
             return test::make_masked_bmp(img, 32, {0x3FF00000, 0x000FFC00, 0x000003FF});
         },
         img},
        {"info_32bpp_bgr_masks", [=] { return test::make_masked_bmp(img, 32, bgr32); }, img},
        {"v2_52_16bpp_masks_inside", [=] { return test::make_masked_bmp(img, 16, rgb565, 52); },
         img},
        {"v3_56_32bpp_alpha",
         [=] {
             return with(test::make_masked_bmp(img, 32, bgr32, 56), [](BmpFile& f) {
                 f.compression = test::bi_alpha;
                 f.masks.push_back(0xFF000000);
             });
         },
         img},
        {"v4_108_24bpp", [=] { return sized(test::make_bmp(img, 24), 108); }, img},
        {"v5_124_32bpp_masks", [=] { return test::make_masked_bmp(img, 32, bgr32, 124); }, img},
        {"odd_64_8bpp", [=] { return sized(test::make_bmp(img, 8), 64); }, img},
        {"rle8", [=] { return test::make_rle_bmp(img, 8); }, img},
        {"rle4", [=] { return test::make_rle_bmp(img, 4); }, img},
    };
}

class BmpFormats : public testing::TestWithParam<Format> {};

TEST_P(BmpFormats, DecodesToTheSamePixels) {
    Bytes bytes = GetParam().build().bytes();
    expect_pixels(decode(bytes), GetParam().expected);
}

// A valid file cut anywhere loads or reports a read error, never anything else, and once
// its headers are whole the pixels present are the right ones.
TEST_P(BmpFormats, EveryCutDecodesOrFailsToRead) {
    BmpFile file = GetParam().build();
    Bytes whole = file.bytes();
    for (std::size_t length = 1; length < whole.size(); ++length) {
        Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        try {
            Picture picture = decode(cut);
            ASSERT_GE(length, file.tables_end()) << "cut at " << length;
            ASSERT_EQ(picture.width(), GetParam().expected.width);
            if (length < file.pixels_start()) continue;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    ASSERT_TRUE(picture.at(x, y) == 0 ||
                                picture.at(x, y) == GetParam().expected.at(x, y))
                        << "cut at " << length << " pixel " << x << "," << y;
        } catch (const StreamReadError&) {
            ASSERT_LT(length, file.tables_end()) << "cut at " << length;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, BmpFormats, testing::ValuesIn(formats()),
                         [](const auto& info) { return std::string(info.param.name); });

struct Damage {
    const char* name;
    std::function<void(BmpFile&)> apply;
};

class BmpRejects : public testing::TestWithParam<Damage> {};

TEST_P(BmpRejects, AsInvalidWithoutAllocating) {
    BmpFile file = test::make_bmp(test::sample_image(), 8);
    GetParam().apply(file);
    auto before = pixel_bytes_in_use();
    try {
        decode(file.bytes());
        FAIL() << "decoded";
    } catch (const InvalidGraphic& error) {
        EXPECT_STREQ(error.what(), "Bitmap image is not valid");
    }
    EXPECT_EQ(pixel_bytes_in_use(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Header, BmpRejects,
    testing::Values(Damage{"planes_2", [](BmpFile& f) { f.planes = 2; }},
                    Damage{"planes_0", [](BmpFile& f) { f.planes = 0; }},
                    Damage{"header_size_11", [](BmpFile& f) { f.header_size = 11; }},
                    Damage{"header_size_39", [](BmpFile& f) { f.header_size = 39; }},
                    Damage{"header_size_1025", [](BmpFile& f) { f.header_size = 1025; }},
                    Damage{"depth_0", [](BmpFile& f) { f.bpp = 0; }},
                    Damage{"depth_2", [](BmpFile& f) { f.bpp = 2; }},
                    Damage{"depth_64", [](BmpFile& f) { f.bpp = 64; }},
                    Damage{"jpeg_inside", [](BmpFile& f) { f.compression = 4; }},
                    Damage{"rle4_at_8_bits", [](BmpFile& f) { f.compression = test::bi_rle4; }},
                    Damage{"masks_at_8_bits",
                           [](BmpFile& f) { f.compression = test::bi_bitfields; }},
                    Damage{"rle_top_down",
                           [](BmpFile& f) {
                               f.compression = test::bi_rle8;
                               f.height = -f.height;
                           }},
                    Damage{"colours_257", [](BmpFile& f) { f.colours_used = 257; }},
                    Damage{"width_negative", [](BmpFile& f) { f.width = -7; }},
                    Damage{"width_4097", [](BmpFile& f) { f.width = 4097; }},
                    Damage{"height_4097", [](BmpFile& f) { f.height = 4097; }},
                    Damage{"top_down_4097", [](BmpFile& f) { f.height = -4097; }},
                    Damage{"height_min_int", [](BmpFile& f) { f.height = INT32_MIN; }},
                    Damage{"gigapixels",
                           [](BmpFile& f) {
                               f.width = INT32_MAX;
                               f.height = INT32_MAX;
                           }},
                    Damage{"over_4_megapixels",
                           [](BmpFile& f) {
                               f.width = 2048;
                               f.height = 2049;
                           }},
                    Damage{"mask_with_holes",
                           [](BmpFile& f) {
                               f.bpp = 16;
                               f.compression = test::bi_bitfields;
                               f.palette.clear();
                               f.masks = {0xF00F, 0x0F00, 0x00F0};
                           }},
                    Damage{"mask_past_16_bits",
                           [](BmpFile& f) {
                               f.bpp = 16;
                               f.compression = test::bi_bitfields;
                               f.palette.clear();
                               f.masks = {0x7C000, 0x03E0, 0x001F};
                           }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BmpReader, SignatureAndPlanesAreChecked) {
    Bytes bytes = test::make_bmp(test::sample_image(), 24).bytes();
    bytes[1] = std::byte{'X'};
    EXPECT_THROW(decode(bytes), InvalidGraphic);
    bytes = test::make_bmp(test::sample_image(), 24).bytes();
    test::set_u16(bytes, 26, 3);
    EXPECT_THROW(decode(bytes), InvalidGraphic);
}

TEST(BmpReader, ShortFilesAndEmptyPictures) {
    EXPECT_TRUE(decode({}).empty());
    Bytes start = test::make_bmp(test::sample_image(), 24).bytes();
    for (std::size_t length = 1; length <= 13; ++length) {
        Bytes cut(start.begin(), start.begin() + static_cast<std::ptrdiff_t>(length));
        try {
            decode(cut);
            FAIL() << length << " bytes decoded";
        } catch (const StreamReadError& error) {
            EXPECT_STREQ(error.what(), "Stream read error");
        }
    }
    BmpFile zero_wide = test::make_bmp(test::sample_image(), 24);
    zero_wide.width = 0;
    EXPECT_TRUE(decode(zero_wide.bytes()).empty());
    BmpFile zero_high = test::make_bmp(test::sample_image(), 24);
    zero_high.height = 0;
    EXPECT_TRUE(decode(zero_high.bytes()).empty());
}

// A file that ends inside its header, its masks or its colour table.
TEST(BmpReader, CutStructuresAreReadErrors) {
    BmpFile header = test::make_bmp(test::sample_image(), 24);
    header.header_size = 124;
    Bytes bytes = header.bytes();
    bytes.resize(14 + 100);
    EXPECT_THROW(decode(bytes), StreamReadError);

    Bytes masks = test::make_masked_bmp(test::sample_image(), 16, rgb565).bytes();
    masks.resize(14 + 40 + 8);
    EXPECT_THROW(decode(masks), StreamReadError);

    Bytes table = test::make_bmp(test::sample_image(), 8).bytes();
    table.resize(14 + 40 + 1023);
    EXPECT_THROW(decode(table), StreamReadError);
}

TEST(BmpReader, ShortPixelDataFillsFromTheFirstStoredRow) {
    Image img = test::sample_image();
    for (bool top_down : {false, true}) {
        BmpFile file = test::make_bmp(img, 24, top_down);
        Bytes bytes = file.bytes();
        bytes.resize(file.pixels_start() + 24 + 6);  // one 24-byte row and two pixels
        Picture picture = decode(bytes);
        int first = top_down ? 0 : 2;
        int second = 1;
        int missing = top_down ? 2 : 0;
        for (int x = 0; x < 7; ++x) {
            EXPECT_EQ(picture.at(x, first), img.at(x, first));
            EXPECT_EQ(picture.at(x, second), x < 2 ? img.at(x, second) : 0u) << x;
            EXPECT_EQ(picture.at(x, missing), 0u);
        }
    }
}

TEST(BmpReader, WherePixelDataStarts) {
    // A table shorter than 2^bpp, the offset right after it: the rest of the table is
    // not read, and an index past what was read is black.
    for (std::uint32_t header_size : {40u, 12u}) {
        BmpFile file;
        file.header_size = header_size;
        file.width = 4;
        file.height = 1;
        file.bpp = 8;
        file.palette = {0xFF0000, 0x00FF00};
        file.pixels = test::pack_rows({0, 1, 2, 1}, 4, 1, 8, false);
        expect_pixels(decode(file.bytes()), {4, 1, {0xFF0000, 0x00FF00, 0, 0x00FF00}});
    }
    Image img = test::sample_image();
    BmpFile counted_without_table = test::make_bmp(img, 24);
    counted_without_table.colours_used = 4;
    expect_pixels(decode(counted_without_table.bytes()), img);
    // An offset into the headers is ignored: the pixels follow the table.
    for (std::uint32_t offset : {0u, 20u, 14u + 39u}) {
        BmpFile file = test::make_bmp(img, 8);
        file.pixel_offset = offset;
        expect_pixels(decode(file.bytes()), img);
    }
    // Past the end of the file there is no pixel data: black, as for a cut file.
    BmpFile past_the_end = test::make_bmp(img, 24);
    past_the_end.pixel_offset = 100000;
    expect_pixels(decode(past_the_end.bytes()), Image{7, 3, std::vector<Rgb>(21, 0)});
}

// Writers often leave the row padding out of the field, or put a wrong size there.
TEST(BmpReader, SizeOfImageFieldIsNotALimit) {
    Image img = test::sample_image();
    Image two_by_two{2, 2, {0x102030, 0x405060, 0x708090, 0xA0B0C0}};
    BmpFile unpadded = test::make_bmp(two_by_two, 24);
    unpadded.image_size = 12;
    expect_pixels(decode(unpadded.bytes()), two_by_two);
    for (std::uint16_t bpp : {24, 8}) {
        BmpFile bottom_row_only = test::make_bmp(img, bpp);
        bottom_row_only.image_size = 1;
        expect_pixels(decode(bottom_row_only.bytes()), img);
    }
    for (std::uint16_t bpp : {8, 4}) {
        BmpFile run_length = test::make_rle_bmp(img, bpp);
        run_length.image_size = 2;
        expect_pixels(decode(run_length.bytes()), img);
    }
}

TEST(BmpReader, IndexesPastTheTableAreBlack) {
    BmpFile file;
    file.width = 3;
    file.height = 1;
    file.bpp = 8;
    file.colours_used = 2;
    file.palette = {0xFF0000, 0x00FF00};
    file.pixels = test::pack_rows({1, 2, 255}, 3, 1, 8, false);
    Picture picture = decode(file.bytes());
    EXPECT_EQ(picture.at(0, 0), 0x00FF00u);
    EXPECT_EQ(picture.at(1, 0), 0u);
    EXPECT_EQ(picture.at(2, 0), 0u);
}

// A 5- or 6-bit channel widens to the nearest 8-bit value: 3/31 of 255 is 24.7, so 25.
TEST(BmpReader, ShortChannelsWidenToTheNearestValue) {
    BmpFile masked;
    masked.width = 2;
    masked.height = 1;
    masked.bpp = 16;
    masked.compression = test::bi_bitfields;
    masked.masks.assign(rgb565.begin(), rgb565.end());
    masked.pixels = test::pack_rows({0x1970, 0x8401}, 2, 1, 16, false);  // 3,11,16 and 16,32,1
    Picture picture = decode(masked.bytes());
    EXPECT_EQ(picture.at(0, 0), 0x192D84u);
    EXPECT_EQ(picture.at(1, 0), 0x848208u);
    BmpFile plain = masked;  // 5 bits each: 3,16,1
    plain.compression = 0;
    plain.masks.clear();
    plain.pixels = test::pack_rows({0x0E01, 0}, 2, 1, 16, false);
    EXPECT_EQ(decode(plain.bytes()).at(0, 0), 0x198408u);
}

TEST(BmpReader, AlphaIsIgnored) {
    BmpFile file;
    file.width = 1;
    file.height = 1;
    file.bpp = 32;
    file.pixels = test::pack_rows({0x80123456}, 1, 1, 32, false);
    EXPECT_EQ(decode(file.bytes()).at(0, 0), 0x123456u);
}

// Hand-written runs: delta, absolute runs with padding, runs past the right edge, a
// missing end-of-bitmap and literal pixels cut by the end of the data.
TEST(BmpReader, RunLengthCommands) {
    BmpFile file;
    file.width = 4;
    file.height = 3;
    file.bpp = 8;
    file.compression = test::bi_rle8;
    file.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    file.colours_used = 4;
    const int data[] = {
        6, 1,              // six red, clipped at four
        0, 0,              // end of line
        0, 2, 1, 0,        // delta: one to the right
        0, 3, 2, 3, 2, 0,  // three literal pixels, padded to even
        0, 0,              // end of line
        0, 3, 3, 3,        // literal pixels cut short by the end of the data
    };
    for (int v : data) test::put_u8(file.pixels, static_cast<std::uint32_t>(v));
    Picture cut = decode(file.bytes());
    EXPECT_EQ(cut.at(1, 0), 0x0000FFu);
    EXPECT_EQ(cut.at(2, 0), 0u);

    file.pixels.resize(file.pixels.size() - 4);
    const int rest[] = {
        0, 4, 3, 3, 3, 3,  // four literal pixels
        0, 0, 4, 1,        // runs above the top row are dropped
        0, 2, 0, 9, 4, 1,  // and so are runs after a delta past it
    };
    for (int v : rest) test::put_u8(file.pixels, static_cast<std::uint32_t>(v));
    Bytes bytes = file.bytes();
    Picture picture = decode(bytes);
    for (std::size_t length = file.pixels_start(); length < bytes.size(); ++length)
        decode(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(picture.at(x, 2), 0xFF0000u);
    EXPECT_EQ(picture.at(0, 1), 0u);
    EXPECT_EQ(picture.at(1, 1), 0x00FF00u);
    EXPECT_EQ(picture.at(2, 1), 0x0000FFu);
    EXPECT_EQ(picture.at(3, 1), 0x00FF00u);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(picture.at(x, 0), 0x0000FFu);
}

TEST(BmpReader, Rle4AlternatesNibbles) {
    BmpFile file;
    file.width = 5;
    file.height = 1;
    file.bpp = 4;
    file.compression = test::bi_rle4;
    file.palette = {0x000000, 0xFF0000, 0x00FF00};
    file.colours_used = 3;
    const int data[] = {3, 0x12, 0, 3, 0x21, 0x00, 0, 1};  // run 1 2 1, literal 2 1 0
    for (int v : data) test::put_u8(file.pixels, static_cast<std::uint32_t>(v));
    Picture picture = decode(file.bytes());
    const Rgb expected[] = {0xFF0000, 0x00FF00, 0xFF0000, 0x00FF00, 0xFF0000};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(picture.at(x, 0), expected[x]) << x;
}

TEST(BmpReader, LargestPictureWithinTheCapsLoadsFromAShortFile) {
    BmpFile file;
    file.width = 2048;
    file.height = -2048;
    file.bpp = 24;
    file.pixels = {std::byte{0x03}, std::byte{0x02}, std::byte{0x01}};
    Picture picture = decode(file.bytes());
    EXPECT_EQ(picture.width(), 2048);
    EXPECT_EQ(picture.at(0, 0), 0x010203u);
    EXPECT_EQ(picture.at(2047, 2047), 0u);
}

}  // namespace
}  // namespace osyl

namespace osyl {
namespace {

// A loader reads a file only as far as its headers say the reader will look.
TEST(BmpBytesNeeded, HugeFileBehindASmallHeaderIsReadOnlyAsFarAsItsPixels) {
    constexpr std::uint64_t two_gib = 2ULL << 30;
    test::BmpFile file;
    file.width = 12;
    file.height = 12;
    Bytes head = file.bytes();
    EXPECT_EQ(bmp_bytes_needed(head, two_gib), 54U + 36 * 12);

    file.image_size = 0xFFFFFFFF;  // a claim past the rows is not trusted either
    EXPECT_EQ(bmp_bytes_needed(file.bytes(), two_gib), 54U + 36 * 12);

    file.pixel_offset = 1000;  // pixels further on, inside the file
    file.image_size = 0;
    EXPECT_EQ(bmp_bytes_needed(file.bytes(), two_gib), 1000U + 36 * 12);

    Bytes rejected = head;
    rejected[1] = std::byte{'X'};
    EXPECT_EQ(bmp_bytes_needed(rejected, two_gib), rejected.size());
    EXPECT_EQ(bmp_bytes_needed({}, 0), 0U);
    // Cut inside the header: read on, but never past the reader's cap.
    Bytes cut(head.begin(), head.begin() + 20);
    EXPECT_EQ(bmp_bytes_needed(cut, two_gib), (16U << 20) + (64U << 10));
    EXPECT_EQ(bmp_bytes_needed(cut, 30), 30U);
}

}  // namespace
}  // namespace osyl
