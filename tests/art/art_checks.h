#pragma once

#include "platform/picture.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace osyl::test {

// The artwork's colours, written down here apart from the program's own constants so that a
// wrong constant there cannot pass unseen.
inline constexpr Rgb blue = 0x068AC7;
inline constexpr Rgb black = 0x000000;

inline int count_of(const Picture& p, Rgb colour, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) n += p.at(x, y) == colour ? 1 : 0;
    return n;
}

inline int count_of(const Picture& p, Rgb colour) {
    return count_of(p, colour, 0, 0, p.width() - 1, p.height() - 1);
}

// A 24-bit BMP as this project writes it, unpacked field by field.
struct Bmp24 {
    std::uint32_t file_size = 0, pixel_offset = 0, header_size = 0, compression = 0;
    std::int32_t width = 0, height = 0;
    std::uint16_t planes = 0, bits = 0;
    Picture picture;
};

inline std::uint32_t le(const std::vector<std::byte>& b, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | std::to_integer<std::uint32_t>(b.at(at + static_cast<std::size_t>(i)));
    return value;
}

// Reads the headers and, for a bottom-up 24-bit file, the pixels.
inline Bmp24 unpack_bmp24(const std::vector<std::byte>& b) {
    Bmp24 bmp;
    bmp.file_size = le(b, 2, 4);
    bmp.pixel_offset = le(b, 10, 4);
    bmp.header_size = le(b, 14, 4);
    bmp.width = static_cast<std::int32_t>(le(b, 18, 4));
    bmp.height = static_cast<std::int32_t>(le(b, 22, 4));
    bmp.planes = static_cast<std::uint16_t>(le(b, 26, 2));
    bmp.bits = static_cast<std::uint16_t>(le(b, 28, 2));
    bmp.compression = le(b, 30, 4);
    if (bmp.bits != 24 || bmp.width <= 0 || bmp.height <= 0) return bmp;
    bmp.picture = Picture(bmp.width, bmp.height);
    std::size_t stride = (static_cast<std::size_t>(bmp.width) * 3 + 3) / 4 * 4;
    for (int y = 0; y < bmp.height; ++y) {
        std::size_t row = bmp.pixel_offset + stride * static_cast<std::size_t>(bmp.height - 1 - y);
        for (int x = 0; x < bmp.width; ++x)
            bmp.picture.set(x, y, le(b, row + static_cast<std::size_t>(x) * 3, 3));
    }
    return bmp;
}

}  // namespace osyl::test
