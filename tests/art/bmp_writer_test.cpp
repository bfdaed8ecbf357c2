#include "art/bmp_writer.h"
#include "art_checks.h"

#include <gtest/gtest.h>

namespace osyl {
namespace {

std::uint8_t byte_at(const std::vector<std::byte>& b, std::size_t i) {
    return std::to_integer<std::uint8_t>(b.at(i));
}

TEST(BmpWriter, WritesHeadersForA24BitBottomUpFile) {
    std::vector<std::byte> file = encode_bmp24(Picture(3, 2, 0x102030));
    test::Bmp24 bmp = test::unpack_bmp24(file);
    EXPECT_EQ(byte_at(file, 0), 'B');
    EXPECT_EQ(byte_at(file, 1), 'M');
    // 3 pixels of 3 bytes make 9, padded to 12 per row.
    EXPECT_EQ(file.size(), 54U + 12U * 2U);
    EXPECT_EQ(bmp.file_size, file.size());
    EXPECT_EQ(bmp.pixel_offset, 54U);
    EXPECT_EQ(bmp.header_size, 40U);
    EXPECT_EQ(bmp.width, 3);
    EXPECT_EQ(bmp.height, 2);
    EXPECT_EQ(bmp.planes, 1);
    EXPECT_EQ(bmp.bits, 24);
    EXPECT_EQ(bmp.compression, 0U);
    EXPECT_EQ(test::le(file, 34, 4), 24U) << "image size";
}

TEST(BmpWriter, StoresBottomRowFirstInBlueGreenRedOrderWithZeroPadding) {
    Picture p(3, 2, 0);
    p.set(0, 0, 0x112233);  // top left
    p.set(2, 1, 0xAABBCC);  // bottom right
    std::vector<std::byte> file = encode_bmp24(p);
    EXPECT_EQ(byte_at(file, 54 + 6), 0xCC);
    EXPECT_EQ(byte_at(file, 54 + 7), 0xBB);
    EXPECT_EQ(byte_at(file, 54 + 8), 0xAA);
    EXPECT_EQ(byte_at(file, 66), 0x33);
    EXPECT_EQ(byte_at(file, 67), 0x22);
    EXPECT_EQ(byte_at(file, 68), 0x11);
    for (std::size_t pad : {63U, 64U, 65U, 75U, 76U, 77U}) EXPECT_EQ(byte_at(file, pad), 0) << pad;
    EXPECT_EQ(test::unpack_bmp24(file).picture, p);
}

}  // namespace
}  // namespace osyl
