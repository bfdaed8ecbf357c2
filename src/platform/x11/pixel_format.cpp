#include "platform/x11/pixel_format.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace osyl::x11 {

namespace {

// Places an 8-bit channel into a mask of any width and position.
std::uint32_t place(std::uint32_t channel, std::uint32_t mask) {
    if (mask == 0) return 0;
    int shift = std::countr_zero(mask);
    int width = std::popcount(mask);
    std::uint32_t scaled = width >= 8 ? channel << (width - 8) : channel >> (8 - width);
    return (scaled << shift) & mask;
}

// PutImage: 24 bytes of request header, 4 more when BIG-REQUESTS lengthens it.
constexpr std::size_t put_image_header = 28;

}  // namespace

// The usual case: 32-bit 0x00RRGGBB pixels in the host's byte order, as they are held.
bool same_as_held(const PixelFormat& format) {
    return format.bits_per_pixel == 32 && format.red_mask == 0xFF0000 &&
           format.green_mask == 0x00FF00 && format.blue_mask == 0x0000FF &&
           format.opaque_bits == 0 && format.msb_first == (std::endian::native == std::endian::big);
}

std::uint32_t pixel_value(const PixelFormat& format, Rgb colour) {
    return format.opaque_bits | place((colour >> 16) & 0xFF, format.red_mask) |
           place((colour >> 8) & 0xFF, format.green_mask) | place(colour & 0xFF, format.blue_mask);
}

std::size_t row_bytes(const PixelFormat& format, int width) {
    std::size_t bits = static_cast<std::size_t>(std::max(width, 0)) *
                       static_cast<std::size_t>(format.bits_per_pixel);
    std::size_t pad = static_cast<std::size_t>(format.scanline_pad);
    return (bits + pad - 1) / pad * pad / 8;
}

std::vector<std::uint8_t> pack_rows(const Picture& picture, int first_row, int rows,
                                    const PixelFormat& format) {
    std::size_t stride = row_bytes(format, picture.width());
    std::size_t bytes_per_pixel = static_cast<std::size_t>(format.bits_per_pixel / 8);
    std::vector<std::uint8_t> out(stride * static_cast<std::size_t>(std::max(rows, 0)));
    if (same_as_held(format)) {
        const Rgb* first =
            picture.pixels().data() + static_cast<std::size_t>(first_row) * picture.width();
        std::memcpy(out.data(), first, out.size());
        return out;
    }
    for (int row = 0; row < rows; ++row) {
        std::uint8_t* dst = out.data() + stride * static_cast<std::size_t>(row);
        for (int x = 0; x < picture.width(); ++x) {
            std::uint32_t value = pixel_value(format, picture.at(x, first_row + row));
            for (std::size_t i = 0; i < bytes_per_pixel; ++i) {
                std::size_t shift = format.msb_first ? 8 * (bytes_per_pixel - 1 - i) : 8 * i;
                *dst++ = static_cast<std::uint8_t>(value >> shift);
            }
        }
    }
    return out;
}

int rows_per_band(std::size_t max_request_bytes, std::size_t row_bytes) {
    if (row_bytes == 0 || max_request_bytes <= put_image_header) return 1;
    std::size_t rows = (max_request_bytes - put_image_header) / row_bytes;
    return static_cast<int>(std::clamp<std::size_t>(rows, 1, 1U << 16));
}

}  // namespace osyl::x11
